// The restart request on the NT family. The platform's call itself would end
// the session of every test sharing this prefix, so a recorder takes its place.

#include "system/os_version.h"
#include "system/restart_win32.h"
#include "system/startup_entry.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <vector>

using namespace LumoBase;

namespace {

// The attributes of the shutdown privilege in this process's token; -1 when the
// token does not hold it.
long ShutdownPrivilegeAttributes() {
    LUID shutdown;
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown)) return -1;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return -1;
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size ? size : 1);
    long attributes = -1;
    if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
        const TOKEN_PRIVILEGES* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID& luid = privileges->Privileges[i].Luid;
            if (luid.LowPart == shutdown.LowPart && luid.HighPart == shutdown.HighPart)
                attributes = static_cast<long>(privileges->Privileges[i].Attributes);
        }
    }
    CloseHandle(token);
    return attributes;
}

struct Request {
    int calls = 0;
    UINT flags = 0;
    long privilege = -1;  // the shutdown privilege's attributes at the call
} g_request;

BOOL WINAPI RecordRequest(UINT flags, DWORD) {
    ++g_request.calls;
    g_request.flags = flags;
    g_request.privilege = ShutdownPrivilegeAttributes();
    return TRUE;
}

}  // namespace

TEST_CASE("the restart is asked for with the shutdown privilege enabled, and never forced") {
    REQUIRE(IsWindowsNTFamily());
    const long before = ShutdownPrivilegeAttributes();
    REQUIRE(before != -1);
    CHECK((before & SE_PRIVILEGE_ENABLED) == 0);

    CHECK(RequestRestart(&RecordRequest));

    CHECK(g_request.calls == 1);
    CHECK((g_request.privilege & SE_PRIVILEGE_ENABLED) != 0);
    // A forced restart closes programs with their unsaved documents.
    CHECK(g_request.flags == EWX_REBOOT);
}
