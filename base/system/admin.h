#pragma once
// Whether the current user counts as an administrator. On the 9x family, and
// when the version cannot be told, every user does and no token is consulted.

namespace LumoBase {

// True when the process's token lists the built-in Administrators group
// (S-1-5-32-544, whatever the system's language calls it), whatever the
// group's attributes.
bool IsAdministrator();

// True when the process's token holds a group whose account is exactly
// groupName (case-sensitive) in the domain "BUILTIN"; false on every failure.
bool IsInBuiltinGroup(const char* groupName);

}  // namespace LumoBase
