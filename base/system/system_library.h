#pragma once
// USER32, ole32 and ADVAPI32, bound when a call first needs them. Imported, they
// would be started on every run: USER32's start-up alone costs about half of what
// starting a program costs, COM's more, and ADVAPI32 brings a C runtime library
// or two with it, also on the road that shows no box, makes no shell link and
// writes no registry value. Like VERSION.dll (modules/version_library.h) they are
// loaded by their full path in the system directory, never from beside the
// executable, and they stay loaded until the process ends: COM, once
// initialised, stays so.
//
// The token read of the administrator check goes to the NT family's own ntdll.dll,
// which every NT process has loaded already: ADVAPI32's OpenProcessToken and
// GetTokenInformation only pass those requests on to it.

#include <windows.h>
#include <objbase.h>

// Every function bound at run time, by library and name. The import audit reads
// this list and holds it to its allow-list as it holds imports.
#define LUMO_SYSTEM_LIBRARY_FUNCTIONS(X)     \
    X("user32.dll", MessageBoxA)             \
    X("user32.dll", ExitWindowsEx)           \
    X("ole32.dll", CoInitialize)             \
    X("ole32.dll", CoCreateInstance)         \
    X("advapi32.dll", RegOpenKeyExA)         \
    X("advapi32.dll", RegQueryValueExA)      \
    X("advapi32.dll", RegCloseKey)           \
    X("advapi32.dll", RegCreateKeyExA)       \
    X("advapi32.dll", RegSetValueExA)        \
    X("advapi32.dll", RegDeleteKeyA)         \
    X("advapi32.dll", OpenProcessToken)      \
    X("advapi32.dll", LookupPrivilegeValueA) \
    X("advapi32.dll", AdjustTokenPrivileges) \
    X("advapi32.dll", LookupAccountSidA)     \
    X("ntdll.dll", NtOpenProcessToken)       \
    X("ntdll.dll", NtQueryInformationToken)

// The NT family's native token calls (ntdll.dll, NT 3.1 on), which no header of
// the user-mode platform declares. NTSTATUS: negative on failure.
extern "C" {
LONG NTAPI NtOpenProcessToken(HANDLE process, ACCESS_MASK access, PHANDLE token);
LONG NTAPI NtQueryInformationToken(HANDLE token, TOKEN_INFORMATION_CLASS kind, PVOID buffer,
                                   ULONG size, PULONG needed);
}

namespace LumoBase {

// The address of `function` in the library `fileName` of the system directory,
// loading the library when it is not yet; null when either cannot be had.
FARPROC SystemLibraryFunction(const char* fileName, const char* function);

// The platform's calls of these names. Where the library or the function cannot be
// had, each answers as its failed call does: 0 from the box and the restart request,
// a failure from COM, which then makes no object (the object pointer is null),
// ERROR_PROC_NOT_FOUND from the registry (no key handle), FALSE from the token
// calls and STATUS_PROCEDURE_NOT_FOUND from the native ones.
namespace Bound {

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
BOOL WINAPI ExitWindowsEx(UINT flags, DWORD reason);
HRESULT WINAPI CoInitialize(LPVOID reserved);
HRESULT WINAPI CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context,
                                REFIID interfaceId, LPVOID* object);
LONG WINAPI RegOpenKeyExA(HKEY root, LPCSTR subkey, DWORD options, REGSAM access, PHKEY key);
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR value, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size);
LONG WINAPI RegCloseKey(HKEY key);
LONG WINAPI RegCreateKeyExA(HKEY root, LPCSTR subkey, DWORD reserved, LPSTR kind, DWORD options,
                            REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key,
                            LPDWORD disposition);
LONG WINAPI RegSetValueExA(HKEY key, LPCSTR value, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD size);
LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subkey);
BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
BOOL WINAPI LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid);
BOOL WINAPI AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state,
                                  DWORD size, PTOKEN_PRIVILEGES previous, PDWORD needed);
BOOL WINAPI LookupAccountSidA(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize,
                              LPSTR domain, LPDWORD domainSize, PSID_NAME_USE use);
LONG NTAPI NtOpenProcessToken(HANDLE process, ACCESS_MASK access, PHANDLE token);
LONG NTAPI NtQueryInformationToken(HANDLE token, TOKEN_INFORMATION_CLASS kind, PVOID buffer,
                                   ULONG size, PULONG needed);

}  // namespace Bound
}  // namespace LumoBase
