#include "rename_section.h"

#include <cctype>
#include <cstring>

namespace Tarnbolt {
namespace {

const char kHeader[] = "[rename]";
const size_t kHeaderLength = sizeof kHeader - 1;
const int kLineBuffer = 1024;  // longer lines arrive in pieces, each taken as a line

bool IsHeader(const char* line) {
    for (size_t i = 0; i < kHeaderLength; ++i) {
        if (line[i] == '\0') return false;
        if (std::tolower(static_cast<unsigned char>(line[i])) != kHeader[i]) return false;
    }
    return true;
}

bool WriteText(std::FILE* file, const std::string& text) {
    return text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

bool WriteLines(std::FILE* file, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        if (!WriteText(file, line + "\n")) return false;
    return true;
}

}  // namespace

bool WriteNewRenameSection(std::FILE* file, const std::vector<std::string>& lines) {
    return WriteText(file, std::string(kHeader) + "\n") && WriteLines(file, lines) &&
           std::fflush(file) == 0 && !std::ferror(file);
}

bool MergeRenameLines(std::FILE* file, const std::vector<std::string>& lines) {
    bool found = false, past = false;
    long insertAt = 0;
    // Whether the text in front of the insertion point ends a line; a last line
    // without a line feed must not run into the new lines.
    bool insertAfterLineEnd = true;
    bool fileEndsLine = true;
    std::string tail;

    char line[kLineBuffer];
    while (std::fgets(line, sizeof line, file)) {
        const size_t length = std::strlen(line);
        const bool endsLine = length > 0 && line[length - 1] == '\n';
        fileEndsLine = endsLine;
        if (past) {
            tail.append(line, length);
        } else if (IsHeader(line)) {
            found = true;
            insertAt = std::ftell(file);
            insertAfterLineEnd = endsLine;
        } else if (found) {
            if (line[0] == '[') {
                past = true;
                tail.append(line, length);
            } else if (line[0] == '\n') {
                tail.append(line, length);
            } else {
                insertAt = std::ftell(file);
                insertAfterLineEnd = endsLine;
            }
        }
    }
    if (std::ferror(file) || insertAt < 0) return false;

    std::string front;
    if (found) {
        if (std::fseek(file, insertAt, SEEK_SET) != 0) return false;
        if (!insertAfterLineEnd) front = "\n";
    } else {
        if (std::fseek(file, 0, SEEK_END) != 0) return false;
        if (!fileEndsLine) front = "\n";
        front += std::string(kHeader) + "\n";
    }
    return WriteText(file, front) && WriteLines(file, lines) && WriteText(file, tail) &&
           std::fflush(file) == 0 && !std::ferror(file);
}

}  // namespace Tarnbolt
