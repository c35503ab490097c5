// The launcher with the administrator check answering no: the platform here
// always grants administrator rights, so this drives the refusal road.
#include "run_launcher.h"

namespace {
bool NotAdministrator() { return false; }
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return Tarnbolt::RunLauncher(instance, NotAdministrator);
}
