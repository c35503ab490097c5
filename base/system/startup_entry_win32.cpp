#include "system/startup_entry.h"

#include "files/platform_names.h"
#include "strings/pstring.h"
#include "system/os_version.h"
#include "system/registry.h"
#include "system/startup_entry_text.h"

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

// The shortcut's path; false when the folder cannot be had, for a path built from
// nothing names a file at the root of the current drive.
bool StartupLinkPath(int code, const std::string& entryName, std::string& link) {
    std::string folder;
    if (code == OsWindowsNT4) {
        folder = WindowsDirectory();
        if (folder.empty()) return false;
        if (!EndsWithSeparator(folder)) folder += '\\';
        folder += kNt4Startup;
    } else {
        PString common;
        if (!ReadRegistryString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup", common) ||
            common.empty())
            return false;
        folder = common + "\\";
    }
    link = folder + entryName + ".lnk";
    return true;
}

// The program path and its entry name; false when the program file does not exist.
bool ResolveProgram(const char* argument, std::string& path, std::string& name) {
    path = ProgramPath(argument);
    if (!ProgramExists(path)) return false;
    name = StartupEntryName(path);
    return true;
}

// The target a shell link names; false when the file is missing or no link that
// can be read.
bool ReadShortcutTarget(const std::string& linkPath, std::string& target) {
    WCHAR widePath[260];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, 260) == 0) return false;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
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

std::string ReadRunValue() {
    char buffer[kProfileValueOffered + 1];
    GetProfileStringA("windows", "Run", "", buffer, kProfileValueOffered);
    buffer[kProfileValueOffered] = '\0';
    return buffer;
}

}  // namespace

bool RestartSystem() {
    if (IsWindows9xFamily()) return ExitWindowsEx(EWX_REBOOT, 0) != 0;

    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
        TOKEN_PRIVILEGES privileges;
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        CloseHandle(token);
    }
    // A failure to enable the privilege shows here.
    return InitiateSystemShutdownA(nullptr, nullptr, 0, TRUE, TRUE) != 0;
}

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
    std::string link;
    if (!HasStartupLink(code) || !StartupLinkPath(code, name, link)) return false;
    CreateShortcut(path.c_str(), link.c_str(), name.c_str());
    return true;
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
    std::string link, target;
    if (!HasStartupLink(code) || !StartupLinkPath(code, name, link)) return false;
    // Another product's setup.lnk bears the same name: only a link to this very
    // program is ours to remove.
    if (ReadShortcutTarget(link, target) && SamePathText(target, path)) DeleteFileA(link.c_str());
    return true;
}

void CreateShortcut(const char* target, const char* linkPath, const char* description) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return;
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
