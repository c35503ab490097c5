#include "rename_section.h"

#include "launcher.h"

namespace Tarnbolt {
namespace {

const char kHeader[] = "[rename]";
const size_t kHeaderLength = sizeof kHeader - 1;
const char kLineEnd[] = "\r\n";
// The end-of-file mark of old editors: a reader stops at the first one, wherever it
// stands, and never sees what follows; that stays behind the text.
const char kEndOfFile = '\x1a';

// Where the text a reader sees ends.
size_t BodyEnd(const std::string& whole) {
    const size_t mark = whole.find(kEndOfFile);
    return mark == std::string::npos ? whole.size() : mark;
}

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
    const size_t bodyEnd = BodyEnd(whole);
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

std::string CombineRenameTexts(const std::string& earlier, const std::string& later) {
    const size_t earlierEnd = BodyEnd(earlier), laterEnd = BodyEnd(later);
    const std::string body(later, 0, laterEnd);
    // The later text: lines outside any section, the sections before its first
    // [rename] section, that section's entries (line endings taken off), the rest.
    size_t sections = std::string::npos, header = std::string::npos, rest = body.size();
    std::vector<std::string> entries;
    for (size_t begin = 0; begin < body.size();) {
        const size_t feed = body.find('\n', begin);
        const size_t end = feed == std::string::npos ? body.size() : feed + 1;
        if (header == std::string::npos) {
            if (body[begin] == '[' && sections == std::string::npos) sections = begin;
            if (IsHeader(body, begin, end)) header = begin;
        } else {
            if (body[begin] == '[' && !IsHeader(body, begin, end)) {
                rest = begin;
                break;
            }
            size_t last = feed == std::string::npos ? end : feed;
            if (last > begin && feed != std::string::npos && body[last - 1] == '\r') --last;
            if (last > begin) entries.push_back(body.substr(begin, last - begin));
        }
        begin = end;
    }
    if (sections == std::string::npos) sections = body.size();
    if (header == std::string::npos) header = rest = body.size();

    std::string combined;
    // Each piece starts on a line of its own.
    const auto add = [&combined](const std::string& piece) {
        if (piece.empty()) return;
        if (!combined.empty() && combined.back() != '\n') combined += kLineEnd;
        combined += piece;
    };
    // Lines outside any section stay in front of every section; the earlier
    // text's own sections, the later entries joined to its [rename] section,
    // come before the later text's other sections.
    add(body.substr(0, sections));
    const std::string front(earlier, 0, earlierEnd);
    add(entries.empty() ? front : MergeRenameText(front, entries));
    add(body.substr(sections, header - sections));
    add(body.substr(rest));
    // What stood behind an end mark stays behind one.
    combined.append(earlier, earlierEnd, std::string::npos);
    combined.append(later, laterEnd, std::string::npos);
    return combined;
}

bool RenameSectionHolds(const std::string& text, const std::string& source) {
    bool inside = false;
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find('\n', begin);
        end = end == std::string::npos ? text.size() : end + 1;
        if (text[begin] == '[') {
            inside = IsHeader(text, begin, end);
        } else if (inside) {
            size_t stop = end;
            while (stop > begin && (text[stop - 1] == '\n' || text[stop - 1] == '\r')) --stop;
            const size_t equals = text.find('=', begin);
            if (equals < stop && SameAsciiPath(text.substr(equals + 1, stop - equals - 1), source))
                return true;
        }
        begin = end;
    }
    return false;
}

}  // namespace Tarnbolt
