// The version queries against what the platform reports to this process by
// other means: the old packed GetVersion answer and the registry's version.

#include "system/os_version.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>

using namespace LumoBase;

namespace {

std::string ReadCurrentVersionValue(const char* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return std::string();
    }
    char text[256] = {};
    DWORD size = sizeof(text) - 1;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::string(text) : std::string();
}

}  // namespace

TEST_CASE("the version numbers agree with the packed version answer") {
    const DWORD packed = GetVersion();
    CHECK(GetOsMajorVersion() == static_cast<int>(LOBYTE(LOWORD(packed))));
    CHECK(GetOsMinorVersion() == static_cast<int>(HIBYTE(LOWORD(packed))));
    const bool nt = (packed & 0x80000000u) == 0;
    CHECK(IsWindowsNTFamily() == nt);
    CHECK(IsWindows9xFamily() == !nt);
    CHECK(GetOsVersionCode() ==
          ClassifyOsVersion(nt ? VER_PLATFORM_WIN32_NT : VER_PLATFORM_WIN32_WINDOWS,
                            GetOsMajorVersion(), GetOsMinorVersion()));
}

TEST_CASE("the test prefix runs as Windows 7 with service pack 1") {
    // What the prefix's registry says its Windows is.
    REQUIRE(ReadCurrentVersionValue("CurrentVersion") == "6.1");
    REQUIRE(ReadCurrentVersionValue("CSDVersion") == "Service Pack 1");

    CHECK(GetOsVersionCode() == OsWindowsXP);
    CHECK(GetOsMajorVersion() == 6);
    CHECK(GetOsMinorVersion() == 1);
    CHECK(GetServicePack() == 1);
    CHECK(IsWindowsNTFamily());
    CHECK_FALSE(IsWindows9xFamily());
    CHECK(OsTypeFromVersionCode(GetOsVersionCode()) == OsTypeWindowsXP);
}
