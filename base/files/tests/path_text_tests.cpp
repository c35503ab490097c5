#include "files/path_text.h"

#include <doctest/doctest.h>

#include <string>

using namespace LumoBase;

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
    CHECK(Join("\\\\server\\share", "x") == "\\server\\share\\x");
    CHECK(Join("C:\\dir", "") == "C:\\dir\\");
    CHECK(Join("", "x") == "\\x");
    CHECK(Join("", "") == "\\");
    CHECK(Join("C:\\dir", nullptr) == "C:\\dir");
    CHECK(Join("C:\\a", "b/../../../x") == "C:\\..\\x");
    // A trailing "." or ".." has no separator after it and stays.
    CHECK(Join("C:\\a", "..") == "C:\\a\\..");
    CHECK(Join("C:\\a", ".") == "C:\\a\\.");
    // The passes run in order: the doubled separator is collapsed only after the
    // parent pass has taken the empty component in front of "..".
    CHECK(Join("C:\\a\\", "\\..\\x") == "C:\\a\\x");
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
