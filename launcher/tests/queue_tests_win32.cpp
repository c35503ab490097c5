// The replace-on-restart queue on the NT road (this process runs as a Windows of
// the NT family), with library names of its own: Wine's msvcrt.dll always exists.

#include "launcher.h"
#include "rename_file.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

using Tarnbolt::Launcher;
using Tarnbolt::MergeRenameFile;

namespace {

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Write(const std::string& path, const std::string& content) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(h != INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The disk fills up half-way through the text.
BOOL WINAPI HalfWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    WriteFile(file, data, size / 2, written, nullptr);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// The last byte is lost, yet the write answers success: only reading back tells.
BOOL WINAPI LossyWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    BOOL done = WriteFile(file, data, size - 1, written, nullptr);
    *written = size;
    return done;
}

// The delayed moves the platform holds for the next start, as one text.
std::string PendingRenames() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    DWORD size = 0;
    std::string text;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
            ERROR_SUCCESS && size > 0) {
        std::wstring data(size / sizeof(WCHAR) + 1, L'\0');
        RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&data[0]), &size);
        for (wchar_t c : data) text += c ? static_cast<char>(c) : '|';
    }
    RegCloseKey(key);
    return text;
}

// Paths compared without regard to case: the platform may store them either way.
bool Contains(std::string text, std::string part) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    for (char& c : part) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text.find(part) != std::string::npos;
}

struct Files {
    explicit Files(const char* tag) {
        for (int i = 0; i < 3; ++i) {
            std::string name = std::string("tbq_") + tag + static_cast<char>('a' + i) + ".dll";
            source[i] = launcher.TempFilePath(name);
            target[i] = launcher.SystemFilePath(name);
            DeleteFileA(target[i].c_str());
            Write(source[i], "new " + name);
            launcher.AddPending(source[i]);
        }
    }
    ~Files() {
        for (int i = 0; i < 3; ++i) {
            DeleteFileA(source[i].c_str());
            DeleteFileA(target[i].c_str());
        }
    }
    Launcher launcher;
    std::string source[3], target[3];
};

}  // namespace

TEST_CASE("nothing in the way: every file moves at once, no restart") {
    Files f("none");
    bool restart = true;
    CHECK(f.launcher.CommitPending(restart));
    CHECK_FALSE(restart);
    CHECK(f.launcher.Pending().empty());
    for (int i = 0; i < 3; ++i) {
        CHECK(Exists(f.target[i]));
        CHECK_FALSE(Exists(f.source[i]));
    }
}

TEST_CASE("the first library present: everything is deferred to delayed moves") {
    Files f("first");
    Write(f.target[0], "old");
    bool restart = false;
    CHECK(f.launcher.CommitPending(restart));
    CHECK(restart);
    CHECK(f.launcher.Pending().empty());
    const std::string pending = PendingRenames();
    for (int i = 0; i < 3; ++i) {
        CHECK(Exists(f.source[i]));  // moved only at the next start
        CHECK(Contains(pending, f.source[i].substr(2)));
        CHECK(Contains(pending, f.target[i].substr(2)));
    }
    CHECK_FALSE(Exists(f.target[1]));
}

TEST_CASE("only the second present: the first moves, the rest is deferred") {
    Files f("second");
    Write(f.target[1], "old");
    bool restart = false;
    CHECK(f.launcher.CommitPending(restart));
    CHECK(restart);
    CHECK(Exists(f.target[0]));
    CHECK_FALSE(Exists(f.source[0]));
    const std::string pending = PendingRenames();
    CHECK_FALSE(Contains(pending, f.source[0].substr(2)));
    CHECK(Contains(pending, f.source[1].substr(2)));
    CHECK(Contains(pending, f.source[2].substr(2)));
}

TEST_CASE("a refused delayed move ends the commit with the rest still queued") {
    Files f("refused");
    Write(f.target[0], "old");
    // An entry the platform cannot register: an empty source path.
    Launcher& l = f.launcher;
    l.ClearPending();
    l.AddPending(f.source[0]);
    l.AddPending("");
    l.AddPending(f.source[2]);
    bool restart = false;
    CHECK_FALSE(l.CommitPending(restart));
    CHECK(restart);
    REQUIRE(l.Pending().size() == 2);
    CHECK(l.Pending().front().empty());
    CHECK(l.Pending().back() == f.source[2]);
}

TEST_CASE("the queue keeps its order and is emptied by ClearPending") {
    Launcher l;
    l.AddPending("a");
    l.AddPending("b");
    CHECK(l.Pending().front() == "a");
    CHECK(l.Pending().back() == "b");
    l.ClearPending();
    CHECK(l.Pending().empty());
    bool restart = true;
    CHECK(l.CommitPending(restart));  // an empty queue commits at once
    CHECK_FALSE(restart);
}

TEST_CASE("a new file holds the header and the lines") {
    const std::string path = Launcher().TempFilePath("tbq_new_wininit.ini");
    DeleteFileA(path.c_str());
    CHECK(MergeRenameFile(path, {"S\\a.dll=T\\a.dll", "S\\b.dll=T\\b.dll"}));
    CHECK(Read(path) == "[rename]\r\nS\\a.dll=T\\a.dll\r\nS\\b.dll=T\\b.dll\r\n");
    DeleteFileA(path.c_str());
}

TEST_CASE("a failed write leaves WININIT.INI as it was, byte for byte") {
    const Launcher launcher;
    const std::string path = launcher.TempFilePath("tbq_wininit.ini");
    const std::string before = "[rename]\nA=B\r\n[later]\nkeep1=one\nkeep2=two";
    const std::vector<std::string> lines = {"S\\a.dll=T\\a.dll"};
    struct Case {
        const char* what;
        Tarnbolt::FileWrite write;
        bool merged;
    } cases[] = {{"disk full", HalfWrite, false},
                 {"a lost byte", LossyWrite, false},
                 {"a sound write", &WriteFile, true}};
    for (const Case& c : cases) {
        CAPTURE(c.what);
        Write(path, before);
        CHECK(MergeRenameFile(path, lines, c.write) == c.merged);
        CHECK(Read(path) == (c.merged ? Tarnbolt::MergeRenameText(before, lines) : before));
        CHECK_FALSE(Exists(launcher.TempFilePath("tbq_wininit.TBN")));
        CHECK_FALSE(Exists(launcher.TempFilePath("tbq_wininit.TBO")));
    }
    DeleteFileA(path.c_str());
}

TEST_CASE("what earlier runs left beside WININIT.INI: put back only where no boot saw it") {
    const Launcher launcher;
    const std::string path = launcher.TempFilePath("tbq_wininit.ini");
    const std::string fresh = launcher.TempFilePath("tbq_wininit.TBN");
    const std::string aside = launcher.TempFilePath("tbq_wininit.TBO");
    const std::string bak = launcher.TempFilePath("tbq_wininit.BAK");
    const std::vector<std::string> lines = {"S\\a.dll=T\\a.dll"};
    const std::string hidden = "[rename]\r\nOTHER=INSTALLER\r\n";
    const std::string later = "[rename]\r\nLATER=ONE\r\n";
    struct Case {
        const char* what;
        bool file, fresh, consumed, asideReadOnly;
        std::string before;  // the text merged into
    } cases[] = {
        {"stopped between the two moves: the hidden text is merged, not lost", false, true, false,
         false, hidden},
        {"a boot processed a WININIT.INI since", false, true, true, false, ""},
        {"a WININIT.INI written since", true, true, false, false, later},
        {"the aside copy of a moved-in text, since consumed", false, false, false, false, ""},
        {"a read-only aside copy an earlier version left", false, false, false, true, ""},
    };
    for (const Case& c : cases) {
        CAPTURE(c.what);
        for (const std::string* p : {&path, &fresh, &aside, &bak}) DeleteFileA(p->c_str());
        if (c.fresh) Write(fresh, Tarnbolt::MergeRenameText(hidden, {"S\\old.dll=T\\old.dll"}));
        Write(aside, hidden);
        if (c.asideReadOnly) SetFileAttributesA(aside.c_str(), FILE_ATTRIBUTE_READONLY);
        if (c.consumed) Write(bak, later);  // written after .TBN
        if (c.file) Write(path, later);
        CHECK(MergeRenameFile(path, lines));
        CHECK(Read(path) == Tarnbolt::MergeRenameText(c.before, lines));
        CHECK_FALSE(Exists(aside));
        CHECK_FALSE(Exists(fresh));
    }
    for (const std::string* p : {&path, &bak}) DeleteFileA(p->c_str());
}

TEST_CASE("a read-only WININIT.INI fails the commit and is not replaced") {
    const Launcher launcher;
    const std::string path = launcher.TempFilePath("tbq_wininit.ini");
    const std::string before = "[rename]\r\nA=B\r\n";
    DeleteFileA(path.c_str());
    Write(path, before);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    CHECK_FALSE(MergeRenameFile(path, {"S\\a.dll=T\\a.dll"}));
    CHECK(Read(path) == before);
    CHECK((GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    CHECK_FALSE(Exists(launcher.TempFilePath("tbq_wininit.TBN")));
    CHECK_FALSE(Exists(launcher.TempFilePath("tbq_wininit.TBO")));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}
