// Copies and moves through other names of folders inside their own source: a link
// to a subfolder, a drive letter for one, and a link inside the tree back up to it.
// Wine shows a Unix link as the folder it names, not as a link, so only the
// folders' identities can tell.

#include "files/win32_file_manager.h"

#include "temp_folder_win32.h"
#include "tree_snapshot_win32.h"
#include "unix_links_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>

using namespace LumoBase;

namespace {

AFileSpec Spec(const std::string& path) { return AFileSpec(path.c_str()); }

bool ExistsAt(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST_CASE("a destination that is another name of a folder inside the source is refused") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    UnixLinks::Links links(t.Path());
    WIN32_FileManager fm;
    t.MakeDirectory("src");
    t.MakeDirectory("src\\a");
    t.MakeFile("src\\a\\f.txt", "outer");
    t.MakeDirectory("src\\sub");
    t.MakeDirectory("src\\sub\\a");
    t.MakeFile("src\\sub\\a\\f.txt", "inner");
    REQUIRE(links.Folder(t / "j", t / "src\\sub"));
    const std::string drive = links.Drive(t / "src\\sub");
    REQUIRE(!drive.empty());
    const Snapshot before = Take(t / "src");

    const std::string destinations[] = {t / "j", t / "j\\copy", t / "j\\a", drive + "\\",
                                        drive + "\\copy", drive + "\\a\\deeper"};
    for (const std::string& destination : destinations) {
        CAPTURE(destination);
        CHECK_FALSE(fm.MoveDirectory(Spec(t / "src"), Spec(destination), true));
        CHECK_FALSE(fm.CopyDirectory(Spec(t / "src"), Spec(destination), true, true, true));
        CHECK_FALSE(fm.CopyFilesIn(Spec(t / "src"), Spec(destination), true, true, true));
        CHECK_FALSE(fm.CopyFilesIn(Spec(t / "src"), Spec(destination), true, true, false));
        CHECK(Take(t / "src") == before);
    }
    // The same tree copied elsewhere is no overlap.
    CHECK(fm.CopyDirectory(Spec(t / "src"), Spec(t / "elsewhere"), true, true, true));
    CHECK(Take(t / "elsewhere") == before);
}

TEST_CASE("a copy of a tree holding a link back up to it ends, without the link") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    UnixLinks::Links links(t.Path());
    WIN32_FileManager fm;
    t.MakeDirectory("tree");
    t.MakeFile("tree\\a.txt", "a");
    t.MakeDirectory("tree\\d");
    t.MakeFile("tree\\d\\b.txt", "b");
    REQUIRE(links.Folder(t / "tree\\d\\up", t / "tree"));

    CHECK(fm.CopyDirectory(Spec(t / "tree"), Spec(t / "copy"), false, true, true));
    CHECK(ExistsAt(t / "copy\\d\\b.txt"));
    CHECK_FALSE(ExistsAt(t / "copy\\d\\up"));
    CHECK(fm.MakeDirectory(Spec(t / "mirror")));
    CHECK(fm.CopyFilesIn(Spec(t / "tree"), Spec(t / "mirror"), false, true, true));
    CHECK(ExistsAt(t / "mirror\\d\\b.txt"));
    CHECK_FALSE(ExistsAt(t / "mirror\\d\\up"));
    CHECK(fm.MakeDirectory(Spec(t / "flat")));
    CHECK(fm.CopyFilesIn(Spec(t / "tree"), Spec(t / "flat"), false, true, false));
    CHECK(ExistsAt(t / "flat\\b.txt"));
}
