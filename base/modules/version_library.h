#pragma once
// The version-resource functions of the system's VERSION.dll, bound at run time.
// That library is not on every Windows' list of known system libraries: imported,
// it would be taken from beside the executable first (a download folder, removable
// media) and run its code with the program's rights. It is loaded by its full path
// in the system directory for as long as a VersionLibrary object lives.

#include <windows.h>
#include <winver.h>

// Every function bound at run time, by library and name. The import audit reads
// this list and holds it to its allow-list as it holds imports.
#define LUMO_VERSION_LIBRARY_FUNCTIONS(X)     \
    X("version.dll", GetFileVersionInfoSizeA) \
    X("version.dll", GetFileVersionInfoA)     \
    X("version.dll", VerQueryValueA)

namespace LumoBase {

class VersionLibrary {
public:
    VersionLibrary();
    ~VersionLibrary();
    VersionLibrary(const VersionLibrary&) = delete;
    VersionLibrary& operator=(const VersionLibrary&) = delete;

    // False when the library or one of its functions could not be had; the
    // operations then answer as for a file without version information.
    bool IsLoaded() const { return module_ != nullptr; }

    // As GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA.
    DWORD InfoSize(const char* path, DWORD* handle) const;
    bool Info(const char* path, DWORD size, void* block) const;
    bool QueryValue(const void* block, const char* key, void** value, UINT* length) const;

private:
    HMODULE module_ = nullptr;
#define LUMO_VERSION_POINTER(library, name) decltype(&::name) name##_ = nullptr;
    LUMO_VERSION_LIBRARY_FUNCTIONS(LUMO_VERSION_POINTER)
#undef LUMO_VERSION_POINTER
};

}  // namespace LumoBase
