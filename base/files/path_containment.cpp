#include "files/path_containment.h"

#include <cstddef>

namespace LumoBase {
namespace {

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

size_t WithoutTrailingSeparator(const PString& text) {
    return !text.empty() && text.back() == '\\' ? text.size() - 1 : text.size();
}

}  // namespace

bool IsSameOrInside(const PString& path, const PString& directory) {
    const size_t d = WithoutTrailingSeparator(directory);
    const size_t p = WithoutTrailingSeparator(path);
    if (d == 0 || p < d) return false;
    for (size_t i = 0; i < d; ++i)
        if (FoldAscii(path[i]) != FoldAscii(directory[i])) return false;
    // C:\a contains C:\a\b but not C:\ab. A drive root given as C:\ is C: here, and
    // everything on the drive starts with C:\.
    return p == d || path[d] == '\\';
}

}  // namespace LumoBase
