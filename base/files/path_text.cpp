#include "files/path_text.h"

#include <string>
#include <vector>

namespace LumoBase {
namespace {

const char kBackslash = '\\';

// One component of a path: [begin, end) between separators.
struct Component {
    size_t begin;
    size_t end;
};

// The components of path split at every whole "\" (n separators give n + 1
// components, empty ones included), read once.
std::vector<Component> Split(const PString& path, const LeadBytes& rule) {
    std::vector<Component> parts;
    size_t begin = 0;
    for (size_t i = 0; i < path.size(); i = rule.Next(path, i)) {
        if (path[i] != kBackslash) continue;
        parts.push_back({begin, i});
        begin = i + 1;
    }
    parts.push_back({begin, path.size()});
    return parts;
}

bool Is(const PString& path, const Component& c, const char* text) {
    return path.compare(c.begin, c.end - c.begin, text) == 0;
}

PString Rejoin(const PString& path, const std::vector<Component>& parts) {
    PString joined;
    joined.reserve(path.size());
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) joined.push_back(kBackslash);
        joined.append(path, parts[i].begin, parts[i].end - parts[i].begin);
    }
    return joined;
}

// Drops every inner component (neither the first nor the last) that equals text.
void DropInner(PString& path, const char* text, const LeadBytes& rule) {
    const std::vector<Component> parts = Split(path, rule);
    std::vector<Component> kept;
    kept.reserve(parts.size());
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool inner = i > 0 && i + 1 < parts.size();
        if (!inner || !Is(path, parts[i], text)) kept.push_back(parts[i]);
    }
    if (kept.size() != parts.size()) path = Rejoin(path, kept);
}

std::string::size_type FindLast(const PString& text, const PString& separator,
                                const LeadBytes& rule) {
    if (separator.empty()) return std::string::npos;
    return rule.FindLastText(text, separator);
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// 4 for "\\?\" or "\\.\" at the start of path, else 0.
size_t LongPrefixLength(const PString& path) {
    const bool prefixed = path.size() >= 4 && path[0] == kBackslash && path[1] == kBackslash &&
                          (path[2] == '?' || path[2] == '.') && path[3] == kBackslash;
    return prefixed ? 4 : 0;
}

// Whether "UNC\" (in any case) follows the prefix.
bool HasUncAfterPrefix(const PString& path) {
    if (path.size() < 8 || path[7] != kBackslash) return false;
    for (size_t i = 0; i < 3; ++i)
        if ((path[4 + i] & ~0x20) != "UNC"[i]) return false;
    return true;
}

}  // namespace

PString ToBackslashes(const PString& text, const LeadBytes& rule) {
    PString result(text);
    // The first character is never examined; a trail byte never is either.
    for (size_t i = 0; i < result.size(); i = rule.Next(result, i)) {
        if (i > 0 && result[i] == '/') result[i] = kBackslash;
    }
    return result;
}

void RemoveDotSegments(PString& path, const LeadBytes& rule) { DropInner(path, ".", rule); }

void ResolveParentSegments(PString& path, const LeadBytes& rule) {
    const std::vector<Component> parts = Split(path, rule);
    std::vector<Component> kept;
    kept.reserve(parts.size());
    bool stopped = false;
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool parent = i > 0 && i + 1 < parts.size() && Is(path, parts[i], "..");
        if (!parent || stopped) {
            kept.push_back(parts[i]);
        } else if (kept.size() >= 2) {
            kept.pop_back();
        } else {
            // Nothing in front to remove but the first component: the rest stays.
            stopped = true;
            kept.push_back(parts[i]);
        }
    }
    if (kept.size() != parts.size()) path = Rejoin(path, kept);
}

void CollapseDoubleSeparators(PString& path, const LeadBytes& rule) { DropInner(path, "", rule); }

size_t NetworkRootLength(const PString& path, const LeadBytes& rule) {
    if (path.size() < 3 || path[0] != kBackslash || path[1] != kBackslash ||
        path[2] == kBackslash)
        return 0;
    // \\?\UNC\server\share: the share is what cannot be climbed over, as in
    // \\server\share.
    if (LongPrefixLength(path) == 4 && HasUncAfterPrefix(path)) {
        const size_t server = rule.Find(path, kBackslash, 8);
        return server == std::string::npos ? path.size() : server + 1;
    }
    const size_t server = rule.Find(path, kBackslash, 2);
    return server == std::string::npos ? 2 : server + 1;
}

PString WithoutLongPrefix(const PString& path) {
    if (LongPrefixLength(path) == 0) return path;
    if (HasUncAfterPrefix(path)) return PString("\\\\" + path.substr(8));
    const bool drive = path.size() >= 6 && IsDriveLetter(path[4]) && path[5] == ':';
    return drive ? PString(path.substr(4)) : path;
}

bool IsBareDrive(const PString& path) {
    return path.size() == 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

PString JoinComponent(const PString& path, const char* name, const LeadBytes& rule) {
    if (!name) return path;
    while (*name == '/') ++name;
    // \\server\ stays apart: collapsing would lose its "\\", and ".." cannot climb
    // above the share, as it cannot above a drive.
    const size_t root = NetworkRootLength(path, rule);
    PString joined(path.substr(root));
    joined.push_back(kBackslash);
    joined.append(ToBackslashes(PString(name), rule));
    CollapseDoubleSeparators(joined, rule);
    RemoveDotSegments(joined, rule);
    ResolveParentSegments(joined, rule);
    if (root == 0) return joined;
    PString whole(path.substr(0, root));
    whole.append(joined);
    return whole;
}

PString ToFileURL(const PString& path) {
    static const char kHex[] = "0123456789abcdef";
    PString url("file://");
    url.reserve(url.size() + path.size());
    for (char c : path) {
        const unsigned char byte = static_cast<unsigned char>(c);
        const bool kept = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                          (byte >= '0' && byte <= '9') || byte == ':' || byte == '/' ||
                          byte == ',' || byte == '.';
        if (kept) {
            url.push_back(c);
        } else {
            url.push_back('%');
            url.push_back(kHex[byte >> 4]);
            url.push_back(kHex[byte & 0x0F]);
        }
    }
    return url;
}

PString TextBeforeLast(const PString& text, const PString& separator, const LeadBytes& rule) {
    const std::string::size_type at = FindLast(text, separator, rule);
    if (at == std::string::npos) return PString();
    return PString(text.substr(0, at));
}

PString TextAfterLast(const PString& text, const PString& separator, const LeadBytes& rule) {
    const std::string::size_type at = FindLast(text, separator, rule);
    if (at == std::string::npos) return text;
    return PString(text.substr(at + separator.size()));
}

PString TextBeforeFirst(const PString& text, const PString& separator, const LeadBytes& rule) {
    if (separator.empty()) return PString();
    const std::string::size_type at = rule.FindText(text, separator);
    if (at == std::string::npos) return PString();
    return PString(text.substr(0, at));
}

bool EndsWithChar(const PString& text, char ch, const LeadBytes& rule) {
    return !text.empty() && text.back() == ch && rule.IsBoundary(text, text.size() - 1);
}

void SplitPattern(const PString& given, PString& directory, PString& name,
                  const LeadBytes& rule) {
    // The platform reads "/" as "\"; the first character kept its slash when the
    // path was set, and it roots the pattern all the same.
    PString pattern(given);
    if (!pattern.empty() && pattern[0] == '/') pattern[0] = kBackslash;
    const size_t last = rule.FindLast(pattern, kBackslash);
    if (last == std::string::npos) {
        // C:*.log lists the current directory of drive C.
        const bool drive = pattern.size() >= 2 && pattern[1] == ':' && IsDriveLetter(pattern[0]);
        directory = drive ? PString(pattern.substr(0, 2)) : PString();
        name = PString(pattern.substr(drive ? 2 : 0));
        return;
    }
    name = PString(pattern.substr(last + 1));
    directory = PString(pattern.substr(0, last));
    // A root keeps its separator: "\" alone, or "C:\" rather than C:, which would
    // be the drive's current directory.
    const bool driveRoot = last == 2 && pattern[1] == ':' && IsDriveLetter(pattern[0]);
    if (last == 0 || driveRoot) directory.push_back(kBackslash);
}

bool IsFullPath(const PString& path, const LeadBytes& rule) {
    const bool drive = path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' &&
                       path[2] == kBackslash;
    return drive || NetworkRootLength(path, rule) > 0;
}

}  // namespace LumoBase
