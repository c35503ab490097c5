#include "pstring.h"

namespace LumoBase {
namespace {

// Characters are taken as signed 8-bit values, folded as toupper in the "C" locale
// folds them: only a to z change, and bytes 0x80 to 0xFF order before 0x00 to 0x7F.
// Folded here, not by the C library: the launcher has none that offers it.
int Fold(char c) {
    int v = static_cast<signed char>(c);
    return v >= 'a' && v <= 'z' ? v - ('a' - 'A') : v;
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
