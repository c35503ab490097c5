#include "files/path_containment.h"

#include <cstddef>
#include <string>

namespace LumoBase {
namespace {

size_t WithoutTrailingSeparator(const PString& text, const LeadBytes& rule) {
    return !text.empty() && text.back() == '\\' && rule.IsBoundary(text, text.size() - 1)
               ? text.size() - 1
               : text.size();
}

// Where the part of path below directory begins (after its separator), or npos
// when path is not directory itself or below it; path.size() when they are equal.
size_t BelowAt(const PString& path, const PString& directory, const LeadBytes& rule,
               const CaseFold& fold) {
    const size_t d = WithoutTrailingSeparator(directory, rule);
    const size_t p = WithoutTrailingSeparator(path, rule);
    if (d == 0 || p < d) return std::string::npos;
    // Both are read a character at a time, so a lead byte meets a lead byte.
    for (size_t i = 0; i < d;) {
        const size_t next = rule.Next(directory, i);
        if (next > d || rule.Next(path, i) != next) return std::string::npos;
        if (!fold.Same(path.data() + i, directory.data() + i, next - i)) return std::string::npos;
        i = next;
    }
    // C:\a contains C:\a\b but not C:\ab. A drive root given as C:\ is C: here, and
    // everything on the drive starts with C:\.
    if (p == d) return path.size();
    return path[d] == '\\' ? d + 1 : std::string::npos;
}

}  // namespace

bool IsSameOrInside(const PString& path, const PString& directory, const LeadBytes& rule,
                    const CaseFold& fold) {
    return BelowAt(path, directory, rule, fold) != std::string::npos;
}

PString PartBelow(const PString& path, const PString& directory, const LeadBytes& rule,
                  const CaseFold& fold) {
    const size_t at = BelowAt(path, directory, rule, fold);
    if (at == std::string::npos || at >= WithoutTrailingSeparator(path, rule)) return PString();
    return PString(path.substr(at, WithoutTrailingSeparator(path, rule) - at));
}

}  // namespace LumoBase
