#include "rename_section.h"

#include "launcher.h"

namespace Tarnbolt {
namespace {

const char kHeader[] = "[rename]";
const size_t kHeaderLength = sizeof kHeader - 1;
const char kLineEnd[] = "\r\n";
// Where the text a reader sees ends: at the end-of-file mark of old editors
// (Ctrl-Z) or at a NUL byte (a file a crash left padded with zeros), whichever
// comes first. A reader never sees what follows; that stays behind the text.
size_t BodyEnd(const std::string& whole) {
    const size_t mark = whole.find_first_of(std::string("\x1a\0", 2));
    return mark == std::string::npos ? whole.size() : mark;
}

// The end of the line that starts at `begin`, past its line ending: a CR LF, a lone
// LF or a lone CR; the end of the text for a last line without one.
size_t LineEnd(const std::string& text, size_t begin) {
    const size_t stop = text.find_first_of("\r\n", begin);
    if (stop == std::string::npos) return text.size();
    return text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n' ? stop + 2 : stop + 1;
}

// The line's contents, without its line ending.
size_t ContentEnd(const std::string& text, size_t begin, size_t end) {
    while (end > begin && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
    return end;
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
    return end > begin && ContentEnd(text, begin, end) == begin;
}

}  // namespace

std::string MergeRenameText(const std::string& whole, const std::vector<std::string>& lines) {
    const size_t bodyEnd = BodyEnd(whole);
    const std::string old(whole, 0, bodyEnd);
    bool found = false;
    size_t insertAt = old.size();
    std::string emptySinceEntry, emptyBeforeEntry;
    for (size_t begin = 0; begin < old.size();) {
        const size_t end = LineEnd(old, begin);
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
    // A last line without a line ending must not run into the new lines.
    if (insertAt > 0 && old[insertAt - 1] != '\n' && old[insertAt - 1] != '\r') front = kLineEnd;
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
        const size_t end = LineEnd(body, begin);
        if (header == std::string::npos) {
            if (body[begin] == '[' && sections == std::string::npos) sections = begin;
            if (IsHeader(body, begin, end)) header = begin;
        } else {
            if (body[begin] == '[' && !IsHeader(body, begin, end)) {
                rest = begin;
                break;
            }
            const size_t last = ContentEnd(body, begin, end);
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
        // A lone CR before a piece that opens with a line feed would read as one CR LF.
        const char last = combined.empty() ? '\n' : combined.back();
        if ((last != '\n' && last != '\r') || (last == '\r' && piece[0] == '\n')) combined += kLineEnd;
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

std::vector<std::pair<std::string, std::string>> RenameEntries(const std::string& whole) {
    const std::string text(whole, 0, BodyEnd(whole));
    std::vector<std::pair<std::string, std::string>> entries;
    bool inside = false;
    for (size_t begin = 0; begin < text.size();) {
        const size_t end = LineEnd(text, begin);
        if (text[begin] == '[') {
            inside = IsHeader(text, begin, end);
        } else if (inside) {
            const size_t stop = ContentEnd(text, begin, end);
            const size_t equals = text.find('=', begin);
            if (equals < stop)
                entries.emplace_back(text.substr(begin, equals - begin),
                                     text.substr(equals + 1, stop - equals - 1));
        }
        begin = end;
    }
    return entries;
}

bool RenameSectionHolds(const std::string& text, const std::string& source) {
    for (const auto& entry : RenameEntries(text))
        if (SameAsciiPath(entry.second, source)) return true;
    return false;
}

}  // namespace Tarnbolt
