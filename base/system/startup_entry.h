#pragma once
// Restarting the machine and the run-at-startup entry that brings the launcher
// back after the restart.

namespace LumoBase {

// Asks for a restart that every program may refuse (none is forced to close);
// true when the platform accepted the request.
bool RestartSystem();

// Registers `programPath` (null or empty: the running executable) to run at the
// next start-up. True when the registration is in place afterwards; false when the
// program file does not exist, this Windows has no registration road, the Startup
// folder that road needs cannot be had, or the shortcut could not be saved there.
// The shortcut never replaces another program's of the same name: it takes the
// next free one (StartupLinkName).
bool AddStartupEntry(const char* programPath = nullptr);

// Takes that registration away: only shortcuts whose target is this program go.
// True when the road was carried out, whether or not there was anything to remove;
// false as for AddStartupEntry but for a failed save.
bool RemoveStartupEntry(const char* programPath = nullptr);

// Writes a shell link at `linkPath` to `target` with `description`. COM is
// initialised on the calling thread first, where it is not yet, and stays so.
void CreateShortcut(const char* target, const char* linkPath, const char* description);

}  // namespace LumoBase
