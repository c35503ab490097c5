// Imports a Vista function on purpose: the audit must reject this program.
#include <windows.h>

extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64(void);

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return static_cast<int>(GetTickCount64() & 1);
}
