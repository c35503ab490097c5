// The restart on the NT family. Wine accepts the shutdown request and carries
// nothing out, so the call is safe here; on the 9x family it would end the
// prefix's session and is not made.

#include "system/os_version.h"
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

}  // namespace

TEST_CASE("on the NT family the restart enables the shutdown privilege and is accepted") {
    REQUIRE(IsWindowsNTFamily());
    const long before = ShutdownPrivilegeAttributes();
    REQUIRE(before != -1);
    CHECK((before & SE_PRIVILEGE_ENABLED) == 0);

    CHECK(RestartSystem());

    const long after = ShutdownPrivilegeAttributes();
    CHECK((after & SE_PRIVILEGE_ENABLED) != 0);
}
