// The system information object and the run-at-startup entry under the Windows
// versions Wine can pretend to be. A script runs one copy of this program per
// version, named system_emulated_<version>.exe, in a prefix that sets that
// version for that name; the program reads the version it should see from its
// own name and runs the checks of that version's road.

#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include "system/os_version.h"
#include "system/startup_entry.h"
#include "system/system_info.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace LumoBase;

namespace {

struct Emulation {
    const char* version;  // as Wine names it
    int32_t type;
    int32_t major;
    int32_t minor;
    int32_t servicePack;
    const char* road;  // the test suite of its run-at-startup road
};

const Emulation kEmulations[] = {
    {"win95", OsTypeWindows95, 4, 0, 0, "profile road"},
    {"win98", OsTypeWindows98, 4, 10, 0, "profile road"},
    {"winme", OsTypeWindowsMe, 4, 90, 0, "profile road"},
    {"nt40", OsTypeWindowsNT4, 4, 0, 6, "NT 4 road"},
    {"win2k", OsTypeWindows2000, 5, 0, 4, "Windows 2000 road"},
    {"winxp", OsTypeWindowsXP, 5, 1, 3, "no road"},
    {"win7", OsTypeWindowsXP, 6, 1, 1, "no road"},
};

std::string ModulePath() {
    char buffer[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return buffer;
}

std::string EntryName() {
    std::string name = ModulePath();
    name.erase(0, name.rfind('\\') + 1);
    return name.substr(0, name.rfind('.'));
}

const Emulation* CurrentEmulation() {
    const std::string name = EntryName();
    const std::string version = name.substr(name.rfind('_') + 1);
    for (const Emulation& e : kEmulations)
        if (version == e.version) return &e;
    return nullptr;
}

std::string WindowsDirectory() {
    char buffer[MAX_PATH + 1] = {};
    GetWindowsDirectoryA(buffer, MAX_PATH);
    return buffer;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    REQUIRE(f);
    std::fclose(f);
}

// A program path that names nothing.
std::string MissingProgram() { return WindowsDirectory() + "\\Tarnbolt no such program.exe"; }

// --- profile value "Run" of the section "windows" ---

std::string RunValue() {
    static char buffer[16384];
    GetProfileStringA("windows", "Run", "", buffer, sizeof buffer);
    return buffer;
}

void SetRunValue(const std::string& value) {
    REQUIRE(WriteProfileStringA("windows", "Run", value.c_str()));
    REQUIRE((RunValue() == value));
}

// Leaves the profile without a "Run" value when the test ends, as it found it.
struct RunValueCleared {
    RunValueCleared() { WriteProfileStringA("windows", "Run", nullptr); }
    ~RunValueCleared() { WriteProfileStringA("windows", "Run", nullptr); }
};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// --- shell links ---

struct Shortcut {
    bool loaded = false;
    std::string target;
    std::string description;
};

Shortcut ReadShortcut(const std::string& path) {
    Shortcut result;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return result;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR wide[MAX_PATH * 2];
        if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH * 2) &&
            SUCCEEDED(file->Load(wide, STGM_READ))) {
            char text[MAX_PATH * 2] = {};
            result.loaded = SUCCEEDED(link->GetPath(text, sizeof text, nullptr, 0));
            result.target = text;
            text[0] = '\0';
            link->GetDescription(text, sizeof text);
            result.description = text;
        }
        file->Release();
    }
    link->Release();
    return result;
}

// The value "Common Startup" of the machine's shell folders, set aside for a
// test and put back afterwards.
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string CommonStartup() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::string();
    char text[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    LONG status = RegQueryValueExA(key, "Common Startup", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(text) : std::string();
}

// Without `replacement` the value is deleted, else set to it.
class CommonStartupRemoved {
public:
    explicit CommonStartupRemoved(const char* replacement = nullptr) : saved_(CommonStartup()) {
        REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, KEY_SET_VALUE, &key_) ==
                ERROR_SUCCESS);
        if (replacement)
            Set(replacement);
        else
            RegDeleteValueA(key_, "Common Startup");
    }
    ~CommonStartupRemoved() {
        if (!saved_.empty()) Set(saved_);
        RegCloseKey(key_);
    }
    CommonStartupRemoved(const CommonStartupRemoved&) = delete;
    CommonStartupRemoved& operator=(const CommonStartupRemoved&) = delete;

private:
    void Set(const std::string& value) {
        RegSetValueExA(key_, "Common Startup", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
    std::string saved_;
    HKEY key_ = nullptr;
};

// The startup entry's calls on a thread of their own, which has not initialised
// COM, as the launcher no longer does at start.
struct ThreadWithoutCom {
    bool removedWithoutLink = false, comAfterRemove = true, added = false, linkMade = false,
         removed = false;

    ThreadWithoutCom() {
        HANDLE thread = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
        REQUIRE(thread);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }

    static bool ComInitialised() {
        IUnknown* object = nullptr;
        const HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IUnknown, reinterpret_cast<void**>(&object));
        if (object) object->Release();
        return result != CO_E_NOTINITIALIZED;
    }

    static DWORD WINAPI Run(LPVOID self) {
        ThreadWithoutCom& r = *static_cast<ThreadWithoutCom*>(self);
        r.removedWithoutLink = RemoveStartupEntry(nullptr);
        r.comAfterRemove = ComInitialised();
        r.added = AddStartupEntry(nullptr);
        r.linkMade = FileExists(CommonStartup() + "\\" + EntryName() + ".lnk");
        r.removed = RemoveStartupEntry(nullptr);
        return 0;
    }
};

// Works in the Windows directory, so that "the current drive" is the prefix's C:.
class InWindowsDirectory {
public:
    InWindowsDirectory() {
        GetCurrentDirectoryA(sizeof saved_, saved_);
        REQUIRE(SetCurrentDirectoryA(WindowsDirectory().c_str()));
    }
    ~InWindowsDirectory() { SetCurrentDirectoryA(saved_); }
    // The root of the current drive, "C:\".
    static std::string DriveRoot() { return WindowsDirectory().substr(0, 3); }

private:
    char saved_[MAX_PATH + 1] = {};
};

// The all-users Startup folder of NT 4, which Wine's prefix does not have.
const char* const kNt4Folders[] = {"Profiles", "All Users", "Start Menu", "Programs", "Startup"};

std::string Nt4StartupFolder() {
    std::string path = WindowsDirectory();
    for (const char* folder : kNt4Folders) path += std::string("\\") + folder;
    return path;
}

void RemoveNt4StartupFolder() {
    const std::string folder = Nt4StartupFolder();
    DeleteFileA((folder + "\\" + EntryName() + ".lnk").c_str());
    DeleteFileA((folder + "\\Tarnbolt no such program.lnk").c_str());
    std::string path = folder;
    for (size_t i = 0; i < sizeof kNt4Folders / sizeof *kNt4Folders; ++i) {
        RemoveDirectoryA(path.c_str());
        path.erase(path.rfind('\\'));
    }
}

void CreateNt4StartupFolder() {
    std::string path = WindowsDirectory();
    for (const char* folder : kNt4Folders) {
        path += std::string("\\") + folder;
        CreateDirectoryA(path.c_str(), nullptr);
    }
    REQUIRE(DirectoryExists(path));
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, got);
    std::fclose(f);
    return bytes;
}

}  // namespace

TEST_SUITE("system information") {
    TEST_CASE("the object reports the emulated version") {
        const Emulation& e = *CurrentEmulation();
        WIN32_SystemInfo info;
        CHECK(info.GetOsType() == e.type);
        int32_t major = -2, minor = -2, servicePack = -2;
        info.GetOsVersion(&major, &minor, &servicePack);
        CHECK(major == e.major);
        CHECK(minor == e.minor);
        CHECK(servicePack == e.servicePack);  // 0 on the 9x family, which has none
        CHECK(std::string(info.GetPlatformName()) == "win32x86");

        ASystemInfo handle;
        CHECK(handle.GetOsType() == e.type);
    }
}

TEST_SUITE("shortcut") {
    TEST_CASE("a shortcut carries its target and description") {
        const std::string link = WindowsDirectory() + "\\temp\\Tarnbolt shortcut test.lnk";
        DeleteFileA(link.c_str());
        CreateShortcut(ModulePath().c_str(), link.c_str(), "Tarnbolt test entry");
        const Shortcut read = ReadShortcut(link);
        CHECK(read.loaded);
        CHECK(read.target == ModulePath());
        CHECK(read.description == "Tarnbolt test entry");
        CHECK(DeleteFileA(link.c_str()));

        // Into a folder that does not exist: nothing is written, nothing breaks.
        const std::string nowhere = WindowsDirectory() + "\\Tarnbolt no such folder\\x.lnk";
        CreateShortcut(ModulePath().c_str(), nowhere.c_str(), "x");
        CHECK_FALSE(FileExists(nowhere));
    }
}

TEST_SUITE("profile road") {
    TEST_CASE("the quoted program is added to the Run value and removed again") {
        RunValueCleared cleared;
        const std::string self = ModulePath();

        CHECK(AddStartupEntry(nullptr));
        CHECK(RunValue() == Quoted(self));
        CHECK(AddStartupEntry(self.c_str()));  // already there: unchanged
        CHECK(RunValue() == Quoted(self));
        CHECK(RemoveStartupEntry(nullptr));
        CHECK(RunValue() == "");
        CHECK(RemoveStartupEntry(nullptr));  // nothing left to remove
        CHECK(RunValue() == "");

        SetRunValue("a.exe");
        CHECK(AddStartupEntry(self.c_str()));
        CHECK(RunValue() == "a.exe," + Quoted(self));
        CHECK(RemoveStartupEntry(self.c_str()));
        CHECK(RunValue() == "a.exe");
    }

    TEST_CASE("removal ignores case and keeps the other items as they were") {
        RunValueCleared cleared;
        SetRunValue("A.exe," + Quoted(Upper(ModulePath())) + ",B.exe /Quiet");
        CHECK(RemoveStartupEntry(nullptr));
        CHECK(RunValue() == "A.exe,B.exe /Quiet");
    }

    TEST_CASE("a program in a folder with a comma is removed again") {
        RunValueCleared cleared;
        const std::string folder = WindowsDirectory() + "\\temp\\Tarnbolt a,b";
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string program = folder + "\\setup.exe";
        REQUIRE(CopyFileA(ModulePath().c_str(), program.c_str(), FALSE));
        SetRunValue("a.exe");
        CHECK(AddStartupEntry(program.c_str()));
        CHECK(RunValue() == "a.exe," + Quoted(program));
        CHECK(RemoveStartupEntry(program.c_str()));
        CHECK(RunValue() == "a.exe");
        // The same name with ".old" behind it is another program.
        SetRunValue(Quoted(program + ".old"));
        CHECK(AddStartupEntry(program.c_str()));
        CHECK(RunValue() == Quoted(program + ".old") + "," + Quoted(program));
        DeleteFileA(program.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    TEST_CASE("a program that does not exist is neither added nor removed") {
        RunValueCleared cleared;
        const std::string missing = MissingProgram();
        SetRunValue("a.exe");
        CHECK_FALSE(AddStartupEntry(missing.c_str()));
        CHECK(RunValue() == "a.exe");
        SetRunValue("a.exe," + Quoted(missing));
        CHECK_FALSE(RemoveStartupEntry(missing.c_str()));
        CHECK(RunValue() == "a.exe," + Quoted(missing));
    }

    TEST_CASE("a value too long to be read whole is not written back cut") {
        RunValueCleared cleared;
        const std::string self = ModulePath();
        const std::string tail = "," + std::string(4000, 'b') + ".exe";

        // The reader sees only the start of these values: writing what it saw
        // would lose the rest.
        SetRunValue("a.exe" + tail);
        CHECK_FALSE(AddStartupEntry(nullptr));
        CHECK((RunValue() == "a.exe" + tail));
        SetRunValue(Quoted(self) + tail);
        CHECK(AddStartupEntry(nullptr));  // in place already
        CHECK(RemoveStartupEntry(nullptr));
        CHECK((RunValue() == Quoted(self) + tail));

        // Exactly as long as the reader can deliver (2999 characters offered, one
        // kept for the terminator): it may have been cut.
        const std::string full = "a.exe," + std::string(2998 - 6, 'c');
        SetRunValue(full);
        CHECK_FALSE(AddStartupEntry(nullptr));
        CHECK((RunValue() == full));

        // An entry that would make the value that long is not made: it could
        // never be removed again.
        const std::string item = "," + Quoted(self);
        const std::string almost = "a.exe," + std::string(2998 - 6 - item.size(), 'c');
        SetRunValue(almost);
        CHECK_FALSE(AddStartupEntry(nullptr));
        CHECK((RunValue() == almost));

        // One character shorter: added, read back whole and removed again.
        const std::string fits = "a.exe," + std::string(2998 - 7 - item.size(), 'c');
        SetRunValue(fits);
        CHECK(AddStartupEntry(nullptr));
        CHECK((RunValue() == fits + item));
        CHECK(RemoveStartupEntry(nullptr));
        CHECK((RunValue() == fits));
    }
}

TEST_SUITE("NT 4 road") {
    TEST_CASE("without Common Startup the link goes to the Startup folder below the Windows directory") {
        CommonStartupRemoved removed;
        const std::string folder = Nt4StartupFolder();
        const std::string link = folder + "\\" + EntryName() + ".lnk";
        RemoveNt4StartupFolder();
        REQUIRE_FALSE(DirectoryExists(folder));

        // The folder is not created: no link, and the answer says so.
        CHECK_FALSE(AddStartupEntry(nullptr));
        CHECK_FALSE(FileExists(link));
        CHECK(RemoveStartupEntry(nullptr));

        CreateNt4StartupFolder();
        CHECK(AddStartupEntry(nullptr));
        REQUIRE(FileExists(link));
        const Shortcut read = ReadShortcut(link);
        CHECK(read.loaded);
        CHECK(read.target == ModulePath());
        CHECK(read.description == EntryName());
        CHECK(AddStartupEntry(nullptr));  // again: still in place
        CHECK(FileExists(link));

        CHECK(RemoveStartupEntry(nullptr));
        CHECK_FALSE(FileExists(link));
        CHECK(RemoveStartupEntry(nullptr));  // nothing left to remove

        // A program that does not exist: no link made, and none taken away.
        const std::string missingLink = folder + "\\Tarnbolt no such program.lnk";
        CHECK_FALSE(AddStartupEntry(MissingProgram().c_str()));
        CHECK_FALSE(FileExists(missingLink));
        WriteFile(missingLink);
        CHECK_FALSE(RemoveStartupEntry(MissingProgram().c_str()));
        CHECK(FileExists(missingLink));

        RemoveNt4StartupFolder();
    }

}

TEST_SUITE("Windows 2000 road") {
    TEST_CASE("the link goes to the folder named by Common Startup") {
        const std::string folder = CommonStartup();
        REQUIRE_FALSE(folder.empty());
        REQUIRE(DirectoryExists(folder));
        const std::string link = folder + "\\" + EntryName() + ".lnk";
        DeleteFileA(link.c_str());

        CHECK(AddStartupEntry(nullptr));
        REQUIRE(FileExists(link));
        const Shortcut read = ReadShortcut(link);
        CHECK(read.loaded);
        CHECK(read.target == ModulePath());
        CHECK(read.description == EntryName());

        CHECK(RemoveStartupEntry(nullptr));
        CHECK_FALSE(FileExists(link));

        const std::string missingLink = folder + "\\Tarnbolt no such program.lnk";
        CHECK_FALSE(AddStartupEntry(MissingProgram().c_str()));
        CHECK_FALSE(FileExists(missingLink));
    }

    TEST_CASE("a thread that never initialised COM adds and removes the link") {
        const std::string link = CommonStartup() + "\\" + EntryName() + ".lnk";
        DeleteFileA(link.c_str());
        ThreadWithoutCom run;
        CHECK(run.removedWithoutLink);
        CHECK_FALSE(run.comAfterRemove);  // no link there: COM not started
        CHECK(run.added);
        CHECK(run.linkMade);
        CHECK(run.removed);
        CHECK_FALSE(FileExists(link));
    }

    TEST_CASE("another program's link of the same name stays; ours takes the next free name") {
        const std::string base = CommonStartup() + "\\" + EntryName();
        const std::string other = base + ".lnk", ours = base + " (2).lnk";
        CreateShortcut((WindowsDirectory() + "\\notepad.exe").c_str(), other.c_str(), "Other");
        const std::string before = ReadBytes(other);
        REQUIRE_FALSE(before.empty());

        CHECK(AddStartupEntry(nullptr));
        CHECK(ReadBytes(other) == before);
        CHECK(ReadShortcut(ours).target == ModulePath());
        // With the first name free again, ours is found where it is: no second link.
        REQUIRE(DeleteFileA(other.c_str()));
        CHECK(AddStartupEntry(nullptr));
        CHECK_FALSE(FileExists(other));
        CHECK(RemoveStartupEntry(nullptr));
        CHECK_FALSE(FileExists(ours));

        // Every name taken by others: no entry, nothing of theirs touched.
        std::vector<std::string> taken = {other};
        for (int i = 2; i <= 10; ++i) taken.push_back(base + " (" + std::to_string(i) + ").lnk");
        for (const std::string& name : taken) WriteFile(name);
        CHECK_FALSE(AddStartupEntry(nullptr));
        CHECK(RemoveStartupEntry(nullptr));
        for (const std::string& name : taken) CHECK(DeleteFileA(name.c_str()));
    }

    TEST_CASE("the program by its short path is the same program: no second link") {
        char buffer[MAX_PATH];
        const DWORD length = GetShortPathNameA(ModulePath().c_str(), buffer, sizeof buffer);
        REQUIRE((length > 0 && length < sizeof buffer));
        const std::string shortPath(buffer, length);
        REQUIRE(shortPath != ModulePath());
        const std::string base = CommonStartup() + "\\" + EntryName();
        CHECK(AddStartupEntry(nullptr));
        REQUIRE(FileExists(base + ".lnk"));
        // Neither a second name nor a link under the short name.
        CHECK(AddStartupEntry(shortPath.c_str()));
        WIN32_FIND_DATAA before;
        const HANDLE links = FindFirstFileA((CommonStartup() + "\\*.lnk").c_str(), &before);
        int count = 0;
        if (links != INVALID_HANDLE_VALUE) {
            do ++count; while (FindNextFileA(links, &before));
            FindClose(links);
        }
        CHECK(count == 1);
        // Started through its short path, it takes its own link away.
        CHECK(RemoveStartupEntry(shortPath.c_str()));
        CHECK_FALSE(FileExists(base + ".lnk"));
    }

    TEST_CASE("without a Common Startup folder no link is made and none taken away") {
        InWindowsDirectory here;
        const std::string link = InWindowsDirectory::DriveRoot() + EntryName() + ".lnk";
        for (const char* replacement : {static_cast<const char*>(nullptr), ""}) {
            CommonStartupRemoved removed(replacement);
            REQUIRE(CommonStartup().empty());
            DeleteFileA(link.c_str());
            CHECK_FALSE(AddStartupEntry(nullptr));
            CHECK_FALSE(FileExists(link));
            // A file of that name at the root of the drive is someone else's.
            WriteFile(link);
            CHECK_FALSE(RemoveStartupEntry(nullptr));
            CHECK(FileExists(link));
            DeleteFileA(link.c_str());
        }
    }
}

TEST_SUITE("no road") {
    TEST_CASE("no registration is made or taken away") {
        InWindowsDirectory here;
        RunValueCleared cleared;
        SetRunValue("a.exe," + Quoted(ModulePath()));
        const std::string name = EntryName() + ".lnk";
        const std::string commonLink = CommonStartup() + "\\" + name;
        const std::string links[] = {commonLink, Nt4StartupFolder() + "\\" + name,
                                     InWindowsDirectory::DriveRoot() + name};

        CHECK_FALSE(AddStartupEntry(nullptr));
        CHECK_FALSE(AddStartupEntry(ModulePath().c_str()));
        for (const std::string& link : links) CHECK_FALSE(FileExists(link));

        // Registrations that are there stay there.
        WriteFile(commonLink);
        CHECK_FALSE(RemoveStartupEntry(nullptr));
        CHECK(FileExists(commonLink));
        CHECK(RunValue() == "a.exe," + Quoted(ModulePath()));
        DeleteFileA(commonLink.c_str());
    }
}

int main(int argc, char** argv) {
    const Emulation* emulation = CurrentEmulation();
    if (!emulation) {
        std::fprintf(stderr, "%s: run as system_emulated_<version>.exe (win95 ... win7)\n",
                     ModulePath().c_str());
        return 2;
    }
    std::printf("emulating %s\n", emulation->version);
    // The shell links need COM on this thread, as the launcher has it.
    CoInitialize(nullptr);
    doctest::Context context(argc, argv);
    context.addFilter("test-suite", "system information");
    context.addFilter("test-suite", "shortcut");
    context.addFilter("test-suite", emulation->road);
    const int result = context.run();
    CoUninitialize();
    return result;
}
