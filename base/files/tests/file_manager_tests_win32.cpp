// The file manager on a real Win32 file system (Wine's), on trees that each test
// builds in its own temporary folder.

#include "files/file_manager.h"
#include "files/win32_file_manager.h"

#include "scoped_environment_win32.h"
#include "temp_folder_win32.h"
#include "tree_snapshot_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace LumoBase;

namespace {

bool IsFileAt(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsDirectoryAt(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ExistsAt(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The paths of a list, each without the folder's own path and its separator.
std::vector<std::string> Names(const FileSpecList& list, const TempFolder& folder) {
    std::vector<std::string> names;
    const std::string prefix = folder.Path() + "\\";
    for (const AFileSpec& entry : list) {
        std::string path = entry.GetFullPath();
        if (path.compare(0, prefix.size(), prefix) == 0) path.erase(0, prefix.size());
        names.push_back(path);
    }
    return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

long IndexOf(const std::vector<std::string>& names, const std::string& name) {
    const auto at = std::find(names.begin(), names.end(), name);
    return at == names.end() ? -1 : static_cast<long>(at - names.begin());
}

// The tree that the listing tests walk:
//   tree\a.txt  tree\sub\b.txt  tree\sub\deep\c.txt  tree\lib\d.dll
//   tree\x.dll\y.dll  (a directory whose name matches *.dll)
void MakeListingTree(const TempFolder& t) {
    t.MakeDirectory("tree");
    t.MakeFile("tree\\a.txt");
    t.MakeDirectory("tree\\sub");
    t.MakeFile("tree\\sub\\b.txt");
    t.MakeDirectory("tree\\sub\\deep");
    t.MakeFile("tree\\sub\\deep\\c.txt");
    t.MakeDirectory("tree\\lib");
    t.MakeFile("tree\\lib\\d.dll");
    t.MakeDirectory("tree\\x.dll");
    t.MakeFile("tree\\x.dll\\y.dll");
}

AFileSpec Spec(const std::string& path) { return AFileSpec(path.c_str()); }

}  // namespace

TEST_CASE("the existence tests of the interface tell files from directories") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    std::unique_ptr<FileManager> fm(new WIN32_FileManager);
    const std::string file = t.MakeFile("f.txt");
    const std::string dir = t.MakeDirectory("d");

    CHECK(fm->FileExists(Spec(file)));
    CHECK_FALSE(fm->FileExists(Spec(dir)));
    CHECK_FALSE(fm->FileExists(Spec(t / "missing")));
    CHECK(fm->DirectoryExists(Spec(dir)));
    CHECK_FALSE(fm->DirectoryExists(Spec(file)));
    CHECK_FALSE(fm->DirectoryExists(Spec(t / "missing")));

    CHECK(std::string(fm->GetWildcard()) == "*");
    const UString wide = fm->GetWildcardWide();
    REQUIRE(wide.size() == 1);
    CHECK(wide[0] == '*');
}

TEST_CASE("creating, copying, moving and deleting single files") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;

    SUBCASE("an empty file is created, and replaced only with overwrite") {
        const AFileSpec f = Spec(t / "empty.txt");
        CHECK(fm.CreateEmptyFile(f, false));
        CHECK(Content(t / "empty.txt") == "");
        t.MakeFile("empty.txt", "kept");
        CHECK_FALSE(fm.CreateEmptyFile(f, false));
        CHECK(Content(t / "empty.txt") == "kept");
        CHECK(fm.CreateEmptyFile(f, true));
        CHECK(Content(t / "empty.txt") == "");
        // No directory is made for it.
        CHECK_FALSE(fm.CreateEmptyFile(Spec(t / "nowhere\\x.txt"), true));
    }

    SUBCASE("a copy replaces an existing destination only with overwrite") {
        const std::string source = t.MakeFile("s.txt", "new");
        const std::string target = t.MakeFile("d.txt", "old");
        CHECK_FALSE(fm.CopySingleFile(Spec(source), Spec(target), false, false));
        CHECK(Content(target) == "old");
        CHECK(fm.CopySingleFile(Spec(source), Spec(target), true, false));
        CHECK(Content(target) == "new");
        CHECK(Content(source) == "new");
    }

    SUBCASE("a copy makes the missing directories above the destination only with create") {
        const std::string source = t.MakeFile("s.txt", "text");
        CHECK_FALSE(fm.CopySingleFile(Spec(source), Spec(t / "a\\b\\c.txt"), false, false));
        CHECK_FALSE(ExistsAt(t / "a"));
        CHECK(fm.CopySingleFile(Spec(source), Spec(t / "a\\b\\c.txt"), false, true));
        CHECK(Content(t / "a\\b\\c.txt") == "text");
    }

    SUBCASE("directories and missing files are not copied") {
        const std::string dir = t.MakeDirectory("d");
        CHECK_FALSE(fm.CopySingleFile(Spec(dir), Spec(t / "e"), true, true));
        CHECK_FALSE(ExistsAt(t / "e"));
        CHECK_FALSE(fm.CopySingleFile(Spec(t / "missing"), Spec(t / "e"), true, true));
        CHECK_FALSE(ExistsAt(t / "e"));
    }

    SUBCASE("only existing files are deleted") {
        const std::string file = t.MakeFile("f.txt");
        const std::string dir = t.MakeDirectory("d");
        CHECK_FALSE(fm.DeleteSingleFile(Spec(dir)));
        CHECK(IsDirectoryAt(dir));
        CHECK_FALSE(fm.DeleteSingleFile(Spec(t / "missing")));
        CHECK(fm.DeleteSingleFile(Spec(file)));
        CHECK_FALSE(ExistsAt(file));
    }

    SUBCASE("a move copies, then removes the source; a failed copy keeps it") {
        const std::string source = t.MakeFile("s.txt", "source");
        const std::string target = t.MakeFile("d.txt", "target");
        CHECK_FALSE(fm.MoveSingleFile(Spec(source), Spec(target), false));
        CHECK(Content(source) == "source");
        CHECK(Content(target) == "target");
        CHECK(fm.RelocateSingleFile(Spec(source), Spec(t / "to\\s2.txt"), false));
        CHECK_FALSE(ExistsAt(source));
        CHECK(Content(t / "to\\s2.txt") == "source");
        CHECK(fm.MoveSingleFile(Spec(t / "to\\s2.txt"), Spec(target), true));
        CHECK_FALSE(ExistsAt(t / "to\\s2.txt"));
        CHECK(Content(target) == "source");
    }

    SUBCASE("a file moved onto itself stays") {
        const std::string source = t.MakeFile("s.txt", "self");
        CHECK_FALSE(fm.MoveSingleFile(Spec(source), Spec(source), true));
        CHECK(Content(source) == "self");
    }
}

TEST_CASE("making and deleting directories") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;

    SUBCASE("a directory is made once, and not with missing parents") {
        CHECK(fm.MakeDirectory(Spec(t / "d")));
        CHECK(IsDirectoryAt(t / "d"));
        CHECK_FALSE(fm.MakeDirectory(Spec(t / "d")));
        CHECK_FALSE(fm.MakeDirectory(Spec(t / "x\\y")));
    }

    SUBCASE("without recursive only an empty directory goes") {
        t.MakeDirectory("d");
        t.MakeFile("d\\f.txt");
        CHECK_FALSE(fm.DeleteDirectory(Spec(t / "d"), false));
        CHECK(IsFileAt(t / "d\\f.txt"));
        t.MakeDirectory("e");
        CHECK(fm.DeleteDirectory(Spec(t / "e"), false));
        CHECK_FALSE(ExistsAt(t / "e"));
    }

    SUBCASE("with recursive the whole tree goes") {
        MakeListingTree(t);
        CHECK(fm.DeleteDirectory(Spec(t / "tree"), true));
        CHECK_FALSE(ExistsAt(t / "tree"));
    }

    SUBCASE("files and missing paths are not directories to delete") {
        const std::string file = t.MakeFile("f.txt");
        CHECK_FALSE(fm.DeleteDirectory(Spec(file), true));
        CHECK(IsFileAt(file));
        CHECK_FALSE(fm.DeleteDirectory(Spec(t / "missing"), true));
    }
}

TEST_CASE("listings: dot entries, order and descent") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    MakeListingTree(t);
    WIN32_FileManager fm;
    FileSpecList list;

    SUBCASE("one level holds files and directories but no dot entries") {
        REQUIRE(fm.ListEntries(list, Spec(t / "tree\\*"), false));
        CHECK(Sorted(Names(list, t)) == std::vector<std::string>{
                  "tree\\a.txt", "tree\\lib", "tree\\sub", "tree\\x.dll"});
    }

    SUBCASE("recursively every directory follows its own contents") {
        REQUIRE(fm.ListEntries(list, Spec(t / "tree\\*"), true));
        const std::vector<std::string> names = Names(list, t);
        CHECK(Sorted(names) == std::vector<std::string>{
                  "tree\\a.txt", "tree\\lib", "tree\\lib\\d.dll", "tree\\sub",
                  "tree\\sub\\b.txt", "tree\\sub\\deep", "tree\\sub\\deep\\c.txt",
                  "tree\\x.dll", "tree\\x.dll\\y.dll"});
        CHECK(IndexOf(names, "tree\\sub\\deep\\c.txt") < IndexOf(names, "tree\\sub\\deep"));
        CHECK(IndexOf(names, "tree\\sub\\deep") < IndexOf(names, "tree\\sub"));
        CHECK(IndexOf(names, "tree\\sub\\b.txt") < IndexOf(names, "tree\\sub"));
        CHECK(IndexOf(names, "tree\\lib\\d.dll") < IndexOf(names, "tree\\lib"));
    }

    SUBCASE("directories only: each directory precedes its contents") {
        REQUIRE(fm.ListDirectories(list, Spec(t / "tree\\*"), true));
        const std::vector<std::string> names = Names(list, t);
        CHECK(Sorted(names) == std::vector<std::string>{"tree\\lib", "tree\\sub",
                                                        "tree\\sub\\deep", "tree\\x.dll"});
        CHECK(IndexOf(names, "tree\\sub") < IndexOf(names, "tree\\sub\\deep"));

        REQUIRE(fm.ListDirectories(list, Spec(t / "tree\\*"), false));
        CHECK(Sorted(Names(list, t)) ==
              std::vector<std::string>{"tree\\lib", "tree\\sub", "tree\\x.dll"});
    }

    SUBCASE("only subdirectories whose names match the pattern are descended into") {
        REQUIRE(fm.ListEntries(list, Spec(t / "tree\\*.dll"), true));
        // lib does not match *.dll, so d.dll inside it is not found.
        CHECK(Names(list, t) == std::vector<std::string>{"tree\\x.dll\\y.dll", "tree\\x.dll"});
    }

    SUBCASE("a pattern that matches nothing answers an empty list in place of the old one") {
        list.push_back(Spec(t / "stale"));
        CHECK(fm.ListEntries(list, Spec(t / "tree\\*.none"), true));
        CHECK(list.empty());
        list.push_back(Spec(t / "stale"));
        CHECK(fm.ListDirectories(list, Spec(t / "missing\\*"), true));
        CHECK(list.empty());
    }

    SUBCASE("a pattern that names a directory lists that directory itself") {
        REQUIRE(fm.ListEntries(list, Spec(t / "tree\\sub"), false));
        CHECK(Names(list, t) == std::vector<std::string>{"tree\\sub"});
        REQUIRE(fm.ListDirectories(list, Spec(t / "tree\\sub"), false));
        CHECK(Names(list, t) == std::vector<std::string>{"tree\\sub"});
    }

    SUBCASE("a pattern without a directory lists the current directory by bare names") {
        CurrentDirectory here(t / "tree");
        REQUIRE(here.Changed());
        REQUIRE(fm.ListEntries(list, Spec("*.txt"), false));
        CHECK(Names(list, t) == std::vector<std::string>{"a.txt"});
        REQUIRE(fm.ListEntries(list, Spec("s*"), true));
        CHECK(Names(list, t) == std::vector<std::string>{"sub"});
    }

    SUBCASE("the immediate subdirectories of a directory") {
        list.push_back(Spec(t / "stale"));
        REQUIRE(fm.ListSubdirectories(Spec(t / "tree"), list));
        CHECK(Sorted(Names(list, t)) ==
              std::vector<std::string>{"tree\\lib", "tree\\sub", "tree\\x.dll"});
        CHECK_FALSE(fm.ListSubdirectories(Spec(t / "tree\\a.txt"), list));
        CHECK_FALSE(fm.ListSubdirectories(Spec(t / "missing"), list));
    }

    SUBCASE("enumerating into a given list appends to it") {
        FileSpecList given;
        given.push_back(Spec(t / "first"));
        FileSpecList* answer = fm.Enumerate(Spec(t / "tree\\*.txt"), false, false, true, &given);
        CHECK(answer == &given);
        CHECK(Names(given, t) == std::vector<std::string>{"first", "tree\\a.txt"});
        CHECK(fm.Enumerate(Spec(t / "tree\\*"), false, false, true, nullptr) == nullptr);

        std::unique_ptr<FileSpecList> made(
            fm.Enumerate(Spec(t / "tree\\*.txt"), false, false, false, &given));
        REQUIRE(made);
        CHECK(made.get() != &given);
        CHECK(Names(*made, t) == std::vector<std::string>{"tree\\a.txt"});
        CHECK(given.size() == 2);
    }
}

TEST_CASE("whether anything matches") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    MakeListingTree(t);
    WIN32_FileManager fm;
    bool any = true;

    CHECK(fm.AnyMatches(any, Spec(t / "tree\\*.none"), true));
    CHECK_FALSE(any);
    CHECK(fm.AnyMatches(any, Spec(t / "tree\\*.txt"), false));
    CHECK(any);
    // c.txt lies in sub\deep, and no directory on the way there is named c.txt.
    CHECK(fm.AnyMatches(any, Spec(t / "tree\\c.txt"), true));
    CHECK_FALSE(any);
    CHECK(fm.AnyMatches(any, Spec(t / "tree\\*"), false));
    CHECK(any);
}

TEST_CASE("deleting what a pattern matches") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    MakeListingTree(t);
    WIN32_FileManager fm;

    SUBCASE("matching files go, the rest stays") {
        CHECK(fm.DeleteMatching(Spec(t / "tree\\*.txt"), false));
        CHECK_FALSE(ExistsAt(t / "tree\\a.txt"));
        CHECK(IsFileAt(t / "tree\\sub\\b.txt"));
        CHECK(IsFileAt(t / "tree\\lib\\d.dll"));
    }

    SUBCASE("a pattern that matches nothing succeeds") {
        CHECK(fm.DeleteMatching(Spec(t / "tree\\*.none"), true));
        CHECK(fm.DeleteMatching(Spec(t / "missing\\*"), false));
    }

    SUBCASE("a matching directory is refused and ends the deletion") {
        CHECK_FALSE(fm.DeleteMatching(Spec(t / "tree\\x.dll"), false));
        CHECK(IsFileAt(t / "tree\\x.dll\\y.dll"));
    }

    SUBCASE("the files of a directory without subdirectories") {
        CHECK(fm.DeleteFilesIn(Spec(t / "tree\\sub\\deep"), false));
        CHECK_FALSE(ExistsAt(t / "tree\\sub\\deep\\c.txt"));
        CHECK(IsDirectoryAt(t / "tree\\sub\\deep"));
        CHECK_FALSE(fm.DeleteFilesIn(Spec(t / "tree\\a.txt"), false));
        CHECK(IsFileAt(t / "tree\\a.txt"));
    }
}

TEST_CASE("copying directories") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    // Files on both sides of a subdirectory in listing order.
    t.MakeDirectory("src");
    t.MakeFile("src\\a.txt", "a");
    t.MakeDirectory("src\\m");
    t.MakeFile("src\\m\\inner.txt", "inner");
    t.MakeDirectory("src\\m\\n");
    t.MakeFile("src\\m\\n\\leaf.txt", "leaf");
    t.MakeFile("src\\z.txt", "z");

    SUBCASE("without recursive only the destination is made") {
        CHECK(fm.CopyDirectory(Spec(t / "src"), Spec(t / "out\\copy"), false, false, true));
        CHECK(IsDirectoryAt(t / "out\\copy"));
        FileSpecList list;
        REQUIRE(fm.ListEntries(list, Spec(t / "out\\copy\\*"), true));
        CHECK(list.empty());
    }

    SUBCASE("without create a missing destination fails") {
        CHECK_FALSE(fm.CopyDirectory(Spec(t / "src"), Spec(t / "copy"), false, true, false));
        CHECK_FALSE(ExistsAt(t / "copy"));
    }

    SUBCASE("with recursive every file of the tree is copied") {
        CHECK(fm.CopyDirectory(Spec(t / "src"), Spec(t / "out\\copy"), false, true, true));
        CHECK(Content(t / "out\\copy\\a.txt") == "a");
        CHECK(Content(t / "out\\copy\\z.txt") == "z");
        CHECK(Content(t / "out\\copy\\m\\inner.txt") == "inner");
        CHECK(Content(t / "out\\copy\\m\\n\\leaf.txt") == "leaf");
        CHECK(Content(t / "src\\m\\n\\leaf.txt") == "leaf");
    }

    SUBCASE("existing files are replaced only with overwrite") {
        t.MakeDirectory("copy");
        t.MakeFile("copy\\z.txt", "old");
        CHECK_FALSE(fm.CopyDirectory(Spec(t / "src"), Spec(t / "copy"), false, true, true));
        CHECK(Content(t / "copy\\z.txt") == "old");
        CHECK(fm.CopyDirectory(Spec(t / "src"), Spec(t / "copy"), true, true, true));
        CHECK(Content(t / "copy\\z.txt") == "z");
    }

    SUBCASE("a copy into its own tree is refused before anything is made") {
        t.MakeDirectory("src\\self");
        CHECK_FALSE(fm.CopyDirectory(Spec(t / "src"), Spec(t / "src\\self"), false, true, true));
        CHECK_FALSE(fm.CopyDirectory(Spec(t / "src"), Spec(t / "src\\new\\deeper"), false, true, true));
        CHECK_FALSE(ExistsAt(t / "src\\self\\a.txt"));
        CHECK_FALSE(ExistsAt(t / "src\\new"));
    }

    SUBCASE("the source must be a directory") {
        CHECK_FALSE(fm.CopyDirectory(Spec(t / "src\\a.txt"), Spec(t / "c"), true, true, true));
        CHECK_FALSE(fm.CopyDirectory(Spec(t / "missing"), Spec(t / "c"), true, true, true));
        CHECK_FALSE(ExistsAt(t / "c"));
    }
}

TEST_CASE("moving directories") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    t.MakeDirectory("src");
    t.MakeFile("src\\a.txt", "a");
    t.MakeDirectory("src\\m");
    t.MakeFile("src\\m\\inner.txt", "inner");
    t.MakeFile("src\\z.txt", "z");

    SUBCASE("the tree arrives and the source is gone") {
        CHECK(fm.MoveDirectory(Spec(t / "src"), Spec(t / "out\\moved"), false));
        CHECK_FALSE(ExistsAt(t / "src"));
        CHECK(Content(t / "out\\moved\\a.txt") == "a");
        CHECK(Content(t / "out\\moved\\z.txt") == "z");
        CHECK(Content(t / "out\\moved\\m\\inner.txt") == "inner");

        CHECK(fm.RelocateDirectory(Spec(t / "out\\moved"), Spec(t / "back"), false));
        CHECK_FALSE(ExistsAt(t / "out\\moved"));
        CHECK(Content(t / "back\\m\\inner.txt") == "inner");
    }

    SUBCASE("a copy that fails keeps the source") {
        t.MakeDirectory("dest");
        t.MakeFile("dest\\z.txt", "other");
        CHECK_FALSE(fm.MoveDirectory(Spec(t / "src"), Spec(t / "dest"), false));
        CHECK(Content(t / "src\\z.txt") == "z");
        CHECK(Content(t / "dest\\z.txt") == "other");
    }

    SUBCASE("a move into the source itself is refused and loses nothing") {
        CHECK_FALSE(fm.MoveDirectory(Spec(t / "src"), Spec(t / "src\\inside"), false));
        CHECK_FALSE(fm.MoveDirectory(Spec(t / "src"), Spec(t / "SRC\\m\\deeper"), true));
        CHECK_FALSE(fm.RelocateDirectory(Spec(t / "src"), Spec(t / "src"), true));
        CHECK(Content(t / "src\\a.txt") == "a");
        CHECK(Content(t / "src\\m\\inner.txt") == "inner");
        CHECK_FALSE(ExistsAt(t / "src\\inside"));
    }

    SUBCASE("a sibling whose name starts like the source is no part of it") {
        CHECK(fm.MoveDirectory(Spec(t / "src"), Spec(t / "src2"), false));
        CHECK(Content(t / "src2\\m\\inner.txt") == "inner");
        CHECK_FALSE(ExistsAt(t / "src"));
    }
}

TEST_CASE("copying what a pattern matches, mirrored and not") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    t.MakeDirectory("src");
    t.MakeFile("src\\a.txt", "a");
    t.MakeFile("src\\b.log", "b");
    t.MakeDirectory("src\\s1");
    t.MakeFile("src\\s1\\c.txt", "c");
    t.MakeDirectory("src\\s1\\s2");
    t.MakeFile("src\\s1\\s2\\d.txt", "d");
    t.MakeDirectory("dest");

    SUBCASE("mirrored: the subdirectories are recreated") {
        CHECK(fm.CopyMatching(Spec(t / "dest"), Spec(t / "src\\*.txt"), false, true, true));
        CHECK(Content(t / "dest\\a.txt") == "a");
        CHECK(Content(t / "dest\\s1\\c.txt") == "c");
        CHECK(Content(t / "dest\\s1\\s2\\d.txt") == "d");
        CHECK_FALSE(ExistsAt(t / "dest\\b.log"));
        CHECK_FALSE(ExistsAt(t / "dest\\c.txt"));
    }

    SUBCASE("not mirrored: every matching file lands in the destination itself") {
        CHECK(fm.CopyMatching(Spec(t / "dest"), Spec(t / "src\\*.txt"), false, true, false));
        CHECK(Content(t / "dest\\a.txt") == "a");
        CHECK(Content(t / "dest\\c.txt") == "c");
        CHECK(Content(t / "dest\\d.txt") == "d");
        CHECK_FALSE(ExistsAt(t / "dest\\s1"));
        CHECK_FALSE(ExistsAt(t / "dest\\b.log"));
    }

    SUBCASE("not mirrored, equal names collide unless overwrite is set") {
        t.MakeFile("src\\s1\\a.txt", "inner a");
        CHECK_FALSE(fm.CopyMatching(Spec(t / "dest"), Spec(t / "src\\*.txt"), false, true, false));
        CHECK(fm.CopyMatching(Spec(t / "dest"), Spec(t / "src\\*.txt"), true, true, false));
        // The subdirectories are copied first, the top level last.
        CHECK(Content(t / "dest\\a.txt") == "a");
    }

    SUBCASE("without recursive only the top level is copied") {
        CHECK(fm.CopyMatching(Spec(t / "dest"), Spec(t / "src\\*"), false, false, true));
        CHECK(Content(t / "dest\\a.txt") == "a");
        CHECK(Content(t / "dest\\b.log") == "b");
        CHECK_FALSE(ExistsAt(t / "dest\\s1"));
    }

    SUBCASE("a pattern that matches nothing copies nothing and succeeds") {
        CHECK(fm.CopyMatching(Spec(t / "dest"), Spec(t / "src\\*.none"), false, true, true));
        FileSpecList list;
        REQUIRE(fm.ListEntries(list, Spec(t / "dest\\*"), true));
        // Mirroring still recreates the (empty) subdirectories.
        CHECK(Sorted(Names(list, t)) ==
              std::vector<std::string>{"dest\\s1", "dest\\s1\\s2"});
    }

    SUBCASE("the destination must be an existing directory") {
        CHECK_FALSE(fm.CopyMatching(Spec(t / "none"), Spec(t / "src\\*"), false, true, true));
        CHECK_FALSE(ExistsAt(t / "none"));
        CHECK_FALSE(fm.CopyMatching(Spec(t / "src\\a.txt"), Spec(t / "src\\*"), true, false, true));
        CHECK(Content(t / "src\\a.txt") == "a");
    }

    SUBCASE("all files of a directory, with and without the tree") {
        CHECK(fm.CopyFilesIn(Spec(t / "src"), Spec(t / "dest"), false, false, true));
        CHECK(Content(t / "dest\\b.log") == "b");
        CHECK_FALSE(ExistsAt(t / "dest\\s1"));
        CHECK(fm.CopyFilesIn(Spec(t / "src"), Spec(t / "dest"), true, true, true));
        CHECK(Content(t / "dest\\s1\\s2\\d.txt") == "d");
    }
}

TEST_CASE("making the directories above a path") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;

    SUBCASE("every missing level is made, the path itself is not") {
        CHECK(fm.CreateParentDirectories(Spec(t / "a\\b\\c.txt")));
        CHECK(IsDirectoryAt(t / "a"));
        CHECK(IsDirectoryAt(t / "a\\b"));
        CHECK_FALSE(ExistsAt(t / "a\\b\\c.txt"));
        // Nothing is left to do now.
        CHECK(fm.CreateParentDirectories(Spec(t / "a\\b\\c.txt")));
        CHECK(fm.CreateParentDirectories(Spec(t / "a\\b")));
        CHECK_FALSE(ExistsAt(t / "a\\b\\c.txt"));
    }

    SUBCASE("a parent that is a file cannot be built on") {
        t.MakeFile("f.txt");
        CHECK_FALSE(fm.CreateParentDirectories(Spec(t / "f.txt\\x\\y.txt")));
        CHECK(IsFileAt(t / "f.txt"));
    }

    SUBCASE("a relative path runs out of ancestors") {
        CurrentDirectory here(t.Path());
        REQUIRE(here.Changed());
        CHECK_FALSE(fm.CreateParentDirectories(Spec("nowhere\\x\\y.txt")));
        CHECK_FALSE(ExistsAt(t / "nowhere"));
        CHECK_FALSE(fm.CreateParentDirectories(Spec("")));
    }

    SUBCASE("a drive that does not exist has no ancestor") {
        const DWORD drives = GetLogicalDrives();
        char letter = 0;
        for (char c = 'Q'; c <= 'Y' && !letter; ++c)
            if (!(drives & (1u << (c - 'A')))) letter = c;
        REQUIRE(letter != 0);
        const std::string path = std::string(1, letter) + ":\\a\\b\\c.txt";
        CHECK_FALSE(fm.CreateParentDirectories(Spec(path)));
    }
}
