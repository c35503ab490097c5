// Resolves the converter entry points from ICU's DLLs beside the running
// executable. The DLL is loaded by full path with the altered search order, so
// neither it nor its data DLL can be picked up from the current directory or the
// search path: a launcher running with administrator rights must not load a
// planted library.

#include "icu_api.h"

#include "files/platform_names.h"

#include <windows.h>

#include <cstring>

namespace LumoIntl {
namespace {

const char kCommonDll[] = "icuuc72.dll";
const char kSuffix[] = "_72";  // ICU renames its exports per major version

FARPROC Resolve(HMODULE module, const char* name) {
    char versioned[64];
    size_t len = std::strlen(name);
    std::memcpy(versioned, name, len);
    std::memcpy(versioned + len, kSuffix, sizeof kSuffix);
    return GetProcAddress(module, versioned);
}

bool Load(IcuConverterApi& api) {
    // No heap: a refused allocation must not leave ICU unloadable for good.
    char path[MAX_PATH + 1];
    if (LumoBase::ReadModuleFileName(nullptr, path, MAX_PATH) == 0) return false;
    char* slash = std::strrchr(path, '\\');
    if (!slash) return false;
    size_t dirLen = static_cast<size_t>(slash - path) + 1;
    if (dirLen + sizeof kCommonDll > sizeof path) return false;
    std::memcpy(slash + 1, kCommonDll, sizeof kCommonDll);

    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return false;
    FARPROC procs[6] = {
        Resolve(module, "ucnv_open"),       Resolve(module, "ucnv_getMinCharSize"),
        Resolve(module, "ucnv_getMaxCharSize"), Resolve(module, "ucnv_toUChars"),
        Resolve(module, "ucnv_fromUChars"), Resolve(module, "ucnv_close"),
    };
    for (FARPROC p : procs) {
        if (!p) {
            FreeLibrary(module);
            return false;
        }
    }
    // The entry points are cdecl C functions with exactly these signatures.
    api.open = reinterpret_cast<decltype(api.open)>(reinterpret_cast<void*>(procs[0]));
    api.getMinCharSize = reinterpret_cast<decltype(api.getMinCharSize)>(reinterpret_cast<void*>(procs[1]));
    api.getMaxCharSize = reinterpret_cast<decltype(api.getMaxCharSize)>(reinterpret_cast<void*>(procs[2]));
    api.toUChars = reinterpret_cast<decltype(api.toUChars)>(reinterpret_cast<void*>(procs[3]));
    api.fromUChars = reinterpret_cast<decltype(api.fromUChars)>(reinterpret_cast<void*>(procs[4]));
    api.close = reinterpret_cast<decltype(api.close)>(reinterpret_cast<void*>(procs[5]));
    return true;
}

}  // namespace

const IcuConverterApi* GetIcuConverterApi() {
    // Loaded once; a failed load is not retried, so every later conversion fails
    // the same way.
    static IcuConverterApi api;
    static const bool loaded = Load(api);
    return loaded ? &api : nullptr;
}

}  // namespace LumoIntl
