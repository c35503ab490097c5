#include "files/path_text.h"

#include <string>

namespace LumoBase {
namespace {

const char kBackslash = '\\';

// Replaces the first occurrence of pattern by a single backslash until none is
// left; every replacement shortens the text, so the loop ends.
void CollapseEach(PString& path, const char* pattern) {
    for (;;) {
        const std::string::size_type at = path.find(pattern);
        if (at == std::string::npos) return;
        path.replace(at, std::char_traits<char>::length(pattern), 1, kBackslash);
    }
}

// Where separator occurs last, or npos; an empty separator is never found.
std::string::size_type FindLast(const PString& text, const PString& separator) {
    if (separator.empty()) return std::string::npos;
    return text.rfind(separator);
}

}  // namespace

PString ToBackslashes(const PString& text) {
    PString result(text);
    for (std::string::size_type i = 1; i < result.size(); ++i) {
        if (result[i] == '/') result[i] = kBackslash;
    }
    return result;
}

void RemoveDotSegments(PString& path) { CollapseEach(path, "\\.\\"); }

void ResolveParentSegments(PString& path) {
    static const char kParent[] = "\\..\\";
    const std::string::size_type parentLength = sizeof kParent - 1;
    for (;;) {
        const std::string::size_type at = path.find(kParent);
        // Nothing in front to remove (C:\..\x, or a path that starts with it):
        // leave the rest as it is rather than search for ever.
        if (at == std::string::npos || at == 0) return;
        const std::string::size_type parent = path.rfind(kBackslash, at - 1);
        if (parent == std::string::npos) return;
        path.replace(parent, at + parentLength - parent, 1, kBackslash);
    }
}

void CollapseDoubleSeparators(PString& path) { CollapseEach(path, "\\\\"); }

PString JoinComponent(const PString& path, const char* name) {
    if (!name) return path;
    while (*name == '/') ++name;
    PString joined(path);
    joined.push_back(kBackslash);
    joined.append(ToBackslashes(PString(name)));
    RemoveDotSegments(joined);
    ResolveParentSegments(joined);
    CollapseDoubleSeparators(joined);
    return joined;
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

PString TextBeforeLast(const PString& text, const PString& separator) {
    const std::string::size_type at = FindLast(text, separator);
    if (at == std::string::npos) return PString();
    return PString(text.substr(0, at));
}

PString TextAfterLast(const PString& text, const PString& separator) {
    const std::string::size_type at = FindLast(text, separator);
    if (at == std::string::npos) return text;
    return PString(text.substr(at + separator.size()));
}

PString TextBeforeFirst(const PString& text, const PString& separator) {
    if (separator.empty()) return PString();
    const std::string::size_type at = text.find(separator);
    if (at == std::string::npos) return PString();
    return PString(text.substr(0, at));
}

bool EndsWithChar(const PString& text, char ch) { return !text.empty() && text.back() == ch; }

}  // namespace LumoBase
