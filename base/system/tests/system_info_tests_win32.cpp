// The system information object in the test prefix, against the version queries
// and against what the platform tells by the older packed version answer.

#include "system/os_version.h"
#include "system/system_info.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <climits>
#include <string>

using namespace LumoBase;

namespace {

// Counts its own destruction, to see that the handle frees what it owns.
class CountingSystemInfo : public WIN32_SystemInfo {
public:
    explicit CountingSystemInfo(int* destroyed) : destroyed_(destroyed) {}
    ~CountingSystemInfo() override { ++*destroyed_; }
    int32_t GetOsType() override { return OsTypeWindowsNT4; }

private:
    int* destroyed_;
};

}  // namespace

TEST_CASE("the operating system as the object reports it") {
    WIN32_SystemInfo info;
    CHECK(info.GetOsType() == OsTypeFromVersionCode(GetOsVersionCode()));
    CHECK(info.GetOsType() == OsTypeWindowsXP);  // the prefix is Windows 7 (6.1)

    int32_t major = INT_MIN, minor = INT_MIN, servicePack = INT_MIN;
    info.GetOsVersion(&major, &minor, &servicePack);
    const DWORD packed = GetVersion();
    CHECK(major == static_cast<int32_t>(LOBYTE(LOWORD(packed))));
    CHECK(minor == static_cast<int32_t>(HIBYTE(LOWORD(packed))));
    CHECK(major == GetOsMajorVersion());
    CHECK(minor == GetOsMinorVersion());
    CHECK(servicePack == GetServicePack());
    CHECK(servicePack == 1);

    CHECK(std::string(info.GetPlatformName()) == "win32x86");

    // Answered through the handle the launcher uses.
    ASystemInfo handle;
    CHECK(handle.GetOsType() == info.GetOsType());
}

TEST_CASE("a handle without an implementation answers an unknown system") {
    ASystemInfo empty(nullptr);
    CHECK(empty.GetOsType() == OsTypeUnknown);

    int destroyed = 0;
    {
        ASystemInfo owning(new CountingSystemInfo(&destroyed));
        CHECK(owning.GetOsType() == OsTypeWindowsNT4);
    }
    CHECK(destroyed == 1);
}
