// Run from a folder without ICU's DLLs while the current directory holds them: the
// conversions must fail as for a converter that cannot be opened, and no DLL may be
// taken from the current directory or the search path.

#include "strings/ustring.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>

using LumoBase::UString;

TEST_CASE("without ICU beside the program both conversions fail and change nothing") {
    CHECK(GetFileAttributesA("icuuc72.dll") != INVALID_FILE_ATTRIBUTES);  // planted in the cwd

    const unsigned short old[] = {'o', 'l', 'd', 0};
    UString s(old);
    int32_t status = 0;
    CHECK_FALSE(s.from_codepage(nullptr, "abc", 3, &status));
    CHECK(status == LumoIntl::kFileAccessError);
    CHECK(s == UString(old));
    CHECK_FALSE(s.from_codepage(nullptr, "abc", 3));
    CHECK(s == UString(old));

    std::string out = "unchanged";
    status = 0;
    CHECK_FALSE(s.to_codepage(nullptr, out, &status));
    CHECK(status == LumoIntl::kFileAccessError);
    CHECK(out == "unchanged");

    CHECK(GetModuleHandleA("icuuc72.dll") == nullptr);
    CHECK(GetModuleHandleA("icudt72.dll") == nullptr);
}
