#include "system/system_info.h"
#include "system/memory_drives.h"
#include "system/processor.h"

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

int32_t WIN32_SystemInfo::GetPhysicalMemoryMB() { return LumoBase::GetPhysicalMemoryMB(); }

uint32_t WIN32_SystemInfo::GetLargestFreeDiskMB() { return GetLargestFixedDriveFreeSpace(SizeMB); }

int32_t WIN32_SystemInfo::GetProcessorCount() { return LumoBase::GetProcessorCount(); }

PString WIN32_SystemInfo::GetProcessorName(int32_t processor) {
    PString name;
    // The identifier is the first processor's whatever the index.
    if (ProcessorIndexInRange(processor, GetProcessorCount())) GetProcessorIdentifier(name);
    return name;
}

int32_t WIN32_SystemInfo::GetProcessorSpeedMHz(int32_t processor) {
    return TimedProcessorSpeedMHz(processor, GetProcessorCount());
}

int32_t WIN32_SystemInfo::HasCdRomDrive() { return FindFirstCdRomDrive() != 0 ? 1 : 0; }

PString WIN32_SystemInfo::GetPlatformName() { return PString("win32x86"); }

}  // namespace LumoBase
