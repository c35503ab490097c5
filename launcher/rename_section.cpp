#include "rename_section.h"

namespace Tarnbolt {
namespace {

const char kHeader[] = "[rename]";
const size_t kHeaderLength = sizeof kHeader - 1;
const char kLineEnd[] = "\r\n";
// The end-of-file mark of old editors: a reader that stops at it never sees what
// follows, so it stays the last byte.
const char kEndOfFile = '\x1a';

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The line [begin, end) of `text` starts with the header, in any letter case.
bool IsHeader(const std::string& text, size_t begin, size_t end) {
    if (end - begin < kHeaderLength) return false;
    for (size_t i = 0; i < kHeaderLength; ++i)
        if (Lower(text[begin + i]) != kHeader[i]) return false;
    return true;
}

// Nothing but its line ending.
bool IsEmptyLine(const std::string& text, size_t begin, size_t end) {
    return (end - begin == 1 && text[begin] == '\n') ||
           (end - begin == 2 && text[begin] == '\r' && text[begin + 1] == '\n');
}

}  // namespace

std::string MergeRenameText(const std::string& whole, const std::vector<std::string>& lines) {
    size_t bodyEnd = whole.size();
    while (bodyEnd > 0 && whole[bodyEnd - 1] == kEndOfFile) --bodyEnd;
    const std::string old(whole, 0, bodyEnd);
    bool found = false;
    size_t insertAt = old.size();
    std::string emptySinceEntry, emptyBeforeEntry;
    // A line runs to its line feed or to the end of the text.
    for (size_t begin = 0; begin < old.size();) {
        const size_t feed = old.find('\n', begin);
        const size_t end = feed == std::string::npos ? old.size() : feed + 1;
        if (IsHeader(old, begin, end)) {
            found = true;
        } else if (!found) {
            begin = end;
            continue;
        } else if (old[begin] == '[') {
            break;
        } else if (IsEmptyLine(old, begin, end)) {
            emptySinceEntry.append(old, begin, end - begin);
            begin = end;
            continue;
        }
        // The header or an entry: the new lines go after it.
        insertAt = end;
        emptyBeforeEntry += emptySinceEntry;
        emptySinceEntry.clear();
        begin = end;
    }

    std::string front;
    // A last line without a line feed must not run into the new lines.
    if (insertAt > 0 && old[insertAt - 1] != '\n') front = kLineEnd;
    if (!found) front += std::string(kHeader) + kLineEnd;

    std::string merged(old, 0, insertAt);
    merged += front;
    for (const std::string& line : lines) merged += line + kLineEnd;
    merged += emptyBeforeEntry;
    merged.append(old, insertAt, std::string::npos);
    merged.append(whole, bodyEnd, std::string::npos);
    return merged;
}

bool PutAsideBack(const SideFiles& found) {
    return found.aside && found.fresh && !found.file && !found.consumedSince;
}

}  // namespace Tarnbolt
