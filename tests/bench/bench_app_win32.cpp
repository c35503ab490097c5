// The main application of the launch measurement: it ends at once, so a run
// costs what starting it costs.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
