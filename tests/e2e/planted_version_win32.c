/* A version.dll as someone might leave it beside the launcher: a call of its version
   functions leaves C:\planted.txt, and they fail, as a damaged or hostile copy might. */
#include <windows.h>

static void Mark(void) {
    HANDLE mark = CreateFileA("C:\\planted.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
}

__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle) {
    (void)path;
    (void)handle;
    Mark();
    return 0;
}

__declspec(dllexport) BOOL WINAPI GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size,
                                                      LPVOID block) {
    (void)path;
    (void)handle;
    (void)size;
    (void)block;
    Mark();
    return FALSE;
}

__declspec(dllexport) BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR key, LPVOID* value,
                                                 PUINT length) {
    (void)block;
    (void)key;
    (void)value;
    (void)length;
    Mark();
    return FALSE;
}
