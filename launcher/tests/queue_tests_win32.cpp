// The replace-on-restart queue on the NT road (this process runs as a Windows of
// the NT family), with library names of its own: Wine's msvcrt.dll always exists.

#include "launcher.h"
#include "rename_file.h"
#include "whole_file.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

std::string SystemDirectory() {
    char buffer[MAX_PATH];
    const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, length < MAX_PATH ? length : 0);
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
        for (const std::string& copy : launcher.Deferred()) DeleteFileA(copy.c_str());
    }
    Launcher launcher;
    std::string source[3], target[3];
};

}  // namespace

// The staged copies in the system directory, by the platform's own listing.
int StagedCopies() {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((SystemDirectory() + "\\tb*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count; while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

TEST_CASE("nothing in the way: every file moves at once, no restart") {
    Files f("none");
    const int before = StagedCopies();
    bool restart = true;
    CHECK(f.launcher.CommitPending(restart));
    CHECK_FALSE(restart);
    CHECK(f.launcher.Pending().empty());
    // Each arrives through a copy made in the system directory (its permissions),
    // renamed into place: the temporary folder's file is the run's to remove.
    for (int i = 0; i < 3; ++i) {
        CHECK(Read(f.target[i]) == Read(f.source[i]));
    }
    CHECK(StagedCopies() == before);
}

TEST_CASE("the first library present: everything is deferred to delayed moves") {
    Files f("first");
    Write(f.target[0], "old");
    bool restart = false;
    CHECK(f.launcher.CommitPending(restart));
    CHECK(restart);
    CHECK(f.launcher.Pending().empty());
    const std::string pending = PendingRenames();
    // Each source waits as a copy of its own in the system directory, which the
    // move renames at the next start.
    REQUIRE(f.launcher.Deferred().size() == 3);
    for (int i = 0; i < 3; ++i) {
        const std::string& copy = f.launcher.Deferred()[i];
        CAPTURE(copy);
        CHECK(Tarnbolt::IsStagedCopyName(copy, SystemDirectory()));
        CHECK(Read(copy) == Read(f.source[i]));
        CHECK(Contains(pending, copy.substr(2)));
        CHECK(Contains(pending, f.target[i].substr(2)));
        CHECK_FALSE(Contains(pending, f.source[i].substr(2)));
    }
    CHECK_FALSE(Exists(f.target[1]));
    CHECK(f.launcher.StillQueued(f.launcher.Deferred()));
}

TEST_CASE("a staged copy counts as queued while it waits, and only an unqueued one of ours goes") {
    Files f("leftover");
    Write(f.target[0], "old");
    bool restart = false;
    REQUIRE(f.launcher.CommitPending(restart));
    const std::vector<std::string> deferred = f.launcher.Deferred();
    REQUIRE(deferred.size() == 3);
    // Removing queued copies would leave the moves with nothing to rename.
    f.launcher.RemoveUnqueuedCopies(deferred);
    for (const std::string& copy : deferred) CHECK(Exists(copy));
    // One copy gone: the restart could no longer do its work.
    DeleteFileA(deferred[1].c_str());
    CHECK_FALSE(f.launcher.StillQueued(deferred));
    CHECK_FALSE(f.launcher.StillQueued({}));

    // Copies nothing will rename go; a file of another name that a marker lists
    // never does.
    const std::string unqueued = f.launcher.SystemFilePath("tbFFFF.tmp");
    const std::string other = f.launcher.SystemFilePath("tbq_other.dll");
    Write(unqueued, "x");
    Write(other, "x");
    f.launcher.RemoveUnqueuedCopies({unqueued, other, deferred[0]});
    CHECK_FALSE(Exists(unqueued));
    CHECK(Exists(other));
    CHECK(Exists(deferred[0]));
    DeleteFileA(other.c_str());
}

TEST_CASE("only the second present: the first moves, the rest is deferred") {
    Files f("second");
    Write(f.target[1], "old");
    bool restart = false;
    CHECK(f.launcher.CommitPending(restart));
    CHECK(restart);
    CHECK(Read(f.target[0]) == Read(f.source[0]));
    const std::string pending = PendingRenames();
    CHECK_FALSE(Contains(pending, f.target[0].substr(2)));
    CHECK(Contains(pending, f.target[1].substr(2)));
    CHECK(Contains(pending, f.target[2].substr(2)));
    CHECK(f.launcher.Deferred().size() == 2);
}

TEST_CASE("a source that cannot be staged ends the commit with nothing handed over") {
    Files f("refused");
    Write(f.target[0], "old");
    // An entry that cannot be read: an empty source path.
    Launcher& l = f.launcher;
    l.ClearPending();
    l.AddPending(f.source[0]);
    l.AddPending("");
    l.AddPending(f.source[2]);
    const int before = StagedCopies();
    bool restart = false;
    CHECK_FALSE(l.CommitPending(restart));
    CHECK(restart);
    CHECK(l.Pending().size() == 3);
    CHECK(l.Deferred().empty());
    CHECK_FALSE(Contains(PendingRenames(), f.target[0].substr(2)));
    CHECK(StagedCopies() == before);
}

TEST_CASE("the record comes before the hand-over, and a failed one hands nothing over") {
    Files f("record");
    Write(f.target[0], "old");
    const int before = StagedCopies();
    std::vector<std::string> recorded;
    bool restart = false;
    CHECK_FALSE(f.launcher.CommitPending(restart, [&](const std::vector<std::string>& staged) {
        recorded = staged;
        // What is on record is written and complete, and not yet queued.
        for (size_t i = 0; i < staged.size(); ++i) CHECK(Read(staged[i]) == Read(f.source[i]));
        CHECK_FALSE(f.launcher.StillQueued(staged));
        return false;  // a full disk, a read-only marker
    }));
    CHECK(recorded.size() == 3);
    CHECK(f.launcher.Pending().size() == 3);
    CHECK_FALSE(Contains(PendingRenames(), f.target[0].substr(2)));
    CHECK(StagedCopies() == before);

    CHECK(f.launcher.CommitPending(restart, [&](const std::vector<std::string>& staged) {
        recorded = staged;
        return true;
    }));
    CHECK(recorded == f.launcher.Deferred());
    CHECK(f.launcher.StillQueued(recorded));
}

TEST_CASE("embedded bytes go straight into the system directory, new and compared") {
    Launcher l;
    const std::string name = "tbq_bytes.dll", target = l.SystemFilePath(name);
    DeleteFileA(target.c_str());
    const std::string bytes = "MZ the payload";
    l.AddPending(name, bytes.data(), bytes.size());
    bool restart = true;
    CHECK(l.CommitPending(restart));
    CHECK_FALSE(restart);
    CHECK(Read(target) == bytes);
    // Never over a file that is there.
    CHECK_FALSE(l.PlaceNew(name, "other", 5));
    CHECK(Read(target) == bytes);
    DeleteFileA(target.c_str());
    CHECK(l.PlaceNew(name, "other", 5));
    CHECK(Read(target) == "other");
    DeleteFileA(target.c_str());

    // A new file or none: an existing one is never written through, and a write
    // that loses a byte leaves nothing.
    const std::string path = l.SystemFilePath("tbq_new.bin");
    Write(path, "theirs");
    CHECK_FALSE(Tarnbolt::WriteNewFile(path, "ours", 4));
    CHECK(Read(path) == "theirs");
    DeleteFileA(path.c_str());
    CHECK_FALSE(Tarnbolt::WriteNewFile(path, "ours", 4, LossyWrite));
    CHECK_FALSE(Exists(path));
}

TEST_CASE("what others queued for a target is found in both values of the delayed moves") {
    Files f("theirs");
    Write(f.target[0], "old");
    bool restart = false;
    REQUIRE(f.launcher.CommitPending(restart));
    const std::vector<std::string> ours = f.launcher.QueuedSourcesFor(f.target[0]);
    REQUIRE(!ours.empty());
    CHECK(Tarnbolt::SameAsciiPath(ours.back(), f.launcher.Deferred()[0]));

    HKEY key;
    REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                          KEY_SET_VALUE, &key) == ERROR_SUCCESS);
    const std::string value =
        std::string("\\??\\C:\\theirs.tmp") + '\0' + "!\\??\\" + f.target[1] + '\0' + '\0';
    REQUIRE(RegSetValueExA(key, "PendingFileRenameOperations2", 0, REG_MULTI_SZ,
                           reinterpret_cast<const BYTE*>(value.data()),
                           static_cast<DWORD>(value.size())) == ERROR_SUCCESS);
    const std::vector<std::string> theirs = f.launcher.QueuedSourcesFor(f.target[1]);
    RegDeleteValueA(key, "PendingFileRenameOperations2");
    RegCloseKey(key);
    CHECK(std::count(theirs.begin(), theirs.end(), "C:\\theirs.tmp") == 1);
    CHECK(f.launcher.QueuedSourcesFor(f.launcher.SystemFilePath("tbq_nothing.dll")).empty());
}

TEST_CASE("the boot identifier holds for the running start of Windows alone") {
    Launcher l;
    const std::string boot = l.BootIdentifier();
    REQUIRE_FALSE(boot.empty());
    CHECK(l.BootIdentifier() == boot);
    // It lives in memory alone: a start of Windows takes it away, as this does.
    CHECK(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tarnbolt\\Boot") == ERROR_SUCCESS);
    const std::string next = l.BootIdentifier();
    CHECK_FALSE(next.empty());
    CHECK(next != boot);
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

TEST_CASE("what earlier runs left beside WININIT.INI: no line that waits is lost") {
    using Tarnbolt::CombineRenameTexts;
    using Tarnbolt::MergeRenameText;
    const Launcher launcher;
    const std::string path = launcher.TempFilePath("tbq_wininit.ini");
    const std::string fresh = launcher.TempFilePath("tbq_wininit.TBN");
    const std::string aside = launcher.TempFilePath("tbq_wininit.TBO");
    const std::string second = launcher.TempFilePath("tbq_wininit.TB1");
    const std::string bak = launcher.TempFilePath("tbq_wininit.BAK");
    const std::vector<std::string> lines = {"S\\a.dll=T\\a.dll"};
    const std::string hidden = "[rename]\r\nOTHER=INSTALLER\r\n";
    const std::string later = "[rename]\r\nLATER=ONE\r\n";
    const std::string third = "[rename]\r\nTHIRD=ONE\r\n";
    struct Case {
        const char* what;
        bool file, fresh, consumed, asideReadOnly, second;
        std::string before;  // the text merged into
    } cases[] = {
        {"stopped between the two moves: the hidden text is merged", false, true, false, false,
         false, hidden},
        {"then a boot processed another installer's file: still merged", false, true, true, false,
         false, hidden},
        {"then another installer wrote WININIT.INI: both kept", true, true, false, false, false,
         CombineRenameTexts(hidden, later)},
        {"stopped twice, another installer in between each time", true, true, false, false, true,
         CombineRenameTexts(CombineRenameTexts(hidden, third), later)},
        {"the aside copy of a moved-in text, since consumed", false, false, false, false, false,
         ""},
        {"a read-only aside copy an earlier version left", false, false, false, true, false, ""},
    };
    for (const Case& c : cases) {
        CAPTURE(c.what);
        for (const std::string* p : {&path, &fresh, &aside, &second, &bak}) DeleteFileA(p->c_str());
        if (c.fresh) Write(fresh, MergeRenameText(hidden, {"S\\old.dll=T\\old.dll"}));
        Write(aside, hidden);
        if (c.second) Write(second, third);
        if (c.asideReadOnly) SetFileAttributesA(aside.c_str(), FILE_ATTRIBUTE_READONLY);
        if (c.consumed) Write(bak, later);  // written after .TBN
        if (c.file) Write(path, later);
        CHECK(MergeRenameFile(path, lines));
        CHECK(Read(path) == MergeRenameText(c.before, lines));
        for (const std::string* p : {&fresh, &aside, &second}) CHECK_FALSE(Exists(*p));
    }

    // A commit that fails keeps what waits for the next one.
    for (const std::string* p : {&path, &fresh, &aside, &second, &bak}) DeleteFileA(p->c_str());
    Write(fresh, "");
    Write(aside, hidden);
    Write(path, later);
    CHECK_FALSE(MergeRenameFile(path, lines, HalfWrite));
    CHECK(Read(path) == later);
    CHECK(Read(aside) == hidden);
    CHECK(Exists(fresh));
    CHECK(MergeRenameFile(path, lines));
    CHECK(Read(path) == MergeRenameText(CombineRenameTexts(hidden, later), lines));
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
