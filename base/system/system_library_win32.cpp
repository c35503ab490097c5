#include "system/system_library.h"

#include <cstring>

namespace LumoBase {

FARPROC SystemLibraryFunction(const char* fileName, const char* function) {
    char path[MAX_PATH + 32];
    const size_t nameLength = std::strlen(fileName);
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || length + nameLength + 2 > sizeof path) return nullptr;
    path[length] = '\\';
    std::memcpy(path + length + 1, fileName, nameLength + 1);
    // The altered search order takes what the library itself imports from the
    // system directory too. Never freed: the address answered must stay valid.
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module ? GetProcAddress(module, function) : nullptr;
}

namespace {

// Find<name>(): the function of the list, looked up once it is found; a lookup
// that failed is tried again at the next call.
#define LUMO_SYSTEM_LOOKUP(library, name)                                             \
    decltype(&::name) Find##name() {                                                  \
        static FARPROC found = nullptr;                                               \
        if (!found) found = SystemLibraryFunction(library, #name);                    \
        return reinterpret_cast<decltype(&::name)>(reinterpret_cast<void (*)()>(found)); \
    }
LUMO_SYSTEM_LIBRARY_FUNCTIONS(LUMO_SYSTEM_LOOKUP)
#undef LUMO_SYSTEM_LOOKUP

}  // namespace

namespace Bound {

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    const auto call = FindMessageBoxA();
    return call ? call(owner, text, caption, style) : 0;
}

BOOL WINAPI ExitWindowsEx(UINT flags, DWORD reason) {
    const auto call = FindExitWindowsEx();
    return call ? call(flags, reason) : FALSE;
}

HRESULT WINAPI CoInitialize(LPVOID reserved) {
    const auto call = FindCoInitialize();
    return call ? call(reserved) : E_UNEXPECTED;
}

HRESULT WINAPI CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context,
                                REFIID interfaceId, LPVOID* object) {
    const auto call = FindCoCreateInstance();
    if (call) return call(classId, outer, context, interfaceId, object);
    if (object) *object = nullptr;
    return CO_E_NOTINITIALIZED;  // without ole32 COM was never initialised
}

}  // namespace Bound
}  // namespace LumoBase
