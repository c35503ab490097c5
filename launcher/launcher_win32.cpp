// The launcher's operations that ask the platform.

#include "launcher.h"

#include "files/path_text.h"
#include "files/platform_names.h"
#include "files/well_known_directories.h"
#include "image_version.h"
#include "modules/version_library.h"
#include "version_block.h"
#include "whole_file.h"

#include <new>

namespace Tarnbolt {
namespace {

// The module name buffer of 1024 bytes: a longer name counts as unavailable.
const size_t kModuleNameLimit = 1023;

bool ModuleFileName(HINSTANCE instance, std::string& name) {
    return LumoBase::ReadModuleFileName(instance, kModuleNameLimit, name);
}

// The bytes of an embedded library in the loaded image; false when it is missing
// or empty.
bool FindPayload(HINSTANCE instance, int id, const void*& bytes, DWORD& size) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), "DLL");
    if (!found) return false;
    HGLOBAL loaded = LoadResource(instance, found);
    size = SizeofResource(instance, found);
    if (!loaded || size == 0) return false;
    bytes = LockResource(loaded);
    return bytes != nullptr;
}

}  // namespace

std::string Launcher::SettingsBasePath(HINSTANCE instance) const {
    std::string fileName;
    // Without the module name the profile reader looks the bare name up in the
    // Windows directory.
    if (!ModuleFileName(instance, fileName)) return "Tarnbolt";
    return SettingsBaseFromModuleName(fileName);
}

std::string Launcher::ModuleDirectory(HINSTANCE instance) const {
    std::string fileName;
    if (!ModuleFileName(instance, fileName)) return "";
    return DirectoryOfModuleName(fileName);
}

// The directory queries and path joining themselves, not a file spec object: its
// virtual calls would keep every file operation of the library in the launcher.
// A failed query leaves the directory empty and the name is joined to that.
std::string Launcher::SystemFilePath(const std::string& name) const {
    LumoBase::PString directory;
    LumoBase::ReadSystemDirectory(directory);
    return LumoBase::JoinComponent(directory, name.c_str());
}

std::string Launcher::TempFilePath(const std::string& name) const {
    LumoBase::PString directory;
    LumoBase::ReadTempDirectory(directory);
    return LumoBase::JoinComponent(directory, name.c_str());
}

std::string Launcher::WindowsFilePath(const std::string& name) const {
    std::string directory;
    if (!LumoBase::ReadWindowsDirectory(0, directory)) return name;
    return directory + "\\" + name;
}

bool Launcher::ReadFileVersion(const std::string& path, uint32_t& high, uint32_t& low) const {
    const LumoBase::VersionLibrary library;
    DWORD handle = 0;
    DWORD size = library.InfoSize(path.c_str(), &handle);
    if (size == 0) return false;
    char* block = new (std::nothrow) char[size];
    if (!block) return false;
    bool ok = false;
    size_t fixedOffset = 0;
    // The query trusts the block's own lengths: a damaged resource would send it past
    // the block's end or answer garbage, so it counts as no version.
    if (library.Info(path.c_str(), size, block) &&
        FindFixedFileInfo(reinterpret_cast<const unsigned char*>(block), size, fixedOffset)) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        // The answer must be the record just checked, and a whole one.
        if (library.QueryValue(block, "\\", reinterpret_cast<void**>(&fixed), &length) &&
            reinterpret_cast<char*>(fixed) == block + fixedOffset &&
            length >= sizeof(VS_FIXEDFILEINFO)) {
            high = fixed->dwFileVersionMS;
            low = fixed->dwFileVersionLS;
            ok = true;
        }
    }
    delete[] block;
    return ok;
}

bool Launcher::ExtractResource(HINSTANCE instance, int id, const std::string& name,
                               std::string& path) const {
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!FindPayload(instance, id, bytes, size)) return false;

    path = TempFilePath(name);
    return WriteWholeFile(path, bytes, size);
}

bool Launcher::PayloadFixedVersion(HINSTANCE instance, int id, uint32_t& high,
                                   uint32_t& low) const {
    const void* bytes = nullptr;
    DWORD size = 0;
    return FindPayload(instance, id, bytes, size) &&
           ReadImageFixedVersion(static_cast<const unsigned char*>(bytes), size, high, low);
}

namespace {

// 8.3, so that every Windows directory takes it as it is.
const char kRestartMarker[] = "TARNBOLT.RST";

}  // namespace

std::string Launcher::RestartState(HINSTANCE instance) const {
    KnownVersion installed, payload;
    installed.known =
        ReadFileVersion(SystemFilePath("msvcrt.dll"), installed.high, installed.low);
    payload.known = PayloadFixedVersion(instance, kPayloadMsvcrt, payload.high, payload.low);
    uint32_t fingerprint = kFingerprintStart;
    for (int id : {kPayloadMsvcrt, kPayloadMsvcp60, kPayloadMsvcirt}) {
        const void* bytes = nullptr;
        DWORD size = 0;
        if (FindPayload(instance, id, bytes, size))
            fingerprint = Fingerprint(static_cast<const unsigned char*>(bytes), size, fingerprint);
    }
    return RestartMarkerText(installed, payload, fingerprint);
}

namespace {

// The marker's text; a larger file is none of ours.
bool ReadMarker(const std::string& path, std::string& text) {
    const size_t kLongest = 64 * 1024;
    return ReadWholeFile(path, text, kLongest + 1) && text.size() <= kLongest;
}

}  // namespace

bool Launcher::RestartTried(const std::string& state, std::vector<std::string>& deferred) const {
    std::string text, found;
    deferred.clear();
    if (!ReadMarker(WindowsFilePath(kRestartMarker), text)) return false;
    ParseRestartMarker(text, found, deferred);
    if (found == state) return true;
    deferred.clear();
    return false;
}

bool Launcher::RecordRestart(const std::string& state, const std::vector<std::string>& deferred) const {
    const std::string path = WindowsFilePath(kRestartMarker);
    const std::string text = RestartMarkerFile(state, deferred);
    if (WriteWholeFile(path, text.data(), text.size())) return true;
    DeleteFileA(path.c_str());
    return false;
}

void Launcher::ForgetRestart() const {
    const std::string path = WindowsFilePath(kRestartMarker);
    std::string text, state;
    std::vector<std::string> deferred;
    // What a boot did not rename (or a run before it never handed over) stays
    // beside the system's libraries otherwise.
    if (ReadMarker(path, text)) {
        ParseRestartMarker(text, state, deferred);
        RemoveUnqueuedCopies(deferred);
    }
    DeleteFileA(path.c_str());
}

bool Launcher::ClaimSoleRun() const {
    // One name for every launcher built on this code: they all extract under the
    // same names. The handle is never closed; the process's end releases it.
    // A claim that cannot be made for another reason than another run's does not
    // stop this one.
    HANDLE claim = CreateMutexA(nullptr, FALSE, "Tarnbolt.RuntimeInstallation");
    if (!claim) return GetLastError() != ERROR_ACCESS_DENIED;
    return GetLastError() != ERROR_ALREADY_EXISTS;
}

std::string Launcher::ResolveRunCommand(HINSTANCE instance, const std::string& value) const {
    return RunCommandFor(ModuleDirectory(instance), value);
}

bool Launcher::RunProgram(const std::string& commandLine) const {
    if (commandLine.empty()) return false;  // a Run value that names no program
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;  // 68 bytes
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    // CreateProcessA may write into the command line.
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace Tarnbolt
