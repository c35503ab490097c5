// The version query; the rules applied to its answer live in os_version.cpp.

#include "system/os_version.h"

#include <windows.h>

#include <cstring>

namespace LumoBase {

namespace {

// Five 32-bit fields and the 128-character service-pack text: the size that
// every Windows from 95 and NT 4 on accepts.
const DWORD kVersionInfoSize = 148;
static_assert(sizeof(OSVERSIONINFOA) == kVersionInfoSize, "OSVERSIONINFOA layout");

bool QueryVersion(OSVERSIONINFOA* info) {
    std::memset(info, 0, sizeof(*info));
    info->dwOSVersionInfoSize = kVersionInfoSize;
    return GetVersionExA(info) != 0;
}

}  // namespace

int GetOsVersionCode() {
    OSVERSIONINFOA info;
    if (!QueryVersion(&info)) return OsUnknown;
    return ClassifyOsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

bool IsWindows9xFamily() {
    return IsWindows9xCode(GetOsVersionCode());
}

bool IsWindowsNTFamily() {
    return IsWindowsNTCode(GetOsVersionCode());
}

int GetOsMajorVersion() {
    OSVERSIONINFOA info;
    if (!QueryVersion(&info)) return -1;
    return static_cast<int>(info.dwMajorVersion);
}

int GetOsMinorVersion() {
    OSVERSIONINFOA info;
    if (!QueryVersion(&info)) return -1;
    return static_cast<int>(info.dwMinorVersion);
}

int GetServicePack() {
    OSVERSIONINFOA info;
    if (!QueryVersion(&info)) return -1;
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return -1;
    // The platform may fill all 128 characters; never scan past them.
    char text[sizeof(info.szCSDVersion) + 1];
    std::memcpy(text, info.szCSDVersion, sizeof(info.szCSDVersion));
    text[sizeof(info.szCSDVersion)] = '\0';
    return ParseServicePack(text);
}

}  // namespace LumoBase
