#pragma once
// The restart request with the platform's call passed in, so that its arguments
// can be seen where the real call would end the session.

#include <windows.h>

namespace LumoBase {

using ExitWindowsCall = BOOL(WINAPI*)(UINT flags, DWORD reason);

// Enables the shutdown privilege on the NT family, then asks `exitWindows` for a
// restart that programs may refuse. True when the request was accepted.
bool RequestRestart(ExitWindowsCall exitWindows);

}  // namespace LumoBase
