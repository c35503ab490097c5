#include "system/startup_entry.h"

#include "files/platform_names.h"
#include "strings/pstring.h"
#include "system/os_version.h"
#include "system/registry.h"
#include "system/restart_win32.h"
#include "system/startup_entry_text.h"
#include "system/system_library.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

namespace LumoBase {
namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kNt4Startup[] = "Profiles\\All Users\\Start Menu\\Programs\\Startup\\";

// The program path: the argument, or the running executable's when its path has
// at most 264 characters (a longer one would arrive cut and name another file).
std::string ProgramPath(const char* argument) {
    if (argument && *argument) return argument;
    std::string path;
    ReadModuleFileName(nullptr, 264, path);
    return path;
}

bool ProgramExists(const std::string& path) {
    if (path.empty()) return false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// The Windows directory as a 264-byte buffer offering 263 bytes holds it.
std::string WindowsDirectory() {
    std::string directory;
    ReadWindowsDirectory(262, directory);
    return directory;
}

// NT 4 and 2000 register a shortcut in the all-users Startup folder; later
// versions and an unknown one have no registration road.
bool HasStartupLink(int code) { return code == OsWindowsNT4 || code == OsWindows2000; }

// The Startup folder the shortcut goes to, with its trailing separator: the one
// the value "Common Startup" names (a localised NT 4 has no English folder
// names), on NT 4 the fixed folder below the Windows directory where the value is
// missing. False when the folder cannot be had, for a path built from nothing
// names a file at the root of the current drive.
bool StartupFolder(int code, std::string& folder) {
    PString common;
    if (ReadRegistryString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup", common)) {
        if (common.empty()) return false;
        folder = common + "\\";
        return true;
    }
    if (code != OsWindowsNT4) return false;
    folder = WindowsDirectory();
    if (folder.empty()) return false;
    if (!EndsWithSeparator(folder)) folder += '\\';
    folder += kNt4Startup;
    return true;
}

// The program path and its entry name; false when the program file does not exist.
bool ResolveProgram(const char* argument, std::string& path, std::string& name) {
    path = ProgramPath(argument);
    if (!ProgramExists(path)) return false;
    name = StartupEntryName(path);
    // Named after the file's long name: started through its short path, the program
    // finds the link it made when started through its long one.
    WIN32_FIND_DATAA found;
    const HANDLE search = path.find_first_of("*?") == std::string::npos
                              ? FindFirstFileA(path.c_str(), &found)
                              : INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        name = StartupEntryName(found.cFileName);
    }
    return true;
}

// A shell-link object. COM is initialised on this thread first, as late as this:
// a run that makes and reads no link never starts it. Never uninitialised: the
// caller's own objects on this thread would go with it.
bool NewShellLink(IShellLinkA*& link) {
    link = nullptr;
    Bound::CoInitialize(nullptr);
    return SUCCEEDED(Bound::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IShellLinkA, reinterpret_cast<void**>(&link)));
}

// The target a shell link names; false when the file is missing or no link that
// can be read.
bool ReadShortcutTarget(const std::string& linkPath, std::string& target) {
    WCHAR widePath[260];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, 260) == 0) return false;
    IShellLinkA* link = nullptr;
    if (!NewShellLink(link)) return false;
    IPersistFile* file = nullptr;
    bool read = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        char buffer[MAX_PATH + 1] = "";
        if (SUCCEEDED(file->Load(widePath, STGM_READ)) &&
            link->GetPath(buffer, MAX_PATH, nullptr, 0) == S_OK) {
            buffer[MAX_PATH] = '\0';
            target = buffer;
            read = true;
        }
        file->Release();
    }
    link->Release();
    return read;
}

bool FileThere(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The short (8.3) form of an existing file's path, which every spelling of it
// shares: long or short names, any case. False when there is none.
bool ShortForm(const std::string& path, std::string& shortPath) {
    char buffer[MAX_PATH];
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return false;
    shortPath.assign(buffer, length);
    return true;
}

// A link of this program: one whose target is its path, compared as the platform
// compares file names (a launcher started through its short path is the same
// program as the link's long one). Another product's link, or a file that cannot be
// read as a link, is never ours.
bool IsOurLink(const std::string& link, const std::string& programPath) {
    std::string target, shortTarget, shortProgram;
    if (!ReadShortcutTarget(link, target)) return false;
    return SamePathText(target, programPath) ||
           (ShortForm(target, shortTarget) && ShortForm(programPath, shortProgram) &&
            SamePathText(shortTarget, shortProgram));
}

std::string ReadRunValue() {
    char buffer[kProfileValueOffered + 1];
    GetProfileStringA("windows", "Run", "", buffer, kProfileValueOffered);
    buffer[kProfileValueOffered] = '\0';
    return buffer;
}

}  // namespace

bool RequestRestart(ExitWindowsCall exitWindows) {
    // The NT family restarts only for a caller whose shutdown privilege is enabled;
    // a failure to enable it shows in the request itself.
    if (!IsWindows9xFamily()) {
        HANDLE token = nullptr;
        if (Bound::OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
            TOKEN_PRIVILEGES privileges;
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            Bound::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege",
                                         &privileges.Privileges[0].Luid);
            Bound::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
            CloseHandle(token);
        }
    }
    // Never forced, on any family: every program is asked first and may refuse
    // (its user cancels to save a document), and then the restart does not happen.
    // The reason is read from Windows XP on and ignored before.
    const DWORD plannedInstallation = 0x80000000u | 0x00040000u | 0x00000002u;
    return exitWindows(EWX_REBOOT, plannedInstallation) != 0;
}

bool RestartSystem() { return RequestRestart(&Bound::ExitWindowsEx); }

bool AddStartupEntry(const char* programPath) {
    std::string path, name;
    if (!ResolveProgram(programPath, path, name)) return false;
    const int code = GetOsVersionCode();
    if (IsWindows9xCode(code)) {
        bool write = false;
        std::string value;
        bool placed = AddToRunValue(ReadRunValue(), path, write, value);
        if (write) WriteProfileStringA("windows", "Run", value.c_str());
        return placed;
    }
    std::string folder, free;
    if (!HasStartupLink(code) || !StartupFolder(code, folder)) return false;
    for (int i = 0; i < kStartupLinkNames; ++i) {
        const std::string link = folder + StartupLinkName(name, i);
        if (!FileThere(link)) {
            if (free.empty()) free = link;
        } else if (IsOurLink(link, path)) {
            return true;
        }
    }
    if (free.empty()) return false;
    CreateShortcut(path.c_str(), free.c_str(), name.c_str());
    // A save that failed (no such folder, no right to write there) is no entry.
    return IsOurLink(free, path);
}

bool RemoveStartupEntry(const char* programPath) {
    std::string path, name;
    if (!ResolveProgram(programPath, path, name)) return false;
    const int code = GetOsVersionCode();
    if (IsWindows9xCode(code)) {
        bool write = false;
        std::string value;
        RemoveFromRunValue(ReadRunValue(), path, write, value);
        if (write) WriteProfileStringA("windows", "Run", value.c_str());
        return true;
    }
    std::string folder;
    if (!HasStartupLink(code) || !StartupFolder(code, folder)) return false;
    // Another product's setup.lnk bears the same name: only a link to this very
    // program is ours to remove.
    for (int i = 0; i < kStartupLinkNames; ++i) {
        const std::string link = folder + StartupLinkName(name, i);
        if (FileThere(link) && IsOurLink(link, path)) DeleteFileA(link.c_str());
    }
    return true;
}

void CreateShortcut(const char* target, const char* linkPath, const char* description) {
    IShellLinkA* link = nullptr;
    if (!NewShellLink(link)) return;
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->Release();
        return;
    }
    WCHAR widePath[260];
    // A path that does not fit the conversion buffer is not saved under a cut name.
    if (SUCCEEDED(link->SetPath(target)) && SUCCEEDED(link->SetDescription(description)) &&
        MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, 260) != 0)
        file->Save(widePath, TRUE);
    file->Release();
    link->Release();
}

}  // namespace LumoBase
