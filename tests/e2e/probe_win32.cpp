// Stand-in main application: appends its module path, command line and current
// directory to C:\probe.txt and exits.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char module[MAX_PATH] = "", directory[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    GetCurrentDirectoryA(MAX_PATH, directory);
    FILE* log = std::fopen("C:\\probe.txt", "ab");
    if (!log) return 1;
    std::fprintf(log, "module=%s\ncommand=%s\ndirectory=%s\n", module, GetCommandLineA(), directory);
    std::fclose(log);
    return 0;
}
