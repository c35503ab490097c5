// The rules that turn a version query's answer into codes and numbers.

#include "system/os_version.h"

#include <doctest/doctest.h>

#include <climits>
#include <initializer_list>

using namespace LumoBase;

TEST_CASE("the 9x platform is told apart by its minor version alone") {
    CHECK(ClassifyOsVersion(kPlatformWin32Windows, 4, 0) == OsWindows95);
    CHECK(ClassifyOsVersion(kPlatformWin32Windows, 4, 1) == OsWindows98);
    CHECK(ClassifyOsVersion(kPlatformWin32Windows, 4, 10) == OsWindows98);
    CHECK(ClassifyOsVersion(kPlatformWin32Windows, 4, 11) == OsWindowsMe);
    CHECK(ClassifyOsVersion(kPlatformWin32Windows, 4, 90) == OsWindowsMe);
    // The major version is not examined.
    CHECK(ClassifyOsVersion(kPlatformWin32Windows, 0, 0) == OsWindows95);
    CHECK(ClassifyOsVersion(kPlatformWin32Windows, 5, 10) == OsWindows98);
}

TEST_CASE("the NT platform: NT 4 and older, then minor 0 or not") {
    CHECK(ClassifyOsVersion(kPlatformWin32NT, 4, 0) == OsWindowsNT4);
    CHECK(ClassifyOsVersion(kPlatformWin32NT, 3, 51) == OsWindowsNT4);
    CHECK(ClassifyOsVersion(kPlatformWin32NT, 4, 7) == OsWindowsNT4);
    CHECK(ClassifyOsVersion(kPlatformWin32NT, 5, 0) == OsWindows2000);
    CHECK(ClassifyOsVersion(kPlatformWin32NT, 5, 1) == OsWindowsXP);
    CHECK(ClassifyOsVersion(kPlatformWin32NT, 5, 2) == OsWindowsXP);
    // Later systems land on the same two codes by their minor version.
    CHECK(ClassifyOsVersion(kPlatformWin32NT, 6, 0) == OsWindows2000);
    CHECK(ClassifyOsVersion(kPlatformWin32NT, 10, 0) == OsWindows2000);
    CHECK(ClassifyOsVersion(kPlatformWin32NT, 6, 1) == OsWindowsXP);
    CHECK(ClassifyOsVersion(kPlatformWin32NT, 6, 2) == OsWindowsXP);
    CHECK(ClassifyOsVersion(kPlatformWin32NT, 6, 3) == OsWindowsXP);
}

TEST_CASE("any other platform is unknown and belongs to neither family") {
    CHECK(ClassifyOsVersion(0, 3, 11) == OsUnknown);  // Win32s
    CHECK(ClassifyOsVersion(3, 5, 0) == OsUnknown);   // CE
    CHECK(ClassifyOsVersion(0xFFFFFFFFul, 4, 0) == OsUnknown);
    CHECK_FALSE(IsWindows9xCode(OsUnknown));
    CHECK_FALSE(IsWindowsNTCode(OsUnknown));
}

TEST_CASE("each code belongs to exactly the family it names") {
    for (int code : {OsWindows95, OsWindows98, OsWindowsMe}) {
        CHECK(IsWindows9xCode(code));
        CHECK_FALSE(IsWindowsNTCode(code));
    }
    for (int code : {OsWindowsNT4, OsWindows2000, OsWindowsXP}) {
        CHECK(IsWindowsNTCode(code));
        CHECK_FALSE(IsWindows9xCode(code));
    }
    CHECK_FALSE(IsWindows9xCode(-1));
    CHECK_FALSE(IsWindowsNTCode(7));
}

TEST_CASE("the operating-system type follows its fixed table") {
    CHECK(OsTypeFromVersionCode(OsWindows95) == 1);
    CHECK(OsTypeFromVersionCode(OsWindows98) == 2);
    CHECK(OsTypeFromVersionCode(OsWindowsMe) == 5);
    CHECK(OsTypeFromVersionCode(OsWindowsNT4) == 3);
    CHECK(OsTypeFromVersionCode(OsWindows2000) == 4);
    CHECK(OsTypeFromVersionCode(OsWindowsXP) == 11);
    CHECK(OsTypeFromVersionCode(OsUnknown) == 0);
    CHECK(OsTypeFromVersionCode(-1) == OsTypeUnknown);
    CHECK(OsTypeFromVersionCode(7) == OsTypeUnknown);
}

TEST_CASE("service-pack texts that carry a number") {
    CHECK(ParseServicePack("Service Pack 1") == 1);
    CHECK(ParseServicePack("Service Pack 6a") == 6);
    CHECK(ParseServicePack("Service Pack 12 (build 3)") == 12);
    CHECK(ParseServicePack("Service Pack +3") == 3);
    CHECK(ParseServicePack("Service Pack -1") == -1);
    CHECK(ParseServicePack("Service Pack 007") == 7);
    // White space in the pattern matches any run, none included.
    CHECK(ParseServicePack("ServicePack3") == 3);
    CHECK(ParseServicePack("Service\t\tPack\n 4") == 4);
    CHECK(ParseServicePack("Service Pack    5") == 5);
}

TEST_CASE("service-pack texts that carry none give 0") {
    CHECK(ParseServicePack("") == 0);
    CHECK(ParseServicePack(nullptr) == 0);
    CHECK(ParseServicePack("service pack 2") == 0);
    CHECK(ParseServicePack("SERVICE PACK 2") == 0);
    CHECK(ParseServicePack("Service Pack") == 0);
    CHECK(ParseServicePack("Service Pack ") == 0);
    CHECK(ParseServicePack("Service Pack x2") == 0);
    CHECK(ParseServicePack("Service Pack -") == 0);
    CHECK(ParseServicePack("Service Pack +-2") == 0);
    CHECK(ParseServicePack("Servicepaket 2") == 0);
    // The pattern starts with a letter, so leading blanks do not match it.
    CHECK(ParseServicePack(" Service Pack 2") == 0);
    CHECK(ParseServicePack("Service Pak 2") == 0);
}

TEST_CASE("a service-pack number beyond int is held at the limit") {
    CHECK(ParseServicePack("Service Pack 2147483647") == INT_MAX);
    CHECK(ParseServicePack("Service Pack 2147483648") == INT_MAX);
    CHECK(ParseServicePack("Service Pack 99999999999999999999999999") == INT_MAX);
    CHECK(ParseServicePack("Service Pack -2147483648") == INT_MIN);
    CHECK(ParseServicePack("Service Pack -99999999999999999999999999") == INT_MIN);
}
