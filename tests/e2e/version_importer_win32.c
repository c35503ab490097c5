/* A program that imports VERSION.dll as the launcher once did: the scenario with a
   planted version.dll runs it first, to show that the planting takes effect. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
    DWORD handle = 0;
    (void)instance;
    (void)previous;
    (void)line;
    (void)show;
    return GetFileVersionInfoSizeA("C:\\windows\\system32\\kernel32.dll", &handle) ? 0 : 1;
}
