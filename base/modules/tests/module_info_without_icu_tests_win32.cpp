// Without ICU beside the program nothing converts: the wide forms fail and leave
// their out text untouched, while the narrow forms work. The program is started
// from the folder that holds ICU, which must not be used.

#include "modules/module_info.h"

#include "module_test_support_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

using namespace LumoBase;
using namespace module_tests;

TEST_CASE("the narrow forms work without a converter") {
    AModuleInfo info;
    REQUIRE(info.IsValid());
    PString name;
    REQUIRE(info.CurrentFileName(name));
    CHECK(EndsWithNoCase(name, "\\module_info_without_icu_tests.exe"));
    PString version;
    REQUIRE(info.CurrentVersion(version));
    CHECK(version == PString("9.0.1200.7"));
    PString fileVersion;
    REQUIRE(info.QueryFileVersion(name, fileVersion));
    CHECK(fileVersion == PString("9.0.1200.7"));
}

TEST_CASE("the wide forms fail and leave their out text as it was") {
    AModuleInfo info;
    PString name;
    REQUIRE(info.CurrentFileName(name));
    AModuleHandle current;
    REQUIRE(info.CurrentModule(current));

    UString text = Latin1("stale");
    CHECK_FALSE(info.CurrentFileName(text));
    CHECK(AsWide(text) == L"stale");
    CHECK_FALSE(info.QueryModuleFileName(current, text));
    CHECK(AsWide(text) == L"stale");
    CHECK_FALSE(info.CurrentVersion(text));
    CHECK(AsWide(text) == L"stale");
    CHECK_FALSE(info.QueryModuleVersion(current, text));
    CHECK(AsWide(text) == L"stale");
    CHECK_FALSE(info.QueryFileVersion(Latin1(name), text));
    CHECK(AsWide(text) == L"stale");

    AModuleHandle found;
    CHECK_FALSE(info.FindModule(Latin1("module_info_without_icu_tests.exe"), found));
    CHECK(GetModuleHandleA("icuuc72.dll") == nullptr);
}
