#include "modules/version_library.h"

#include <cstring>

namespace LumoBase {

VersionLibrary::VersionLibrary() {
    static const char kName[] = "\\VERSION.dll";
    char path[MAX_PATH + sizeof kName];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    std::memcpy(path + length, kName, sizeof kName);
    // The altered search order takes what the library itself imports from the
    // system directory too, not from beside the executable.
    module_ = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module_) return;
    bool bound = true;
#define LUMO_VERSION_BIND(library, name)                                                    \
    name##_ = reinterpret_cast<decltype(name##_)>(                                          \
        reinterpret_cast<void (*)()>(GetProcAddress(module_, #name)));                      \
    bound = bound && name##_ != nullptr;
    LUMO_VERSION_LIBRARY_FUNCTIONS(LUMO_VERSION_BIND)
#undef LUMO_VERSION_BIND
    if (!bound) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

VersionLibrary::~VersionLibrary() {
    if (module_) FreeLibrary(module_);
}

DWORD VersionLibrary::InfoSize(const char* path, DWORD* handle) const {
    return module_ ? GetFileVersionInfoSizeA_(path, handle) : 0;
}

bool VersionLibrary::Info(const char* path, DWORD size, void* block) const {
    return module_ && GetFileVersionInfoA_(path, 0, size, block) != 0;
}

bool VersionLibrary::QueryValue(const void* block, const char* key, void** value,
                                UINT* length) const {
    return module_ && VerQueryValueA_(block, key, value, length) != 0;
}

}  // namespace LumoBase
