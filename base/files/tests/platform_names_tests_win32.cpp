#include "files/platform_names.h"

#include <doctest/doctest.h>

using namespace LumoBase;

TEST_CASE("the module name and the Windows directory come whole or not at all") {
    std::string name;
    REQUIRE(ReadModuleFileName(nullptr, 1023, name));
    CHECK(name.size() > 4);
    CHECK(name.substr(name.size() - 4) == ".exe");

    // One character too few: the platform would hand out a cut name.
    std::string untouched = "stale";
    CHECK_FALSE(ReadModuleFileName(nullptr, name.size() - 1, untouched));
    CHECK(untouched == "stale");
    std::string exact;
    CHECK(ReadModuleFileName(nullptr, name.size(), exact));
    CHECK(exact == name);

    char buffer[8] = "xxxxxxx";
    CHECK(ReadModuleFileName(nullptr, buffer, sizeof buffer) == 0);
    CHECK(buffer[0] == '\0');

    std::string windows;
    REQUIRE(ReadWindowsDirectory(0, windows));
    char expected[MAX_PATH];
    CHECK(windows == std::string(expected, GetWindowsDirectoryA(expected, sizeof expected)));
    std::string shorter = "stale";
    CHECK_FALSE(ReadWindowsDirectory(windows.size() - 1, shorter));
    CHECK(shorter == "stale");
    CHECK(ReadWindowsDirectory(windows.size(), shorter));
}
