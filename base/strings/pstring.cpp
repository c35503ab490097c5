#include "pstring.h"

#include <cctype>

namespace LumoBase {
namespace {

// Characters are taken as signed 8-bit values. Only non-negative ones go through
// toupper: it is undefined for other negative values, and the "C" locale leaves
// bytes 0x80 to 0xFF unchanged anyway, so they order before 0x00 to 0x7F.
int Fold(char c) {
    int v = static_cast<signed char>(c);
    return v >= 0 ? std::toupper(v) : v;
}

}  // namespace

int PString::CompareNoCase(size_type pos, size_type count, const char* p,
                           size_type count2) const {
    if (pos > size()) ThrowInvalidPosition();
    if (count > size() - pos) count = size() - pos;
    const size_type n = count < count2 ? count : count2;
    const char* a = data() + pos;
    for (size_type i = 0; i < n; ++i) {
        int x = Fold(a[i]), y = Fold(p[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (count == count2) return 0;
    return count < count2 ? -1 : 1;
}

int PString::CompareNoCase(size_type pos1, size_type count1, const PString& o, size_type pos2,
                           size_type count2) const {
    if (pos2 > o.size()) ThrowInvalidPosition();
    if (count2 > o.size() - pos2) count2 = o.size() - pos2;
    return CompareNoCase(pos1, count1, o.data() + pos2, count2);
}

int PString::CompareNoCase(size_type pos, size_type count, const PString& o) const {
    return CompareNoCase(pos, count, o.data(), o.size());
}

int PString::CompareNoCase(const PString& o) const {
    return CompareNoCase(0, npos, o.data(), o.size());
}

}  // namespace LumoBase
