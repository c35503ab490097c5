#pragma once
// Splits text at a separator: the stretch before the first separator, those
// between separators and the one after the last, empty stretches included. An
// empty text, an empty separator or a text without the separator gives no pieces.

#include <string>
#include <vector>

namespace LumoBase {

inline std::vector<std::string> SplitText(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    if (text.empty() || separator.empty() || text.find(separator) == std::string::npos)
        return pieces;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        if (at == std::string::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

}  // namespace LumoBase
