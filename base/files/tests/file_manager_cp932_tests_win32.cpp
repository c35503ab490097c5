// Paths in code page 932 under Wine (run with a Japanese locale): folder names
// whose second byte is 0x5C are one character, not a name and a separator.

#include "files/win32_file_manager.h"

#include "temp_folder_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>

using namespace LumoBase;

namespace {

// U+8868 and U+30BD: 95 5C and 83 5C in code page 932.
const std::string kHyo = "\x95\x5c";
const std::string kSo = "\x83\x5c";

bool ExistsAt(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

AFileSpec Spec(const std::string& path) { return AFileSpec(path.c_str()); }

}  // namespace

TEST_CASE("code page 932: names ending in a 0x5C trail byte") {
    REQUIRE(GetACP() == 932u);
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    REQUIRE(CreateDirectoryA((t / kHyo).c_str(), nullptr));
    REQUIRE(CreateDirectoryA((t / (kHyo + "\\" + kSo)).c_str(), nullptr));
    t.MakeFile(kHyo + "\\" + kSo + "\\f.txt", "data");

    AFileSpec hyo = Spec(t / kHyo);
    CHECK(std::string(hyo.GetFileName()) == kHyo);
    hyo.AppendComponent("x");
    CHECK(std::string(hyo.GetFullPath()) == t / (kHyo + "\\x"));

    // The listing ends, and finds the file two such levels down.
    FileSpecList list;
    REQUIRE(fm.ListEntries(list, Spec(t / "*"), true));
    CHECK(list.size() == 3u);
    bool found = false;
    for (const AFileSpec& e : list)
        found = found || std::string(e.GetFullPath()) == t / (kHyo + "\\" + kSo + "\\f.txt");
    CHECK(found);

    CHECK_FALSE(fm.MoveDirectory(Spec(t / kHyo), Spec(t / (kHyo + "\\" + kSo + "\\in")), false));
    CHECK(fm.CopyDirectory(Spec(t / kHyo), Spec(t / "copy"), false, true, true));
    CHECK(ExistsAt(t / ("copy\\" + kSo + "\\f.txt")));
    CHECK(fm.MoveDirectory(Spec(t / "copy"), Spec(t / (kSo + "2")), false));
    CHECK(ExistsAt(t / (kSo + "2\\" + kSo + "\\f.txt")));
    CHECK(fm.DeleteDirectory(Spec(t / kHyo), true));
    CHECK_FALSE(ExistsAt(t / kHyo));
}

TEST_CASE("code page 932: a full-width letter in the other case is the same folder") {
    REQUIRE(GetACP() == 932u);
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    // 82 81 and 82 60 are a and A, full width: double-byte characters, which no
    // text fold changes. Asked of the file system, they are one folder.
    const std::string lower = "\x82\x81", upper = "\x82\x60";
    REQUIRE(CreateDirectoryA((t / lower).c_str(), nullptr));
    REQUIRE(ExistsAt(t / upper));
    t.MakeDirectory(lower + "\\tool");
    t.MakeDirectory(lower + "\\tool\\tool");
    t.MakeFile(lower + "\\tool\\x.dll", "outer");
    t.MakeFile(lower + "\\tool\\tool\\x.dll", "inner");
    CHECK_FALSE(fm.MoveDirectory(Spec(t / (lower + "\\tool")), Spec(t / upper), true));
    CHECK(ExistsAt(t / (lower + "\\tool\\tool\\x.dll")));
    CHECK(ExistsAt(t / (lower + "\\tool\\x.dll")));
}

TEST_CASE("code page 932: the re-match keeps what the platform lists") {
    REQUIRE(GetACP() == 932u);
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    // Full-width a and A (82 81, 82 60): the file systems fold them as letters.
    t.MakeFile("\x82\x60" "bc.log");
    t.MakeFile("other.log");
    t.MakeFile("keep.txt");
    FileSpecList list;
    REQUIRE(fm.ListEntries(list, Spec(t / "\x82\x81*.log"), false));
    CHECK(list.size() == 1u);
    CHECK(fm.DeleteMatching(Spec(t / "\x82\x81*.LOG"), false));
    CHECK_FALSE(ExistsAt(t / "\x82\x60" "bc.log"));
    // Blanks that end a pattern are dropped, as the platform drops them.
    CHECK(fm.DeleteMatching(Spec(t / "*.log  "), false));
    CHECK_FALSE(ExistsAt(t / "other.log"));
    CHECK(ExistsAt(t / "keep.txt"));
}
