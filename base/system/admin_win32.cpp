#include "system/admin.h"

#include "system/admin_win32.h"
#include "system/os_version.h"

#include <windows.h>

#include <cstddef>
#include <cstdlib>

namespace LumoBase {

namespace {

const DWORD kNameCapacity = 260;

}  // namespace

bool GroupsHoldBuiltinGroup(const void* buffer, DWORD size, const char* groupName,
                            LookupAccountSidAFunction lookup) {
    if (!buffer || !groupName || !lookup) return false;
    const DWORD header = offsetof(TOKEN_GROUPS, Groups);
    if (size < header) return false;
    const TOKEN_GROUPS* groups = static_cast<const TOKEN_GROUPS*>(buffer);
    // A count larger than the buffer holds must not carry the walk past its end.
    const DWORD fitting = (size - header) / sizeof(SID_AND_ATTRIBUTES);
    const DWORD count = groups->GroupCount < fitting ? groups->GroupCount : fitting;

    char name[kNameCapacity] = {};
    char domain[kNameCapacity] = {};
    for (DWORD i = 0; i < count; ++i) {
        // Each lookup rewrites the capacities, so they are restored every time.
        DWORD nameSize = kNameCapacity;
        DWORD domainSize = kNameCapacity;
        SID_NAME_USE use;
        if (!lookup(nullptr, groups->Groups[i].Sid, name, &nameSize, domain, &domainSize,
                    &use)) {
            continue;
        }
        if (lstrcmpA(name, groupName) == 0 && lstrcmpA(domain, "BUILTIN") == 0) return true;
    }
    return false;
}

bool IsInBuiltinGroup(const char* groupName) {
    // Repeated here so that the check stands on its own.
    if (!IsWindowsNTFamily()) return true;
    if (!groupName) return false;

    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    // The first call only learns the size; its failure is expected.
    DWORD size = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
    void* buffer = std::malloc(size ? size : 1);
    if (!buffer) {
        CloseHandle(token);
        return false;
    }
    DWORD written = 0;
    if (!GetTokenInformation(token, TokenGroups, buffer, size, &written)) {
        CloseHandle(token);
        std::free(buffer);
        return false;
    }
    CloseHandle(token);
    // Bounded by what was allocated, whatever the group count claims.
    const bool found = GroupsHoldBuiltinGroup(buffer, size, groupName);
    std::free(buffer);
    return found;
}

bool IsAdministrator() {
    if (!IsWindowsNTFamily()) return true;
    return IsInBuiltinGroup("Administrators");
}

}  // namespace LumoBase
