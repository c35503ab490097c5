// Module information when allocations fail: at every point of a call in turn, the
// answer must agree with what the caller is left holding, and no exception may
// escape.

#include "modules/module_info.h"
#include "modules/win32au_module_handle.h"

#include "failing_allocations.h"
#include "module_test_support_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

using namespace LumoBase;
using namespace module_tests;

namespace {

// Enough successful allocations for any of the calls below to complete.
constexpr long kEnough = 40;

}  // namespace

TEST_CASE("without an implementation, or with a module handle without one, calls fail") {
    AModuleInfo* none = nullptr;
    AModuleHandle* empty = nullptr;
    {
        FailingAllocations failing(1);  // the object, not its implementation
        none = new AModuleInfo;
    }
    {
        FailingAllocations failing(1);
        empty = new AModuleHandle;
    }
    AModuleInfo info;
    AModuleHandle current;
    PString narrow;
    CHECK_FALSE(none->IsValid());
    CHECK_FALSE(none->CurrentModule(current));
    CHECK_FALSE(none->CurrentFileName(narrow));
    CHECK_FALSE(none->QueryFileVersion(PString(LibraryPath("unicode")), narrow));
    // A handle without an implementation names no module, not the program.
    REQUIRE_FALSE(empty->IsValid());
    CHECK_FALSE(info.QueryModuleFileName(*empty, narrow));
    CHECK_FALSE(info.QueryModuleVersion(*empty, narrow));
    delete empty;
    delete none;
}

TEST_CASE("finding a module succeeds exactly when the caller holds it") {
    AModuleInfo info;
    AModuleHandle expected;
    REQUIRE(info.CurrentModule(expected));
    bool sawFailure = false;
    for (long allowed = 0; allowed <= kEnough; ++allowed) {
        AModuleHandle handle;
        bool found = false;
        {
            FailingAllocations failing(allowed);
            found = info.CurrentModule(handle);
        }
        CAPTURE(allowed);
        if (found) {
            CHECK(handle.IsValid());
            CHECK(ValueOf(handle) == ValueOf(expected));
        } else {
            // Reset to an empty handle, or none at all when even that failed.
            CHECK((!handle.IsValid() || ValueOf(handle) == nullptr));
            sawFailure = true;
        }
        if (allowed == kEnough) CHECK(found);
    }
    CHECK(sawFailure);
}

TEST_CASE("text answers are whole or, in failure, as the rules say") {
    AModuleInfo info;
    const PString library(LibraryPath("unicode"));
    const UString wideLibrary = Latin1(library);
    PString fileName;
    REQUIRE(info.CurrentFileName(fileName));

    for (long allowed = 0; allowed <= kEnough; ++allowed) {
        CAPTURE(allowed);
        PString name("stale"), version("stale");
        UString wideName = Latin1("stale"), wideVersion = Latin1("stale");
        bool gotName, gotVersion, gotWideName, gotWideVersion;
        {
            FailingAllocations failing(allowed);
            gotName = info.CurrentFileName(name);
            gotVersion = info.QueryFileVersion(library, version);
        }
        {
            FailingAllocations failing(allowed);
            gotWideName = info.CurrentFileName(wideName);
            gotWideVersion = info.QueryFileVersion(wideLibrary, wideVersion);
        }
        // Narrow forms: the text, or empty.
        CHECK(name == (gotName ? fileName : PString()));
        CHECK(version == (gotVersion ? PString("1.2.1200.0 caf\xe9") : PString()));
        // Wide forms: the text, or untouched.
        CHECK(AsWide(wideName) == (gotWideName ? AsWide(Latin1(fileName)) : L"stale"));
        CHECK(AsWide(wideVersion) == (gotWideVersion ? L"1.2.1200.0 caf\u00e9" : L"stale"));
        if (allowed == 0) {
            CHECK_FALSE(gotName);
            CHECK_FALSE(gotVersion);
        }
        if (allowed == kEnough) {
            CHECK(gotName);
            CHECK(gotVersion);
            CHECK(gotWideName);
            CHECK(gotWideVersion);
        }
    }
}
