#pragma once
// Which Windows the process runs on: a small classification, the version
// numbers and the service pack level. Every query asks the platform afresh.

namespace LumoBase {

enum OsVersionCode {
    OsWindows95 = 0,
    OsWindows98 = 1,
    OsWindowsMe = 2,
    OsWindowsNT4 = 3,
    OsWindows2000 = 4,
    OsWindowsXP = 5,
    OsUnknown = 6
};

// The numbering the system information object reports; 6 to 10 are unused.
enum OsType {
    OsTypeUnknown = 0,
    OsTypeWindows95 = 1,
    OsTypeWindows98 = 2,
    OsTypeWindowsNT4 = 3,
    OsTypeWindows2000 = 4,
    OsTypeWindowsMe = 5,
    OsTypeWindowsXP = 11
};

// Platform identifiers as the version query reports them.
const unsigned long kPlatformWin32Windows = 1;
const unsigned long kPlatformWin32NT = 2;

// Windows only: each asks the platform.
int GetOsVersionCode();
bool IsWindows9xFamily();
bool IsWindowsNTFamily();
int GetOsMajorVersion();  // -1 when the query fails
int GetOsMinorVersion();  // -1 when the query fails
int GetServicePack();     // -1 when the query fails or the platform is not NT

// Portable rules behind the queries.

// An OsVersionCode from the platform identifier and version numbers.
int ClassifyOsVersion(unsigned long platformId, unsigned long major, unsigned long minor);
// The number in a service-pack text read as "Service Pack %d" would read it;
// 0 when the text does not carry one (and for a null text).
int ParseServicePack(const char* text);
// The OsType for an OsVersionCode; OsTypeUnknown for anything out of range.
int OsTypeFromVersionCode(int code);
bool IsWindows9xCode(int code);
bool IsWindowsNTCode(int code);

}  // namespace LumoBase
