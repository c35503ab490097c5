#pragma once
// USER32 and ole32, bound when a call first needs them. Imported, they would be
// started on every run: USER32's start-up alone costs about half of what starting
// a program costs, and COM's more, also on the road that shows no box and makes no
// shell link. Like VERSION.dll (modules/version_library.h) they are loaded by
// their full path in the system directory, never from beside the executable, and
// they stay loaded until the process ends: COM, once initialised, stays so.

#include <windows.h>
#include <objbase.h>

// Every function bound at run time, by library and name. The import audit reads
// this list and holds it to its allow-list as it holds imports.
#define LUMO_SYSTEM_LIBRARY_FUNCTIONS(X) \
    X("user32.dll", MessageBoxA)         \
    X("user32.dll", ExitWindowsEx)       \
    X("ole32.dll", CoInitialize)         \
    X("ole32.dll", CoCreateInstance)

namespace LumoBase {

// The address of `function` in the library `fileName` of the system directory,
// loading the library when it is not yet; null when either cannot be had.
FARPROC SystemLibraryFunction(const char* fileName, const char* function);

// The platform's calls of these names. Where the library or the function cannot be
// had, each answers as its failed call does: 0 from the box and the restart request,
// a failure from COM, which then makes no object (the object pointer is null).
namespace Bound {

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
BOOL WINAPI ExitWindowsEx(UINT flags, DWORD reason);
HRESULT WINAPI CoInitialize(LPVOID reserved);
HRESULT WINAPI CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context,
                                REFIID interfaceId, LPVOID* object);

}  // namespace Bound
}  // namespace LumoBase
