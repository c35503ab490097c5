#pragma once
// The walk over a token's group list, apart from the token calls so that the
// account lookup can be replaced.

#include <windows.h>

#include "system/system_library.h"

namespace LumoBase {

typedef BOOL(WINAPI* LookupAccountSidAFunction)(LPCSTR systemName, PSID sid, LPSTR name,
                                                LPDWORD nameSize, LPSTR domain,
                                                LPDWORD domainSize, PSID_NAME_USE use);

// Looks each group of the TOKEN_GROUPS in buffer (size bytes) up in turn and
// answers true at the first whose account is groupName in "BUILTIN". Groups
// whose lookup fails are skipped; the count is trusted only as far as the
// entries lie within size. Attributes are not examined.
bool GroupsHoldBuiltinGroup(const void* buffer, DWORD size, const char* groupName,
                            LookupAccountSidAFunction lookup = Bound::LookupAccountSidA);

// Whether a SID is the built-in Administrators group, S-1-5-32-544, the same on
// every language edition.
bool IsBuiltinAdministratorsSid(const void* sid);

// Whether the TOKEN_GROUPS in buffer (size bytes) lists the built-in
// Administrators group, whatever its attributes and whatever it is called.
bool GroupsHoldBuiltinAdministrators(const void* buffer, DWORD size);

}  // namespace LumoBase
