#include "system/admin.h"

#include "system/admin_win32.h"
#include "system/os_version.h"
#include "system/system_library.h"

#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace LumoBase {

namespace {

const DWORD kNameCapacity = 260;

// How many entries of the group list lie within the buffer: a count larger than
// the buffer holds must not carry a walk past its end.
DWORD FittingGroups(const void* buffer, DWORD size) {
    const DWORD header = offsetof(TOKEN_GROUPS, Groups);
    if (!buffer || size < header) return 0;
    const DWORD fitting = (size - header) / sizeof(SID_AND_ATTRIBUTES);
    const DWORD claimed = static_cast<const TOKEN_GROUPS*>(buffer)->GroupCount;
    return claimed < fitting ? claimed : fitting;
}

}  // namespace

bool IsBuiltinAdministratorsSid(const void* sid) {
    // S-1-5-32-544: revision 1, two sub-authorities, NT authority (5), the built-in
    // domain (32), alias 544. Read field by field: the sub-authorities only once
    // the count says they are there.
    if (!sid) return false;
    const SID* s = static_cast<const SID*>(sid);
    static const BYTE kNtAuthority[6] = {0, 0, 0, 0, 0, 5};
    return s->Revision == SID_REVISION && s->SubAuthorityCount == 2 &&
           std::memcmp(s->IdentifierAuthority.Value, kNtAuthority, 6) == 0 &&
           s->SubAuthority[0] == SECURITY_BUILTIN_DOMAIN_RID &&
           s->SubAuthority[1] == DOMAIN_ALIAS_RID_ADMINS;
}

bool GroupsHoldBuiltinGroup(const void* buffer, DWORD size, const char* groupName,
                            LookupAccountSidAFunction lookup) {
    if (!buffer || !groupName || !lookup) return false;
    const TOKEN_GROUPS* groups = static_cast<const TOKEN_GROUPS*>(buffer);
    const DWORD count = FittingGroups(buffer, size);

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

bool GroupsHoldBuiltinAdministrators(const void* buffer, DWORD size) {
    const DWORD count = FittingGroups(buffer, size);
    const TOKEN_GROUPS* groups = static_cast<const TOKEN_GROUPS*>(buffer);
    for (DWORD i = 0; i < count; ++i)
        if (IsBuiltinAdministratorsSid(groups->Groups[i].Sid)) return true;
    return false;
}

namespace {

// The token's group list in a buffer of the caller's to free, or null on any
// failure; `size` is what was allocated. Asked of ntdll.dll, loaded in every NT
// process, so that the launch road starts no ADVAPI32 (system_library.h).
void* ReadTokenGroups(DWORD& size) {
    HANDLE token = nullptr;
    if (Bound::NtOpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) < 0 || !token)
        return nullptr;
    // The first call only learns the size; its failure is expected.
    ULONG needed = 0;
    Bound::NtQueryInformationToken(token, TokenGroups, nullptr, 0, &needed);
    size = needed;
    void* buffer = std::malloc(size ? size : 1);
    ULONG written = 0;
    if (buffer && Bound::NtQueryInformationToken(token, TokenGroups, buffer, size, &written) < 0) {
        std::free(buffer);
        buffer = nullptr;
    }
    CloseHandle(token);
    return buffer;
}

}  // namespace

bool IsInBuiltinGroup(const char* groupName) {
    // Repeated here so that the check stands on its own.
    if (!IsWindowsNTFamily()) return true;
    if (!groupName) return false;
    DWORD size = 0;
    void* buffer = ReadTokenGroups(size);
    if (!buffer) return false;
    // Bounded by what was allocated, whatever the group count claims.
    const bool found = GroupsHoldBuiltinGroup(buffer, size, groupName);
    std::free(buffer);
    return found;
}

bool IsAdministrator() {
    if (!IsWindowsNTFamily()) return true;
    // By identifier, not by name: localised systems name the group in their own
    // language ("Administratoren" in "VORDEFINIERT").
    DWORD size = 0;
    void* buffer = ReadTokenGroups(size);
    if (!buffer) return false;
    const bool found = GroupsHoldBuiltinAdministrators(buffer, size);
    std::free(buffer);
    return found;
}

}  // namespace LumoBase
