#include "run_launcher.h"

#include "system/admin.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return Tarnbolt::RunLauncher(instance, LumoBase::IsAdministrator);
}
