// The launcher's operations that ask the platform.

#include "launcher.h"

#include "files/file_spec.h"
#include "files/platform_names.h"
#include "image_version.h"
#include "modules/version_library.h"
#include "version_block.h"

#include <cstdio>
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
    size_t slash = fileName.rfind('\\');
    return slash == std::string::npos ? fileName : fileName.substr(0, slash);
}

std::string Launcher::SystemFilePath(const std::string& name) const {
    LumoBase::AFileSpec spec;
    spec.SetToSystemDirectory();
    spec.AppendComponent(name.c_str());
    return spec.GetFullPath();
}

std::string Launcher::TempFilePath(const std::string& name) const {
    LumoBase::AFileSpec spec;
    spec.SetToTempDirectory();
    spec.AppendComponent(name.c_str());
    return spec.GetFullPath();
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
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    size_t written = std::fwrite(bytes, 1, size, file);
    // A failed close can lose buffered bytes: that is a failed write too.
    bool closed = std::fclose(file) == 0;
    return written == size && closed;
}

bool Launcher::PayloadFixedVersion(HINSTANCE instance, int id, uint32_t& high,
                                   uint32_t& low) const {
    const void* bytes = nullptr;
    DWORD size = 0;
    return FindPayload(instance, id, bytes, size) &&
           ReadImageFixedVersion(static_cast<const unsigned char*>(bytes), size, high, low);
}

std::string Launcher::ResolveRunCommand(HINSTANCE instance, const std::string& value) const {
    return RunCommandFor(ModuleDirectory(instance), value);
}

bool Launcher::RunProgram(const std::string& commandLine) const {
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
