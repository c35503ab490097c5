#pragma once
// Other names of folders as Wine has them: a Unix symbolic link stands for a
// junction, and a link in the prefix's dosdevices folder is a drive letter, as
// SUBST makes one. Made by the host's own ln, which Wine starts like any program.

#include <windows.h>

#include <string>
#include <vector>

namespace UnixLinks {

// The host's name of a Windows path; empty when Wine gives none.
inline std::string UnixName(const std::string& path) {
    typedef char*(__cdecl * Convert)(const WCHAR*);
    const Convert convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    if (!convert || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return "";
    char* name = convert(wide);
    if (!name) return "";
    const std::string unix(name);
    HeapFree(GetProcessHeap(), 0, name);
    return unix;
}

// The same folder on drive Z:, which Wine maps to the host's root: another drive
// letter for it that no text rule sees through.
inline std::string ThroughDriveZ(const std::string& path) {
    std::string z = UnixName(path);
    if (z.empty()) return "";
    for (char& c : z)
        if (c == '/') c = '\\';
    return "Z:" + z;
}

// Runs a shell command of the host and waits until it has finished: Wine hands no
// handle to wait on for a host program, so the command leaves a file behind last.
inline bool HostCommand(const std::string& command, const std::string& doneFile) {
    const std::string done = UnixName(doneFile);
    if (done.empty()) return false;
    std::string line = "Z:\\bin\\sh -c \"" + command + " ; touch '" + done + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    for (int i = 0; i < 600 && GetFileAttributesA(doneFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
    return DeleteFileA(doneFile.c_str()) != FALSE;
}

// The links made, removed by the host when the object goes away (Windows' calls
// would take a link to a folder for the folder).
class Links {
public:
    explicit Links(const std::string& scratch) : scratch_(scratch) {}
    ~Links() {
        for (const std::string& link : made_) HostCommand("rm -f '" + link + "'", scratch_ + "\\rm.done");
    }
    Links(const Links&) = delete;
    Links& operator=(const Links&) = delete;

    // link (a Windows path whose folder exists) made to name the folder target.
    bool Folder(const std::string& link, const std::string& target) {
        const std::string to = UnixName(target);
        const std::string at = UnixName(link);
        return !to.empty() && !at.empty() && Unix(at, to) &&
               GetFileAttributesA((link + "\\.").c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    // A drive letter not in use made to name the folder target: "X:", or empty.
    std::string Drive(const std::string& target) {
        const std::string to = UnixName(target);
        char prefix[MAX_PATH];
        const DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
        if (to.empty() || n == 0 || n >= sizeof prefix) return "";
        const DWORD used = GetLogicalDrives();
        for (char letter = 'y'; letter > 'm'; --letter) {
            if (used & (1u << (letter - 'a'))) continue;
            const std::string drive(1, static_cast<char>(letter - 'a' + 'A'));
            if (Unix(std::string(prefix) + "/dosdevices/" + letter + ":", to) &&
                GetFileAttributesA((drive + ":\\").c_str()) != INVALID_FILE_ATTRIBUTES)
                return drive + ":";
            return "";
        }
        return "";
    }

private:
    bool Unix(const std::string& at, const std::string& to) {
        if (!HostCommand("ln -s '" + to + "' '" + at + "'", scratch_ + "\\ln.done")) return false;
        made_.push_back(at);
        return true;
    }

    std::string scratch_;
    std::vector<std::string> made_;
};

}  // namespace UnixLinks
