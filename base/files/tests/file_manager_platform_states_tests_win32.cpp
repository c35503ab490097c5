// States Wine cannot put a folder in, each through one call this program links in
// place of the platform's: a listing refused (no right to list, a lost network),
// and folders without an identity (Windows 95, 98 and Me). A folder named
// "refused" cannot be listed here, and no entry has an identity.

#include "files/file_system_calls.h"
#include "files/win32_file_manager.h"

#include "temp_folder_win32.h"
#include "tree_snapshot_win32.h"
#include "unix_links_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>

namespace LumoBase {
namespace FileSystemCalls {

void* FindFirstEntry(const char* pattern, WIN32_FIND_DATAA* data) {
    if (std::string(pattern).find("\\refused\\") != std::string::npos) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return FindFirstFileA(pattern, data);
}

bool FindNextEntry(void* search, WIN32_FIND_DATAA* data) {
    return FindNextFileA(search, data) == TRUE;
}

bool IdentityOf(const char*, EntryIdentity&) { return false; }

}  // namespace FileSystemCalls
}  // namespace LumoBase

using namespace LumoBase;

namespace {

AFileSpec Spec(const std::string& path) { return AFileSpec(path.c_str()); }

}  // namespace

TEST_CASE("a refused listing is no empty folder: nothing answers true for work not done") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    t.MakeDirectory("src");
    t.MakeFile("src\\a.txt", "a");
    t.MakeDirectory("src\\refused");
    t.MakeFile("src\\refused\\b.txt", "bb");
    const auto before = Take(t / "src");

    CHECK_FALSE(fm.CopyDirectory(Spec(t / "src\\refused"), Spec(t / "copy"), true, true, true));
    CHECK_FALSE(fm.CopyDirectory(Spec(t / "src"), Spec(t / "copy2"), true, true, true));
    CHECK_FALSE(fm.MoveDirectory(Spec(t / "src"), Spec(t / "moved"), true));
    CHECK(Take(t / "src") == before);
    CHECK_FALSE(fm.DeleteDirectory(Spec(t / "src\\refused"), true));
    CHECK(GetFileAttributesA((t / "src\\refused\\b.txt").c_str()) != INVALID_FILE_ATTRIBUTES);
    FileSpecList list;
    CHECK_FALSE(fm.ListEntries(list, Spec(t / "src\\refused\\*"), false));
    // Nothing there to list is an empty listing, as before.
    CHECK(fm.ListEntries(list, Spec(t / "src\\*.none"), false));
    CHECK(fm.ListEntries(list, Spec(t / "absent\\*"), false));
    CHECK(list.empty());
}

TEST_CASE("without identities the long names and the system's case decide") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    t.MakeDirectory("Longparentname");
    t.MakeDirectory("Longparentname\\tool");
    t.MakeFile("Longparentname\\tool\\x.dll", "outer");
    t.MakeDirectory("Longparentname\\tool\\tool");
    t.MakeFile("Longparentname\\tool\\tool\\x.dll", "inner");
    t.MakeDirectory("caf\xe9");
    t.MakeFile("caf\xe9\\a.txt", "a");
    const std::string parent = t / "Longparentname", tool = parent + "\\tool";
    char buffer[MAX_PATH];
    const DWORD n = GetShortPathNameA(parent.c_str(), buffer, MAX_PATH);
    REQUIRE((n > 0 && n < MAX_PATH));
    const std::string shortParent(buffer, n);
    REQUIRE(shortParent != parent);
    const auto before = Take(t.Path());

    const struct {
        std::string source;
        std::string destination;
    } cases[] = {
        {tool, shortParent},
        {tool, "\\\\?\\" + shortParent},
        {shortParent + "\\tool", parent},
        {tool, shortParent + "\\TOOL\\inside"},
        {t / "caf\xe9", t / "CAF\xc9\\inside"},
    };
    for (const auto& c : cases) {
        const std::string names = c.source + " -> " + c.destination;
        CAPTURE(names);
        CHECK_FALSE(fm.MoveDirectory(Spec(c.source), Spec(c.destination), true));
        CHECK_FALSE(fm.CopyFilesIn(Spec(c.source), Spec(c.destination), true, true, true));
        CHECK(Take(t.Path()) == before);
    }
    CHECK_FALSE(fm.MoveSingleFile(Spec(tool + "\\x.dll"), Spec(shortParent + "\\tool\\X.DLL"), true));
    CHECK(Take(t.Path()) == before);
}

TEST_CASE("without identities a probe file tells a second drive letter for the same folder") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    // t\tool holds lib.dll and tool\lib.dll: moved into t, the inner one would land
    // on t\lib.dll, and the folder tool would go with the source.
    t.MakeFile("lib.dll", "outer");
    t.MakeDirectory("tool");
    t.MakeFile("tool\\lib.dll", "tool's");
    t.MakeDirectory("tool\\tool");
    t.MakeFile("tool\\tool\\lib.dll", "inner");
    const std::string z = UnixLinks::ThroughDriveZ(t.Path());
    REQUIRE(!z.empty());
    const Snapshot before = Take(t.Path());

    const std::string destinations[] = {z, z + "\\tool", z + "\\tool\\tool\\new"};
    for (const std::string& destination : destinations) {
        CAPTURE(destination);
        CHECK_FALSE(fm.MoveDirectory(Spec(t / "tool"), Spec(destination), true));
        CHECK_FALSE(fm.CopyFilesIn(Spec(t / "tool"), Spec(destination), true, true, true));
        // No probe is left behind.
        CHECK(Take(t.Path()) == before);
    }
    CHECK(fm.CopyDirectory(Spec(t / "tool"), Spec(z + "\\copy"), false, true, true));
    CHECK(Content(t / "copy\\tool\\lib.dll") == "inner");
    CHECK(Take(t / "copy").size() == 3u);
}
