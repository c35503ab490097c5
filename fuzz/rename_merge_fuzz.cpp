// The [rename] merge over any old WININIT.INI. The first byte picks how many lines
// are added, the rest is the old text. Property: the old text stands byte for byte
// around one insertion, the new lines (CR LF) contiguous and in order right after
// the last entry of the first [rename] section; without a section, a new header and
// the lines at the end; the text ends at its first Ctrl-Z or NUL, and from there on
// the old bytes stay last; a line ends at CR LF, LF or a lone CR. Any other result
// aborts.
//
// A first byte with its high bit set joins two texts instead, the old file set
// aside and the one written since, split at the first zero byte. Property: what
// stood behind a Ctrl-Z or NUL in each stays behind the joined text, and every line of
// both (contents without their line feed) is there, the set-aside lines in their
// order; only the later file's first [rename] header and the empty lines of that
// section may go.

#include "rename_section.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kLines[] = {"C:\\WINDOWS\\SYSTEM\\msvcrt.dll=C:\\WINDOWS\\TEMP\\msvcrt.dll",
                              "C:\\WINDOWS\\SYSTEM\\msvcp60.dll=C:\\WINDOWS\\TEMP\\msvcp60.dll",
                              "C:\\WINDOWS\\SYSTEM\\msvcirt.dll=C:\\WINDOWS\\TEMP\\msvcirt.dll"};

void Require(bool holds) {
    if (!holds) std::abort();
}

struct Line {
    size_t begin, end;  // end includes the line ending
};

// Where a reader stops: the first Ctrl-Z or NUL.
size_t BodyEnd(const std::string& text) {
    size_t end = 0;
    while (end < text.size() && text[end] != '\x1a' && text[end] != '\0') ++end;
    return end;
}

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    for (size_t begin = 0; begin < text.size();) {
        size_t end = begin;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        if (end < text.size()) end += text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
        lines.push_back({begin, end});
        begin = end;
    }
    return lines;
}

bool IsHeader(const std::string& text, const Line& line) {
    static const char header[] = "[rename]";
    if (line.end - line.begin < 8) return false;
    for (size_t i = 0; i < 8; ++i) {
        char c = text[line.begin + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
        if (c != header[i]) return false;
    }
    return true;
}

bool IsEmpty(const std::string& text, const Line& line) {
    const std::string s = text.substr(line.begin, line.end - line.begin);
    return s == "\n" || s == "\r\n" || s == "\r";
}

// A line's contents: without its line ending.
std::string Contents(const std::string& text, const Line& line) {
    size_t end = line.end;
    if (end > line.begin && text[end - 1] == '\n') --end;
    if (end > line.begin && text[end - 1] == '\r') --end;
    return text.substr(line.begin, end - line.begin);
}

void CheckCombine(const std::string& earlier, const std::string& later) {
    const std::string combined = Tarnbolt::CombineRenameTexts(earlier, later);
    const size_t earlierEnd = BodyEnd(earlier);
    const size_t laterEnd = BodyEnd(later);
    const std::string tails = earlier.substr(earlierEnd) + later.substr(laterEnd);
    Require(combined.size() >= tails.size() &&
            combined.compare(combined.size() - tails.size(), tails.size(), tails) == 0);
    const std::string body = combined.substr(0, combined.size() - tails.size());
    Require(BodyEnd(body) == body.size());

    std::vector<std::string> out;
    for (const Line& line : SplitLines(body)) out.push_back(Contents(body, line));
    // The set-aside lines, in their order.
    const std::string first = earlier.substr(0, earlierEnd);
    std::vector<bool> used(out.size(), false);
    size_t at = 0;
    for (const Line& line : SplitLines(first)) {
        const std::string contents = Contents(first, line);
        while (at < out.size() && out[at] != contents) ++at;
        Require(at < out.size());
        used[at++] = true;
    }
    // The later lines, each once more among the rest.
    const std::string second = later.substr(0, laterEnd);
    const std::vector<Line> lines = SplitLines(second);
    bool inSection = false, headerSeen = false;
    for (const Line& line : lines) {
        const std::string contents = Contents(second, line);
        if (!headerSeen && IsHeader(second, line)) {
            headerSeen = inSection = true;
            continue;
        }
        if (inSection && !contents.empty() && contents[0] == '[' && !IsHeader(second, line))
            inSection = false;
        if (inSection && contents.empty()) continue;
        size_t i = 0;
        while (i < out.size() && (used[i] || out[i] != contents)) ++i;
        Require(i < out.size());
        used[i] = true;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] & 0x80) {
        const std::string both(reinterpret_cast<const char*>(data) + 1, size - 1);
        const size_t split = both.find('\0');
        if (split == std::string::npos) return 0;
        CheckCombine(both.substr(0, split), both.substr(split + 1));
        return 0;
    }
    // The launcher always has at least one line to add.
    const std::vector<std::string> lines(kLines, kLines + 1 + data[0] % 3);
    const std::string whole(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string merged = Tarnbolt::MergeRenameText(whole, lines);
    // From the first Ctrl-Z or NUL on the old bytes stay last; the text before it is
    // merged, and a reader stopping at either sees every new line.
    const size_t marks = whole.size() - BodyEnd(whole);
    Require(merged.size() >= marks &&
            merged.compare(merged.size() - marks, marks, whole, whole.size() - marks, marks) == 0);
    const std::string old = whole.substr(0, whole.size() - marks);
    const std::string out = merged.substr(0, merged.size() - marks);

    std::string block;
    for (const std::string& line : lines) block += line + "\r\n";

    // One insertion, everything else unchanged: the common start and the common end
    // cover the old text. The insertion begins with "C", CR or "[" and what follows
    // it in the old text with CR, LF or "[", or nothing: the common start ends there.
    Require(out.size() > old.size() && BodyEnd(out) == out.size());
    size_t at = 0;
    while (at < old.size() && old[at] == out[at]) ++at;
    const size_t inserted = out.size() - old.size();
    Require(out.compare(at + inserted, std::string::npos, old, at, std::string::npos) == 0);
    const std::string insertion = out.substr(at, inserted);
    const std::string front = at > 0 && old[at - 1] != '\n' && old[at - 1] != '\r' ? "\r\n" : "";
    // Only a last line can lack its line feed.
    Require(front.empty() || at == old.size());

    const std::vector<Line> all = SplitLines(old);
    size_t header = 0;
    while (header < all.size() && !IsHeader(old, all[header])) ++header;
    if (header == all.size()) {
        Require(at == old.size());
        Require(insertion == front + "[rename]\r\n" + block);
        return 0;
    }

    // The section: from the first header to the first line opening another one.
    size_t sectionEnd = header + 1;
    while (sectionEnd < all.size() &&
           (old[all[sectionEnd].begin] != '[' || IsHeader(old, all[sectionEnd])))
        ++sectionEnd;
    const size_t sectionEndAt = sectionEnd < all.size() ? all[sectionEnd].begin : old.size();
    Require(at >= all[header].end && at <= sectionEndAt);
    // At a line's end, with nothing but empty lines between it and the section's end;
    // the empty lines passed on the way are written once more after the new lines.
    std::string repeated;
    bool atLineEnd = at == all[header].end;
    for (size_t i = header + 1; i < sectionEnd; ++i) {
        const Line& line = all[i];
        if (line.end <= at) {
            if (IsEmpty(old, line)) repeated += old.substr(line.begin, line.end - line.begin);
            atLineEnd = atLineEnd || line.end == at;
        } else {
            Require(IsEmpty(old, line));
        }
    }
    Require(atLineEnd);
    Require(insertion == front + block + repeated);
    return 0;
}
