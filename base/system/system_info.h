#pragma once
// Facts about the running system behind an interface, its Win32 implementation and
// the owning handle callers use.

#include "strings/pstring.h"
#include "system/os_version.h"

#include <cstdint>

namespace LumoBase {

class SystemInfo {
public:
    virtual ~SystemInfo() {}
    virtual int32_t GetOsType() = 0;
    virtual void GetOsVersion(int32_t* major, int32_t* minor, int32_t* servicePack) = 0;
    virtual int32_t GetPhysicalMemoryMB() = 0;
    virtual uint32_t GetLargestFreeDiskMB() = 0;
    virtual int32_t GetProcessorCount() = 0;
    virtual PString GetProcessorName(int32_t processor) = 0;
    virtual int32_t GetProcessorSpeedMHz(int32_t processor) = 0;
    virtual int32_t HasCdRomDrive() = 0;
    virtual PString GetPlatformName() = 0;
};

class WIN32_SystemInfo : public SystemInfo {
public:
    int32_t GetOsType() override;
    void GetOsVersion(int32_t* major, int32_t* minor, int32_t* servicePack) override;
    int32_t GetPhysicalMemoryMB() override;
    uint32_t GetLargestFreeDiskMB() override;
    int32_t GetProcessorCount() override;
    PString GetProcessorName(int32_t processor) override;
    int32_t GetProcessorSpeedMHz(int32_t processor) override;
    int32_t HasCdRomDrive() override;
    PString GetPlatformName() override;
};

class ASystemInfo {
public:
    ASystemInfo();
    // Takes ownership of `implementation`, which may be null (as after a failed
    // allocation); the handle then answers neutral values.
    explicit ASystemInfo(SystemInfo* implementation) : impl_(implementation) {}
    virtual ~ASystemInfo() { delete impl_; }
    ASystemInfo(const ASystemInfo&) = delete;
    ASystemInfo& operator=(const ASystemInfo&) = delete;

    int32_t GetOsType() { return impl_ ? impl_->GetOsType() : OsTypeUnknown; }

private:
    SystemInfo* impl_;
};

}  // namespace LumoBase
