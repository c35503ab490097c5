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

namespace {

// The answer of a token call whose library or function cannot be had.
BOOL Refused() {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
}

const LONG kProcedureNotFound = static_cast<LONG>(0xC000007AL);  // STATUS_PROCEDURE_NOT_FOUND

}  // namespace

LONG WINAPI RegOpenKeyExA(HKEY root, LPCSTR subkey, DWORD options, REGSAM access, PHKEY key) {
    const auto call = FindRegOpenKeyExA();
    if (call) return call(root, subkey, options, access, key);
    if (key) *key = nullptr;
    return ERROR_PROC_NOT_FOUND;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR value, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
    const auto call = FindRegQueryValueExA();
    return call ? call(key, value, reserved, type, data, size) : ERROR_PROC_NOT_FOUND;
}

LONG WINAPI RegCloseKey(HKEY key) {
    const auto call = FindRegCloseKey();
    return call ? call(key) : ERROR_PROC_NOT_FOUND;
}

LONG WINAPI RegCreateKeyExA(HKEY root, LPCSTR subkey, DWORD reserved, LPSTR kind, DWORD options,
                            REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key,
                            LPDWORD disposition) {
    const auto call = FindRegCreateKeyExA();
    if (call)
        return call(root, subkey, reserved, kind, options, access, security, key, disposition);
    if (key) *key = nullptr;
    return ERROR_PROC_NOT_FOUND;
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR value, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD size) {
    const auto call = FindRegSetValueExA();
    return call ? call(key, value, reserved, type, data, size) : ERROR_PROC_NOT_FOUND;
}

LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subkey) {
    const auto call = FindRegDeleteKeyA();
    return call ? call(key, subkey) : ERROR_PROC_NOT_FOUND;
}

BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    const auto call = FindOpenProcessToken();
    return call ? call(process, access, token) : Refused();
}

BOOL WINAPI LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid) {
    const auto call = FindLookupPrivilegeValueA();
    return call ? call(systemName, name, luid) : Refused();
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state,
                                  DWORD size, PTOKEN_PRIVILEGES previous, PDWORD needed) {
    const auto call = FindAdjustTokenPrivileges();
    return call ? call(token, disableAll, state, size, previous, needed) : Refused();
}

BOOL WINAPI LookupAccountSidA(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize,
                              LPSTR domain, LPDWORD domainSize, PSID_NAME_USE use) {
    const auto call = FindLookupAccountSidA();
    return call ? call(systemName, sid, name, nameSize, domain, domainSize, use) : Refused();
}

LONG NTAPI NtOpenProcessToken(HANDLE process, ACCESS_MASK access, PHANDLE token) {
    const auto call = FindNtOpenProcessToken();
    return call ? call(process, access, token) : kProcedureNotFound;
}

LONG NTAPI NtQueryInformationToken(HANDLE token, TOKEN_INFORMATION_CLASS kind, PVOID buffer,
                                   ULONG size, PULONG needed) {
    const auto call = FindNtQueryInformationToken();
    return call ? call(token, kind, buffer, size, needed) : kProcedureNotFound;
}

}  // namespace Bound
}  // namespace LumoBase
