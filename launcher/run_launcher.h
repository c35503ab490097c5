#pragma once
// The start-up sequence and decision tree, with the administrator check passed in
// so that the road of a user without administrator rights can be driven where the
// platform always answers yes.

#include "launcher.h"

namespace Tarnbolt {

using AdministratorCheck = bool (*)();

// Runs the launcher from start to end; answers the exit code, always 0.
int RunLauncher(HINSTANCE instance, AdministratorCheck isAdministrator);

// The runtime installation branch: true when it ran to its end (restart or launch).
// The preferred version guards against installing a runtime that can never meet it.
bool InstallRuntime(HINSTANCE instance, uint32_t preferredHigh, uint32_t preferredLow);

extern Launcher g_launcher;

}  // namespace Tarnbolt
