#include "files/path_text.h"

#include <doctest/doctest.h>

#include <string>

using namespace LumoBase;
using LumoBase::LeadBytes;

namespace {

std::string Join(const char* path, const char* name) {
    return JoinComponent(PString(path), name);
}

std::string URL(const std::string& path) { return ToFileURL(PString(path)); }

}  // namespace

TEST_CASE("backslashes replace slashes from the second character on") {
    CHECK(ToBackslashes(PString("/a/b")) == PString("/a\\b"));
    CHECK(ToBackslashes(PString("C:/dir//x/")) == PString("C:\\dir\\\\x\\"));
    CHECK(ToBackslashes(PString("")) == PString(""));
    CHECK(ToBackslashes(PString("/")) == PString("/"));
    CHECK(ToBackslashes(PString("//")) == PString("/\\"));
    // Dot components and trailing separators are kept as given.
    CHECK(ToBackslashes(PString("a/./../")) == PString("a\\.\\..\\"));
}

TEST_CASE("each pass rewrites until its pattern is gone") {
    PString p("C:\\.\\.\\a\\.\\b");
    RemoveDotSegments(p);
    CHECK(p == PString("C:\\a\\b"));

    // Overlapping occurrences: "\.\.\" needs two rounds.
    p = PString("\\.\\.\\");
    RemoveDotSegments(p);
    CHECK(p == PString("\\"));

    p = PString("C:\\a\\b\\..\\c");
    ResolveParentSegments(p);
    CHECK(p == PString("C:\\a\\c"));

    p = PString("C:\\a\\b\\c\\..\\..\\d");
    ResolveParentSegments(p);
    CHECK(p == PString("C:\\a\\d"));

    p = PString("C:\\\\\\\\x\\\\");
    CollapseDoubleSeparators(p);
    CHECK(p == PString("C:\\x\\"));
}

TEST_CASE("the parent pass stops where no separator precedes the occurrence") {
    PString p("C:\\..\\x");
    ResolveParentSegments(p);
    CHECK(p == PString("C:\\..\\x"));

    p = PString("\\..\\x");
    ResolveParentSegments(p);
    CHECK(p == PString("\\..\\x"));

    // Resolved as far as there are levels; the rest stays.
    p = PString("C:\\a\\..\\..\\..\\x");
    ResolveParentSegments(p);
    CHECK(p == PString("C:\\..\\..\\x"));

    p = PString("a\\..\\..\\x");
    ResolveParentSegments(p);
    CHECK(p == PString("a\\..\\..\\x"));
}

TEST_CASE("joining a component") {
    CHECK(Join("C:\\dir", "/sub/name") == "C:\\dir\\sub\\name");
    CHECK(Join("C:\\dir", "//sub") == "C:\\dir\\sub");
    CHECK(Join("C:\\a\\b", "..\\x") == "C:\\a\\x");
    CHECK(Join("C:\\a", ".\\x") == "C:\\a\\x");
    CHECK(Join("C:\\dir\\", "x") == "C:\\dir\\x");
    CHECK(Join("C:\\dir", "\\x") == "C:\\dir\\x");
    CHECK(Join("C:\\dir", "") == "C:\\dir\\");
    CHECK(Join("", "x") == "\\x");
    CHECK(Join("", "") == "\\");
    CHECK(Join("C:\\dir", nullptr) == "C:\\dir");
    CHECK(Join("C:\\a", "b/../../../x") == "C:\\..\\x");
    // A trailing "." or ".." has no separator after it and stays.
    CHECK(Join("C:\\a", "..") == "C:\\a\\..");
    CHECK(Join("C:\\a", ".") == "C:\\a\\.");
}

TEST_CASE("file URL escaping") {
    CHECK(URL("") == "file://");
    CHECK(URL("C:\\a b") == "file://C:%5ca%20b");
    CHECK(URL("C:/x,y.z:0") == "file://C:/x,y.z:0");
    CHECK(URL("-_~") == "file://%2d%5f%7e");
    CHECK(URL("\x80\xE9\xFF") == "file://%80%e9%ff");
    CHECK(URL(std::string("a\0b", 3)) == "file://a%00b");
    CHECK(URL("%") == "file://%25");
    std::string all;
    for (int c = 'A'; c <= 'Z'; ++c) all += static_cast<char>(c);
    for (int c = 'a'; c <= 'z'; ++c) all += static_cast<char>(c);
    for (int c = '0'; c <= '9'; ++c) all += static_cast<char>(c);
    CHECK(URL(all) == "file://" + all);
}

TEST_CASE("splitting at separators") {
    const PString sep("\\"), drive(":");
    CHECK(TextBeforeLast(PString("C:\\dir\\file.txt"), sep) == PString("C:\\dir"));
    CHECK(TextBeforeLast(PString("C:\\file.txt"), sep) == PString("C:"));
    CHECK(TextBeforeLast(PString("readme.txt"), sep) == PString(""));
    CHECK(TextBeforeLast(PString("C:\\dir\\"), sep) == PString("C:\\dir"));

    CHECK(TextAfterLast(PString("C:\\a\\d"), sep) == PString("d"));
    CHECK(TextAfterLast(PString("C:\\dir\\"), sep) == PString(""));
    CHECK(TextAfterLast(PString("readme.txt"), sep) == PString("readme.txt"));

    CHECK(TextBeforeFirst(PString("C:\\dir"), drive) == PString("C"));
    CHECK(TextBeforeFirst(PString("\\\\server\\share"), drive) == PString(""));
    CHECK(TextBeforeFirst(PString("a:b:c"), drive) == PString("a"));

    // A separator of several characters is matched whole.
    CHECK(TextBeforeLast(PString("a::b::c"), PString("::")) == PString("a::b"));
    CHECK(TextAfterLast(PString("a::b::c"), PString("::")) == PString("c"));

    CHECK(EndsWithChar(PString("C:\\"), '\\'));
    CHECK_FALSE(EndsWithChar(PString("C:"), '\\'));
    CHECK_FALSE(EndsWithChar(PString(""), '\\'));
}

TEST_CASE("a trailing separator, doubled separators and a network root do not change where a join climbs") {
    const struct {
        const char* path;
        const char* name;
        const char* joined;
    } cases[] = {
        {"C:\\dir\\", "..\\x", "C:\\x"},
        {"C:\\dir", "..\\x", "C:\\x"},
        {"C:\\a\\\\b", "..\\..\\x", "C:\\x"},
        {"C:\\a\\", "\\..\\x", "C:\\x"},
        {"C:\\a\\b\\\\", "\\\\..\\x", "C:\\a\\x"},
        {"\\\\server\\share", "x", "\\\\server\\share\\x"},
        {"\\\\server\\share\\", "sub\\\\x", "\\\\server\\share\\sub\\x"},
        {"\\\\server\\share\\a", "..\\..\\..\\x", "\\\\server\\share\\..\\..\\x"},
        {"\\\\server", "x", "\\\\server\\x"},
        // Not a network root: three separators, or two and nothing else.
        {"\\\\\\x", "y", "\\x\\y"},
        {"\\\\", "x", "\\x"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.path);
        CAPTURE(c.name);
        CHECK(Join(c.path, c.name) == c.joined);
    }
}

TEST_CASE("code page 932: a trail byte 0x5C belongs to its letter") {
    const LeadBytes sjis = LeadBytes::CodePage932();
    const LeadBytes none;
    // U+8868 is 95 5C, U+30BD is 83 5C.
    const PString hyo("C:\\\x95\x5c"), so("C:\\a\\\x83\x5c");
    CHECK(JoinComponent(hyo, "x", sjis) == PString("C:\\\x95\x5c\\x"));
    CHECK(JoinComponent(hyo, "x", none) == PString("C:\\\x95\\x"));
    CHECK(JoinComponent(so, "..\\x", sjis) == PString("C:\\a\\x"));
    CHECK(JoinComponent(PString("C:\\\x95\x5c\\a"), "..\\..\\x", sjis) == PString("C:\\x"));
    CHECK(TextAfterLast(hyo, PString("\\"), sjis) == PString("\x95\x5c"));
    CHECK(TextAfterLast(hyo, PString("\\"), none) == PString(""));
    CHECK(TextBeforeLast(so, PString("\\"), sjis) == PString("C:\\a"));
    CHECK_FALSE(EndsWithChar(hyo, '\\', sjis));
    CHECK(EndsWithChar(hyo, '\\', none));
    CHECK(EndsWithChar(PString("C:\\\x95\x5c\\"), '\\', sjis));
    CHECK(ToBackslashes(PString("\x95\x5c/x"), sjis) == PString("\x95\x5c\\x"));
    // A doubled separator that is a trail byte and a separator is one separator.
    PString p("C:\\\x95\x5c\\x");
    CollapseDoubleSeparators(p, sjis);
    CHECK(p == PString("C:\\\x95\x5c\\x"));
    PString directory, name;
    SplitPattern(PString("C:\\\x95\x5c\\*"), directory, name, sjis);
    CHECK(directory == hyo);
    CHECK(name == PString("*"));
    SplitPattern(PString("\x95\x5c"), directory, name, sjis);
    CHECK(directory == PString(""));
    CHECK(name == PString("\x95\x5c"));
}

TEST_CASE("a pattern keeps the root its entries are relative to") {
    const struct {
        const char* pattern;
        const char* directory;
        const char* name;
        bool full;
    } cases[] = {
        {"C:\\dir\\*.log", "C:\\dir", "*.log", true},
        {"C:\\*.log", "C:\\", "*.log", true},
        {"\\*.log", "\\", "*.log", false},
        {"C:*.log", "C:", "*.log", false},
        {"*.log", "", "*.log", false},
        {"sub\\*.log", "sub", "*.log", false},
        {"\\\\server\\share\\*", "\\\\server\\share", "*", true},
    };
    for (const auto& c : cases) {
        CAPTURE(c.pattern);
        PString directory, name;
        SplitPattern(PString(c.pattern), directory, name, LeadBytes());
        CHECK(directory == PString(c.directory));
        CHECK(name == PString(c.name));
        CHECK(IsFullPath(directory, LeadBytes()) == c.full);
    }
}

namespace {

// The passes as first defined: rewrite the first occurrence until none is left.
void RewriteFirst(std::string& path, const std::string& pattern) {
    for (size_t at; (at = path.find(pattern)) != std::string::npos;) path.replace(at, pattern.size(), 1, '\\');
}

void ResolveFirst(std::string& path) {
    for (;;) {
        const size_t at = path.find("\\..\\");
        if (at == std::string::npos || at == 0) return;
        const size_t parent = path.rfind('\\', at - 1);
        if (parent == std::string::npos) return;
        path.replace(parent, at + 4 - parent, 1, '\\');
    }
}

}  // namespace

TEST_CASE("in a single-byte code page each pass answers what rewriting the first occurrence answers") {
    unsigned seed = 12345;
    const char alphabet[] = {'\\', '\\', '.', '.', 'a', 'b', ':'};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        seed = seed * 1103515245u + 12345u;
        const unsigned length = (seed >> 16) % 14;
        for (unsigned i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            text.push_back(alphabet[(seed >> 16) % sizeof alphabet]);
        }
        CAPTURE(text);
        std::string dots = text, parents = text, doubles = text;
        RewriteFirst(dots, "\\.\\");
        ResolveFirst(parents);
        RewriteFirst(doubles, "\\\\");
        PString p(text);
        RemoveDotSegments(p, LeadBytes());
        CHECK(std::string(p) == dots);
        p = PString(text);
        ResolveParentSegments(p, LeadBytes());
        CHECK(std::string(p) == parents);
        p = PString(text);
        CollapseDoubleSeparators(p, LeadBytes());
        CHECK(std::string(p) == doubles);
    }
}

TEST_CASE("long-path prefixes, a leading slash and a bare drive") {
    // A ".." never climbs over the share of \\?\UNC\server\share, nor over the drive.
    CHECK(Join("\\\\?\\UNC\\server\\share\\a", "..\\..\\..\\x") ==
          "\\\\?\\UNC\\server\\share\\..\\..\\x");
    CHECK(Join("\\\\?\\unc\\server\\share", "x") == "\\\\?\\unc\\server\\share\\x");
    CHECK(Join("\\\\?\\C:\\a\\b", "..\\..\\..\\x") == "\\\\?\\C:\\..\\x");
    CHECK(WithoutLongPrefix(PString("\\\\?\\C:\\a")) == PString("C:\\a"));
    CHECK(WithoutLongPrefix(PString("\\\\.\\c:\\a")) == PString("c:\\a"));
    CHECK(WithoutLongPrefix(PString("\\\\?\\UNC\\server\\share\\a")) ==
          PString("\\\\server\\share\\a"));
    // A volume name has no other form; plain paths stay as they are.
    CHECK(WithoutLongPrefix(PString("\\\\?\\Volume{1}\\a")) == PString("\\\\?\\Volume{1}\\a"));
    CHECK(WithoutLongPrefix(PString("\\\\server\\share")) == PString("\\\\server\\share"));

    PString directory, name;
    SplitPattern(PString("/*.log"), directory, name, LeadBytes());
    CHECK(directory == PString("\\"));
    CHECK(name == PString("*.log"));
    SplitPattern(PString("/logs\\*.log"), directory, name, LeadBytes());
    CHECK(directory == PString("\\logs"));

    CHECK(IsBareDrive(PString("D:")));
    CHECK_FALSE(IsBareDrive(PString("D:\\")));
    CHECK_FALSE(IsBareDrive(PString("1:")));
}
