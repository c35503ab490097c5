// The tool's system calls on Windows: the platform's own path functions, and the
// launcher's own settings reader.

#include "tool_platform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace Tarnbolt {
namespace ToolPlatform {

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH * 4];
    char* name = nullptr;
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, &name);
    if (length == 0 || length >= sizeof buffer) return path;
    return std::string(buffer, length);
}

std::string NativePath(const std::string& path) { return path; }

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// The volume and file index of a file that is there (a link is followed).
bool Identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
}

}  // namespace

bool SamePath(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    if (Identity(a, infoA) && Identity(b, infoB))
        return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
               infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

bool IsReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY);
}

std::FILE* CreateNew(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(file);
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, "wb");
    if (!stream) _close(descriptor);
    return stream;
}

bool Flush(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
    // The runtime's buffer is empty; the system's goes to the disk before the file
    // takes the target's name.
    const intptr_t handle = _get_osfhandle(_fileno(file));
    return handle != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
}

bool Replace(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void Remove(const std::string& path) { DeleteFileA(path.c_str()); }

std::string FileSystemText(const std::string& ansi, unsigned) { return ansi; }

void ReadSettingsFile(const std::string& path, Settings& settings, unsigned long bufferSize) {
    ReadSettings(path, settings, bufferSize);
}

std::string Utf8FromAnsi(const std::string& text) {
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return text;
    std::wstring buffer(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &buffer[0], wide);
    const int size = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return text;
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

LumoBase::LeadBytes RunLeadBytes(unsigned) { return LumoBase::SystemLeadBytes(); }

LumoBase::LeadBytes PathLeadBytes() { return LumoBase::SystemLeadBytes(); }

// A write to a closed pipe fails on Windows; nothing ends the program.
void KeepRunningOnClosedPipe() {}

}  // namespace ToolPlatform
}  // namespace Tarnbolt
