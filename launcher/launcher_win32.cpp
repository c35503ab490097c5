// The launcher's operations that ask the platform.

#include "launcher.h"

#include "files/path_text.h"
#include "files/platform_names.h"
#include "files/well_known_directories.h"
#include "image_version.h"
#include "system/os_version.h"
#include "system/system_library.h"
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

// Empty without a temporary folder: the name alone would be a file of the current
// folder, or joined to nothing one at the root of the current drive.
std::string Launcher::TempFilePath(const std::string& name) const {
    LumoBase::PString directory;
    if (!LumoBase::ReadTempDirectory(directory) || directory.empty()) return "";
    return LumoBase::JoinComponent(directory, name.c_str());
}

std::string Launcher::WindowsFilePath(const std::string& name) const {
    std::string directory;
    if (!LumoBase::ReadWindowsDirectory(0, directory)) return name;
    return directory + "\\" + name;
}

// The registry is ADVAPI32's, bound at run time.
namespace Bound = LumoBase::Bound;

namespace {

// Far above any runtime library: a larger file, or resource section, is read no
// further and has no version that counts.
const size_t kVersionedFileLimit = 32u << 20;
// Where the headers and the section table lie in every library built as usual.
const size_t kHeadBytes = 4096;

}  // namespace

// The file's own version resource, read by the reader that reads the payload's:
// the platform's VERSION.dll, with the C runtime library it starts under some
// systems, costs more than all the rest of the launch road. Only the headers and
// the resource section are read; a file laid out otherwise is read whole.
bool Launcher::ReadFileVersion(const std::string& path, uint32_t& high, uint32_t& low) const {
    const FileReader file(path);
    uint32_t fileHigh = 0, fileLow = 0;
    std::string head, body;
    size_t offset = 0, length = 0;
    bool found = file.ReadAt(0, kHeadBytes, head) &&
                 ResourceSectionSpan(reinterpret_cast<const unsigned char*>(head.data()),
                                     head.size(), offset, length) &&
                 length <= kVersionedFileLimit && file.ReadAt(offset, length, body) &&
                 ReadSplitImageFixedVersion(
                     reinterpret_cast<const unsigned char*>(head.data()), head.size(),
                     reinterpret_cast<const unsigned char*>(body.data()), offset, body.size(),
                     fileHigh, fileLow);
    if (!found && file.IsOpen()) {
        std::string bytes;
        found = file.ReadAll(bytes, kVersionedFileLimit + 1) &&
                bytes.size() <= kVersionedFileLimit &&
                ReadImageFixedVersion(reinterpret_cast<const unsigned char*>(bytes.data()),
                                      bytes.size(), fileHigh, fileLow);
    }
    if (!found) return false;
    high = fileHigh;
    low = fileLow;
    return true;
}

bool Launcher::ExtractResource(HINSTANCE instance, int id, const std::string& name,
                               std::string& path) const {
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!FindPayload(instance, id, bytes, size)) return false;

    path = TempFilePath(name);
    return !path.empty() && WriteWholeFile(path, bytes, size);
}

bool Launcher::PayloadBytes(HINSTANCE instance, int id, const void*& bytes, size_t& size) const {
    DWORD length = 0;
    if (!FindPayload(instance, id, bytes, length)) return false;
    size = length;
    return true;
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

bool Launcher::RestartTried(const std::string& state, std::string& boot,
                            std::vector<std::string>& deferred) const {
    std::string text, found;
    boot.clear();
    deferred.clear();
    if (!ReadMarker(WindowsFilePath(kRestartMarker), text)) return false;
    ParseRestartMarker(text, found, boot, deferred);
    if (found == state) return true;
    boot.clear();
    deferred.clear();
    return false;
}

bool Launcher::RecordRestart(const std::string& state, const std::string& boot,
                             const std::vector<std::string>& deferred) const {
    const std::string path = WindowsFilePath(kRestartMarker);
    const std::string text = RestartMarkerFile(state, boot, deferred);
    return WriteWholeFile(path, text.data(), text.size());
}

namespace {

// Where the boot identifier lives: a key that exists in memory only, so that it is
// gone at the next start of Windows. The NT family keeps a volatile key of
// HKEY_LOCAL_MACHINE until the machine shuts down; 95/98/Me ignore that option
// but hold HKEY_DYN_DATA in memory alone, built afresh at every start.
struct BootKey {
    HKEY root;
    const char* subkey;
};

BootKey BootKeyFor(bool nineX) {
    return nineX ? BootKey{HKEY_DYN_DATA, "Tarnbolt\\Boot"}
                 : BootKey{HKEY_LOCAL_MACHINE, "Software\\Tarnbolt\\Boot"};
}

const char kBootValue[] = "Id";

bool ReadBootValue(HKEY key, std::string& id) {
    char text[64] = {};
    DWORD type = 0, size = sizeof text - 1;
    if (Bound::RegQueryValueExA(key, kBootValue, nullptr, &type, reinterpret_cast<BYTE*>(text),
                                &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    id = text;
    return !id.empty();
}

// Unlike any earlier start's: the time to the tenth of a microsecond, the time
// since the start and this process.
std::string FreshBootValue() {
    static const char kHex[] = "0123456789abcdef";
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const DWORD parts[] = {now.dwHighDateTime, now.dwLowDateTime, GetTickCount(),
                           GetCurrentProcessId()};
    std::string id;
    for (DWORD part : parts)
        for (int shift = 28; shift >= 0; shift -= 4) id += kHex[(part >> shift) & 15];
    return id;
}

// A key that holds its values over a restart is no clock of starts: a volatile
// key takes no lasting subkey (on the NT family; 95/98/Me have no lasting subkey
// below HKEY_DYN_DATA to make).
bool IsVolatileKey(HKEY key, bool nineX) {
    if (nineX) return true;
    HKEY child = nullptr;
    DWORD disposition = 0;
    const LONG status = Bound::RegCreateKeyExA(key, "Probe", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                               KEY_READ, nullptr, &child, &disposition);
    if (status != ERROR_SUCCESS) return status == ERROR_CHILD_MUST_BE_VOLATILE;
    Bound::RegCloseKey(child);
    Bound::RegDeleteKeyA(key, "Probe");
    return false;
}

}  // namespace

std::string Launcher::BootIdentifier() const {
    const bool nineX = LumoBase::IsWindows9xFamily();
    const BootKey where = BootKeyFor(nineX);
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (Bound::RegCreateKeyExA(where.root, where.subkey, 0, nullptr, REG_OPTION_VOLATILE,
                               KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &key,
                               &disposition) != ERROR_SUCCESS)
        return "";
    std::string id;
    if (IsVolatileKey(key, nineX) && !ReadBootValue(key, id)) {
        const std::string fresh = FreshBootValue();
        // Read back: what another writer left in between is the identifier as well.
        if (Bound::RegSetValueExA(key, kBootValue, 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(fresh.c_str()),
                                  static_cast<DWORD>(fresh.size() + 1)) != ERROR_SUCCESS ||
            !ReadBootValue(key, id))
            id.clear();
    }
    Bound::RegCloseKey(key);
    return id;
}

void Launcher::ForgetRestart() const {
    const std::string path = WindowsFilePath(kRestartMarker);
    std::string text, state, boot;
    std::vector<std::string> deferred;
    // What a boot did not rename (or a run before it never handed over) stays
    // beside the system's libraries otherwise.
    if (ReadMarker(path, text)) {
        ParseRestartMarker(text, state, boot, deferred);
        RemoveUnqueuedCopies(deferred);
    }
    DeleteFileA(path.c_str());
}

bool Launcher::ClaimSoleRun() const {
    // One name for every launcher built on this code: they all install the same
    // libraries and share the marker. The handle is never closed; the process's end releases it.
    // A claim that cannot be made for another reason than another run's does not
    // stop this one.
    // In the global namespace where Windows has sessions (fast user switching, a
    // terminal server): a launcher in another session installs as well. Windows
    // without sessions refuses the prefix; the plain name is the whole machine there.
    HANDLE claim = CreateMutexA(nullptr, FALSE, "Global\\Tarnbolt.RuntimeInstallation");
    if (!claim && GetLastError() != ERROR_ACCESS_DENIED)
        claim = CreateMutexA(nullptr, FALSE, "Tarnbolt.RuntimeInstallation");
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
