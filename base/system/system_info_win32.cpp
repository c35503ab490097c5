#include "system/system_info.h"

#include <new>

namespace LumoBase {

ASystemInfo::ASystemInfo() : impl_(new (std::nothrow) WIN32_SystemInfo) {}

int32_t WIN32_SystemInfo::GetOsType() { return OsTypeFromVersionCode(GetOsVersionCode()); }

void WIN32_SystemInfo::GetOsVersion(int32_t* major, int32_t* minor, int32_t* servicePack) {
    *major = GetOsMajorVersion();
    *minor = GetOsMinorVersion();
    int pack = GetServicePack();
    *servicePack = pack == -1 ? 0 : pack;
}

// Memory, drives and processors rest on their own inventory functions, which are
// not part of the base library yet: neutral answers until then.
int32_t WIN32_SystemInfo::GetPhysicalMemoryMB() { return 0; }
uint32_t WIN32_SystemInfo::GetLargestFreeDiskMB() { return 0; }
int32_t WIN32_SystemInfo::GetProcessorCount() { return 0; }
PString WIN32_SystemInfo::GetProcessorName(int32_t) { return PString(); }
int32_t WIN32_SystemInfo::GetProcessorSpeedMHz(int32_t) { return 0; }
int32_t WIN32_SystemInfo::HasCdRomDrive() { return 0; }

PString WIN32_SystemInfo::GetPlatformName() { return PString("win32x86"); }

}  // namespace LumoBase
