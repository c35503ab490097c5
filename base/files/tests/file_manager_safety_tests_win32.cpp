// The file manager never loses data and never answers true for a loss: copies and
// moves into their own trees, files onto themselves, patterns rooted at a drive,
// deep paths, and a random walk of operations over small trees.

#include "files/name_pattern.h"
#include "files/win32_file_manager.h"

#include "scoped_environment_win32.h"
#include "temp_folder_win32.h"
#include "tree_snapshot_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

using namespace LumoBase;

namespace {

AFileSpec Spec(const std::string& path) { return AFileSpec(path.c_str()); }

// path with its longest existing head in the short (8.3) form; the rest as given.
std::string Shortened(const std::string& path) {
    for (size_t cut = path.size(); cut != std::string::npos && cut > 2;
         cut = path.rfind('\\', cut - 1)) {
        char buffer[MAX_PATH];
        const DWORD n = GetShortPathNameA(path.substr(0, cut).c_str(), buffer, MAX_PATH);
        if (n > 0 && n < MAX_PATH) return std::string(buffer, n) + path.substr(cut);
    }
    return path;
}

// The same folder on drive Z:, through the prefix's own folders (Wine maps Z: to
// the host's root): another drive letter that no text rule can see through.
std::string ThroughDriveZ(const std::string& path) {
    typedef char*(__cdecl * UnixName)(const WCHAR*);
    const UnixName unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    if (!unixName || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return "";
    char* name = unixName(wide);
    if (!name) return "";
    std::string z = "Z:" + std::string(name);
    HeapFree(GetProcessHeap(), 0, name);
    for (char& c : z)
        if (c == '/') c = '\\';
    return z;
}

}  // namespace

TEST_CASE("a copy or move that would write into its own source is refused and changes nothing") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    t.MakeDirectory("src");
    t.MakeFile("src\\a.txt", "a");
    t.MakeDirectory("src\\m");
    t.MakeFile("src\\m\\inner.txt", "inner");
    // tool holds tool\lib\x.dll and lib\x.dll: moved into its parent, the inner
    // tool would land on the outer one.
    t.MakeDirectory("tool");
    t.MakeDirectory("tool\\lib");
    t.MakeFile("tool\\lib\\x.dll", "outer");
    t.MakeDirectory("tool\\tool");
    t.MakeDirectory("tool\\tool\\lib");
    t.MakeFile("tool\\tool\\lib\\x.dll", "inner");
    const Snapshot before = Take(t.Path());

    const struct {
        const char* source;
        const char* destination;
    } cases[] = {
        {"src", "x\\..\\src\\inside"},
        {"x\\..\\src", "src\\inside"},
        {"src", "src\\\\inside"},
        {"src\\\\", "SRC\\m\\deeper"},
        {"Src", "sRC"},
        {"src\\.", "src\\m\\.."},
        {"src", "src\\m"},
        {"tool", "."},
        {"tool", "TOOL\\.."},
        {"tool\\\\", "x\\.."},
    };
    for (const auto& c : cases) {
        const std::string names = std::string(c.source) + " -> " + c.destination;
        CAPTURE(names);
        const AFileSpec source = Spec(t / c.source), destination = Spec(t / c.destination);
        CHECK_FALSE(fm.MoveDirectory(source, destination, true));
        CHECK_FALSE(fm.RelocateDirectory(source, destination, false));
        CHECK_FALSE(fm.CopyDirectory(source, destination, true, true, true));
        CHECK_FALSE(fm.CopyFilesIn(source, destination, true, true, true));
        CHECK(Take(t.Path()) == before);
    }

    // Without the inner tool the contents may go to the parent: nothing lands in
    // the source.
    SUBCASE("a move into the parent without a child of the same name") {
        t.MakeDirectory("solo");
        t.MakeDirectory("solo\\bin");
        t.MakeFile("solo\\bin\\s.exe", "s");
        CHECK(fm.MoveDirectory(Spec(t / "solo"), Spec(t.Path()), false));
        CHECK(Content(t / "bin\\s.exe") == "s");
        CHECK(GetFileAttributesA((t / "solo").c_str()) == INVALID_FILE_ATTRIBUTES);
    }
}

TEST_CASE("another name of the source's folder is still its folder") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    // Longparentname\tool holds tool\lib\x.dll: moved into its parent, by any of
    // the parent's names, the inner tool would land on the outer one.
    t.MakeDirectory("Longparentname");
    t.MakeDirectory("Longparentname\\tool");
    t.MakeDirectory("Longparentname\\tool\\lib");
    t.MakeFile("Longparentname\\tool\\lib\\x.dll", "outer");
    t.MakeDirectory("Longparentname\\tool\\tool");
    t.MakeDirectory("Longparentname\\tool\\tool\\lib");
    t.MakeFile("Longparentname\\tool\\tool\\lib\\x.dll", "inner");
    t.MakeDirectory("caf\xe9");
    t.MakeFile("caf\xe9\\a.txt", "a");
    const std::string parent = t / "Longparentname", tool = parent + "\\tool";
    const std::string shortParent = Shortened(parent), onZ = ThroughDriveZ(parent);
    REQUIRE(Upper(shortParent) != Upper(parent));
    REQUIRE(!onZ.empty());
    REQUIRE(GetFileAttributesA(onZ.c_str()) != INVALID_FILE_ATTRIBUTES);
    const Snapshot before = Take(t.Path());

    const struct {
        std::string source;
        std::string destination;
    } cases[] = {
        {tool, shortParent},
        {tool, "\\\\?\\" + parent},
        {tool, "\\\\?\\" + shortParent},
        {Shortened(tool), parent},
        {tool, onZ},
        {tool, Shortened(tool) + "\\inside"},
        {tool, "\\\\?\\" + tool + "\\inside"},
        {tool, ThroughDriveZ(tool) + "\\inside"},
        // \xe9 and \xc9 are one letter in two cases in code page 1252.
        {t / "caf\xe9", t / "CAF\xc9\\inside"},
    };
    for (const auto& c : cases) {
        const std::string names = c.source + " -> " + c.destination;
        CAPTURE(names);
        CHECK_FALSE(fm.MoveDirectory(Spec(c.source), Spec(c.destination), true));
        CHECK_FALSE(fm.CopyDirectory(Spec(c.source), Spec(c.destination), true, true, true));
        CHECK_FALSE(fm.CopyFilesIn(Spec(c.source), Spec(c.destination), true, true, true));
        CHECK(Take(t.Path()) == before);
    }

    // A file by its other names.
    t.MakeFile("Longparentname\\Longfilename.txt", "keep");
    const std::string file = parent + "\\Longfilename.txt";
    for (const std::string& other : {Shortened(file), onZ + "\\Longfilename.txt"}) {
        CAPTURE(other);
        CHECK_FALSE(fm.MoveSingleFile(Spec(file), Spec(other), true));
        CHECK(Content(file) == "keep");
    }

    // The texts are compared by the system's own fold where identity cannot be had.
    if (GetACP() == 1252) {
        for (unsigned b = 0; b < 256; ++b) {
            CAPTURE(b);
            CHECK(SystemCaseFold().Upper(static_cast<unsigned char>(b)) ==
                  CaseFold::CodePage1252().Upper(static_cast<unsigned char>(b)));
        }
    }
}

TEST_CASE("a file copied or moved onto itself is refused and kept") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    t.MakeDirectory("d");
    t.MakeFile("d\\f.txt", "data");
    const char* same[] = {"d\\f.txt", "D\\F.TXT", "d\\x\\..\\f.txt", "d\\\\f.txt", "d\\.\\f.txt"};
    for (const char* other : same) {
        const std::string name = other;
        CAPTURE(name);
        CHECK_FALSE(fm.MoveSingleFile(Spec(t / "d\\f.txt"), Spec(t / other), true));
        CHECK_FALSE(fm.CopySingleFile(Spec(t / "d\\f.txt"), Spec(t / other), true, true));
        CHECK(Content(t / "d\\f.txt") == "data");
    }
    // The same directory as pattern and destination copies each file onto itself.
    CHECK_FALSE(fm.CopyMatching(Spec(t / "d"), Spec(t / "D\\*.txt"), true, false, false));
    CHECK(Content(t / "d\\f.txt") == "data");
}

TEST_CASE("a pattern rooted at the drive names the files it lists") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    REQUIRE(t.Path().compare(1, 2, ":\\") == 0);
    const std::string drive = t.Path().substr(0, 2);
    const std::string prefix = "tarnbolt-root-" + std::to_string(GetCurrentProcessId());
    const std::string rootFile = drive + "\\" + prefix + ".log";
    // The same names in the current directory, which the pattern must not reach.
    t.MakeFile(prefix + ".log", "here");
    {
        HANDLE h = CreateFileA(rootFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        REQUIRE(h != INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    CurrentDirectory here(t.Path());
    REQUIRE(here.Changed());

    FileSpecList list;
    REQUIRE(fm.ListEntries(list, Spec("\\" + prefix + "*.log"), false));
    REQUIRE(list.size() == 1u);
    CHECK(Upper(list.front().GetFullPath()) == Upper(rootFile));
    // A forward slash roots the pattern the same way.
    REQUIRE(fm.ListEntries(list, Spec("/" + prefix + "*.log"), false));
    REQUIRE(list.size() == 1u);
    CHECK(Upper(list.front().GetFullPath()) == Upper(rootFile));
    CHECK(fm.DeleteMatching(Spec("/" + prefix + "*.log"), false));
    CHECK(GetFileAttributesA(rootFile.c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK(Content(t / (prefix + ".log")) == "here");

    // The drive alone is its current directory, here too, never its root.
    const HANDLE keep = CreateFileA(rootFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(keep != INVALID_HANDLE_VALUE);
    CloseHandle(keep);
    REQUIRE(fm.ListEntries(list, Spec(drive), false));
    REQUIRE(list.size() == 1u);
    CHECK(Upper(list.front().GetFullPath()) == Upper(t / (prefix + ".log")));
    CHECK(fm.DeleteFilesIn(Spec(drive), false));
    CHECK(Content(t / (prefix + ".log")) == "<missing>");
    CHECK(GetFileAttributesA(rootFile.c_str()) != INVALID_FILE_ATTRIBUTES);
    DeleteFileA(rootFile.c_str());
    t.MakeFile(prefix + ".log", "here");

    // C:name is the current directory of drive C, while the process stands on
    // another drive.
    SetEnvironmentVariableA(("=" + drive).c_str(), t.Path().c_str());
    CurrentDirectory elsewhere("Z:\\");
    REQUIRE(elsewhere.Changed());
    REQUIRE(fm.ListEntries(list, Spec(drive + prefix + "*.log"), false));
    REQUIRE(list.size() == 1u);
    CHECK(Upper(list.front().GetFullPath()) == Upper(t / (prefix + ".log")));
    CHECK(fm.DeleteMatching(Spec(drive + prefix + "*.log"), false));
    CHECK(Content(t / (prefix + ".log")) == "<missing>");
    SetEnvironmentVariableA(("=" + drive).c_str(), nullptr);
}

TEST_CASE("a pattern acts on the long names it matches, and a bare pattern on the current directory") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    t.MakeDirectory("d");
    t.MakeFile("d\\a.log", "a");
    t.MakeFile("d\\x.logold", "x");
    t.MakeDirectory("d\\sub");
    t.MakeFile("d\\sub\\b.txt", "b");
    t.MakeFile("d\\c.txt", "c");
    t.MakeDirectory("out");
    // The platform's own listing answers x.logold for *.log through its short name
    // (X~1.LOG on Windows); without that this case proves nothing.
    WIN32_FIND_DATAA found;
    const HANDLE h = FindFirstFileA((t / "d\\x*.log").c_str(), &found);
    REQUIRE(h != INVALID_HANDLE_VALUE);
    FindClose(h);
    CHECK(fm.CopyMatching(Spec(t / "out"), Spec(t / "d\\*.log"), false, false, false));
    CHECK(Content(t / "out\\x.logold") == "<missing>");
    CHECK(fm.DeleteMatching(Spec(t / "d\\*.log"), false));
    CHECK(Content(t / "d\\a.log") == "<missing>");
    CHECK(Content(t / "d\\x.logold") == "x");

    // *.txt without a folder copies from the current directory's tree.
    CurrentDirectory here(t / "d");
    REQUIRE(here.Changed());
    CHECK(fm.CopyMatching(Spec(t / "out"), Spec("*.txt"), false, true, false));
    CHECK(Content(t / "out\\b.txt") == "b");
    CHECK(Content(t / "out\\c.txt") == "c");
}

TEST_CASE("the directories above a path of thousands of components") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    std::string deep = t.Path();
    for (int i = 0; i < 20000; ++i) deep += "\\d";
    // Far beyond what the platform makes: false, and no overflow on the way.
    CHECK_FALSE(fm.CreateParentDirectories(Spec(deep + "\\f.txt")));
    CHECK(fm.CreateParentDirectories(Spec(t / "d\\e\\f.txt")));
    CHECK((GetFileAttributesA((t / "d\\e").c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

namespace {

// A small random number source, the same on every run.
struct Random {
    unsigned state;
    unsigned Below(unsigned n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    }
    bool Chance(unsigned percent) { return Below(100) < percent; }
};

// c in the other case, letters of code page 1252 included (\xe9 and \xc9).
char OtherCase(char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
        return static_cast<char>(b - 0x20);
    return c;
}

// rel (below root, lower case; root lies in top, the current directory) written as
// users and programs do: letters in other case, doubled separators, a detour
// through "..", a trailing separator; or short names, the long-path prefix, a
// leading "/" for the drive, or the bare drive for the current directory.
std::string Render(Random& r, const std::string& top, const std::string& root,
                   const std::string& rel, bool directory) {
    std::string text = root, plain = root;
    size_t begin = 0;
    while (begin <= rel.size() && !rel.empty()) {
        size_t end = rel.find('\\', begin);
        if (end == std::string::npos) end = rel.size();
        std::string part = rel.substr(begin, end - begin);
        for (char& c : part)
            if (r.Chance(30)) c = OtherCase(c);
        text += r.Chance(15) ? "\\\\" : "\\";
        if (r.Chance(15)) text += r.Chance(50) ? "q\\..\\" : ".\\";
        text += part;
        plain += "\\" + part;
        begin = end + 1;
    }
    if (directory && r.Chance(15)) text += r.Chance(50) ? "\\" : "\\.";
    switch (r.Below(10)) {
        case 0: return Shortened(plain);
        case 1: return "\\\\?\\" + plain;
        case 2: return "/" + plain.substr(3);
        case 3: return top.substr(0, 2) + plain.substr(top.size() + 1);
        default: return text;
    }
}

bool Below(const std::string& path, const std::string& dir) {
    return dir.empty() || path == dir || path.compare(0, dir.size() + 1, dir + "\\") == 0;
}

// The part of every key of s below dir, with its value.
Snapshot Subtree(const Snapshot& s, const std::string& dir) {
    Snapshot part;
    for (const auto& e : s)
        if (e.first != dir && Below(e.first, dir))
            part[dir.empty() ? e.first : e.first.substr(dir.size() + 1)] = e.second;
    return part;
}

}  // namespace

TEST_CASE("random operations change nothing outside the trees they name, and true is true") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    WIN32_FileManager fm;
    // Bare drives and rooted paths are read against this directory.
    CurrentDirectory here(t.Path());
    REQUIRE(here.Changed());
    Random r{20261209};
    // A long name has a short one besides; \xe9 changes case beyond ASCII.
    const char* names[] = {"a", "b", "ab", "parentfolder", "caf\xe9"};
    int trues = 0, falses = 0;
    for (int tree = 0; tree < 12; ++tree) {
        const std::string root = t / ("w" + std::to_string(tree));
        CreateDirectoryA(root.c_str(), nullptr);
        // A random tree three levels deep.
        std::vector<std::string> dirs{""}, files;
        for (int i = 0; i < 14; ++i) {
            const std::string parent = dirs[r.Below(static_cast<unsigned>(dirs.size()))];
            if (std::count(parent.begin(), parent.end(), '\\') >= 2) continue;
            const std::string rel =
                (parent.empty() ? "" : parent + "\\") + names[r.Below(5)] + (r.Chance(40) ? ".f" : "");
            if (rel.size() > 2 && rel.compare(rel.size() - 2, 2, ".f") == 0) {
                HANDLE h = CreateFileA((root + "\\" + rel).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
                if (h == INVALID_HANDLE_VALUE) continue;
                const std::string text = "file" + std::to_string(tree * 100 + i);
                DWORD written = 0;
                WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
                CloseHandle(h);
                files.push_back(rel);
            } else if (CreateDirectoryA((root + "\\" + rel).c_str(), nullptr)) {
                dirs.push_back(rel);
            }
        }
        for (int step = 0; step < 12; ++step) {
            const Snapshot before = Take(root);
            const unsigned op = r.Below(files.empty() ? 3 : 6);
            // Two places: existing directories or files, or a new name below one.
            const bool onFiles = op >= 3;
            const auto& pool = onFiles ? files : dirs;
            std::string from = pool[r.Below(static_cast<unsigned>(pool.size()))];
            std::string to = r.Chance(50) ? pool[r.Below(static_cast<unsigned>(pool.size()))]
                                          : dirs[r.Below(static_cast<unsigned>(dirs.size()))];
            if (r.Chance(40) || (onFiles && before.count(Upper(to)) && before.at(Upper(to)) == "<dir>"))
                to = (to.empty() ? "" : to + "\\") + "n" + std::to_string(step) + (onFiles ? ".f" : "");
            const std::string fromText = Render(r, t.Path(), root, from, !onFiles);
            const std::string toText = Render(r, t.Path(), root, to, !onFiles);
            const bool overwrite = r.Chance(50);
            CAPTURE(fromText);
            CAPTURE(toText);
            CAPTURE(op);
            bool answer = false;
            switch (op) {
                case 0: answer = fm.CopyDirectory(Spec(fromText), Spec(toText), overwrite, true, true); break;
                case 1: answer = fm.MoveDirectory(Spec(fromText), Spec(toText), overwrite); break;
                case 2: answer = fm.DeleteDirectory(Spec(fromText), true); break;
                case 3: answer = fm.CopySingleFile(Spec(fromText), Spec(toText), overwrite, true); break;
                case 4: answer = fm.MoveSingleFile(Spec(fromText), Spec(toText), overwrite); break;
                default: answer = fm.DeleteSingleFile(Spec(fromText)); break;
            }
            answer ? ++trues : ++falses;
            const Snapshot after = Take(root);
            const std::string f = Upper(from), d = Upper(to);
            const bool deletes = op == 2 || op == 5;
            // Outside the named trees nothing changes.
            for (const auto& e : before) {
                if (Below(e.first, f) || (!deletes && Below(e.first, d))) continue;
                CAPTURE(e.first);
                CHECK((after.count(e.first) && after.at(e.first) == e.second));
            }
            for (const auto& e : after)
                if (!Below(e.first, f) && (deletes || !Below(e.first, d))) CHECK(before.count(e.first));
            // A copy never changes its source, whatever it answers.
            if (op == 0 || op == 3) CHECK(Subtree(after, f) == Subtree(before, f));
            if (op == 3 && before.count(f)) CHECK(after.count(f));
            // What true promises.
            const Snapshot source = Subtree(before, f), arrived = Subtree(after, d);
            if (answer && (op == 0 || op == 1)) {
                for (const auto& e : source) {
                    CAPTURE(e.first);
                    CHECK((arrived.count(e.first) && arrived.at(e.first) == e.second));
                }
            }
            if (answer && (op == 1 || op == 2 || op == 4 || op == 5)) CHECK_FALSE(after.count(f));
            // A move that answers false leaves its source whole.
            if (!answer && (op == 1 || op == 4)) {
                CHECK(after.count(f) == before.count(f));
                CHECK(Subtree(after, f) == Subtree(before, f));
            }
            if (answer && (op == 3 || op == 4))
                CHECK((after.count(d) && before.count(f) && after.at(d) == before.at(f)));
            // Keep the pools to what exists now.
            std::vector<std::string> nowDirs{""}, nowFiles;
            for (const auto& e : after) {
                std::string lower = e.first;
                for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                (e.second == "<dir>" ? nowDirs : nowFiles).push_back(lower);
            }
            dirs.swap(nowDirs);
            files.swap(nowFiles);
            if (dirs.size() == 1 && files.empty()) break;
        }
    }
    // Both answers happened often enough to mean something.
    CHECK(trues > 20);
    CHECK(falses > 20);
    MESSAGE("true ", trues, ", false ", falses);
}
