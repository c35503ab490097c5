#pragma once
// The start-up sequence and decision tree, with the administrator check passed in
// so that the road of a user without administrator rights can be driven where the
// platform always answers yes.

#include "launcher.h"

#include <string>

namespace Tarnbolt {

using AdministratorCheck = bool (*)();

// Runs the launcher from start to end; answers the exit code, always 0.
int RunLauncher(HINSTANCE instance, AdministratorCheck isAdministrator);

// Reads the settings file into the process-wide values: Run resolved against the
// launcher's directory, the preferred version parsed into its two halves.
void LoadSettings(HINSTANCE instance, const std::string& file, uint32_t& preferredHigh,
                  uint32_t& preferredLow);

// The runtime installation branch: true when it ran to its end (restart or launch).
// The preferred version guards against installing a runtime that can never meet it.
bool InstallRuntime(HINSTANCE instance, uint32_t preferredHigh, uint32_t preferredLow);

extern Launcher g_launcher;

}  // namespace Tarnbolt
