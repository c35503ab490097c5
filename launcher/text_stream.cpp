// The stream helpers of rename_section.h, for the packager's tool. In a unit of
// their own: the launcher has no C library streams, and linking it must not need
// them.

#include "rename_section.h"

namespace Tarnbolt {

bool WriteWholeText(std::FILE* file, const std::string& text, StreamWrite write) {
    if (!text.empty() && write(text.data(), 1, text.size(), file) != text.size()) return false;
    return std::fflush(file) == 0 && !std::ferror(file);
}

bool ReadWholeText(std::FILE* file, std::string& text) {
    text.clear();
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    return !std::ferror(file);
}

}  // namespace Tarnbolt
