// Links inside a tree are removed as links and never entered. Wine cannot make a
// junction or a symbolic link, so this program links its own IsLinkEntry: a
// directory whose name ends in "-link" stands for one. Being a real directory,
// it keeps what "lies behind it", and a delete that entered it would show.

#include "files/file_system_calls.h"
#include "files/win32_file_manager.h"

#include "temp_folder_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace LumoBase {
namespace FileSystemCalls {

bool IsLinkEntry(const char* name, unsigned long attributes) {
    const size_t n = std::strlen(name);
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
           (n >= 5 && std::strcmp(name + n - 5, "-link") == 0);
}

}  // namespace FileSystemCalls
}  // namespace LumoBase

using namespace LumoBase;

namespace {

bool ExistsAt(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

AFileSpec Spec(const std::string& path) { return AFileSpec(path.c_str()); }

}  // namespace

TEST_CASE("a link inside a tree is removed as a link, never followed") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    t.MakeDirectory("tree");
    t.MakeFile("tree\\a.txt");
    t.MakeDirectory("tree\\sub");
    t.MakeFile("tree\\sub\\b.txt");
    // What the link points to: it must survive every operation below.
    t.MakeDirectory("tree\\sub\\j-link");
    t.MakeFile("tree\\sub\\j-link\\keep.txt", "outside");
    const std::string kept = t / "tree\\sub\\j-link\\keep.txt";

    SUBCASE("listings show the link but do not descend") {
        FileSpecList list;
        REQUIRE(fm.ListEntries(list, Spec(t / "tree\\*"), true));
        bool link = false;
        for (const AFileSpec& e : list) {
            CHECK(e.GetFullPath().find("keep.txt") == std::string::npos);
            link = link || e.GetFileName() == PString("j-link");
        }
        CHECK(link);
    }

    SUBCASE("deleting the files of the tree leaves those behind the link") {
        CHECK(fm.DeleteMatching(Spec(t / "tree\\*.txt"), true));
        CHECK(ExistsAt(kept));
        fm.DeleteMatching(Spec(t / "tree\\*"), true);
        CHECK(ExistsAt(kept));
        fm.DeleteFilesIn(Spec(t / "tree"), true);
        CHECK(ExistsAt(kept));
    }

    SUBCASE("deleting the tree removes only the link") {
        // The stand-in is a real directory that is not empty, so removing it as a
        // link fails here, and so does the whole delete; nothing behind it goes.
        CHECK_FALSE(fm.DeleteDirectory(Spec(t / "tree"), true));
        CHECK(ExistsAt(kept));
        CHECK_FALSE(fm.DeleteDirectory(Spec(t / "tree\\sub\\j-link"), true));
        CHECK(ExistsAt(kept));
        CHECK_FALSE(fm.MoveDirectory(Spec(t / "tree"), Spec(t / "moved"), false));
        CHECK(ExistsAt(kept));
    }

    SUBCASE("an empty stand-in is removed as the link would be") {
        t.MakeDirectory("tree\\e-link");
        DeleteFileA(kept.c_str());
        RemoveDirectoryA((t / "tree\\sub\\j-link").c_str());
        CHECK(fm.DeleteDirectory(Spec(t / "tree"), true));
        CHECK_FALSE(ExistsAt(t / "tree"));
    }
}
