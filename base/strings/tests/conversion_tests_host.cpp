// On Linux ICU's default converter is UTF-8 whatever the locale, so the shared
// tests name the Windows code page they expect.
#include "strings/ustring.h"

#include <doctest/doctest.h>

#include <string>

extern const char* const kAnsi;
const char* const kAnsi = "windows-1252";

TEST_CASE("the default converter is reached with no name") {
    LumoBase::UString s;
    REQUIRE(s.from_codepage(nullptr, "a\xC3\xA9", 3));
    CHECK(s.size() == 2);
    CHECK(s[1] == 0xE9);
    std::string out;
    REQUIRE(s.to_codepage(nullptr, out));
    CHECK(out == "a\xC3\xA9");
}
