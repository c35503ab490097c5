// Prints what the version and administrator queries answer, one "name=value"
// a line, for a script that runs it under several Windows versions.

#include "system/admin.h"
#include "system/os_version.h"

#include <windows.h>

#include <cstdio>

int main() {
    using namespace LumoBase;
    // As Wine's debug output prefixes its lines, to pick this process's calls.
    std::printf("process=%04lx\n", GetCurrentProcessId());
    std::printf("code=%d\n", GetOsVersionCode());
    std::printf("major=%d\n", GetOsMajorVersion());
    std::printf("minor=%d\n", GetOsMinorVersion());
    std::printf("servicepack=%d\n", GetServicePack());
    std::printf("family9x=%d\n", IsWindows9xFamily() ? 1 : 0);
    std::printf("familynt=%d\n", IsWindowsNTFamily() ? 1 : 0);
    std::printf("admin=%d\n", IsAdministrator() ? 1 : 0);
    std::printf("builtin_users=%d\n", IsInBuiltinGroup("Users") ? 1 : 0);
    std::printf("builtin_nosuch=%d\n", IsInBuiltinGroup("No Such Group") ? 1 : 0);
    return 0;
}
