// The default converter in a double-byte code page: run under a Japanese locale,
// where the process's ANSI code page is 932.

#include "strings/ustring.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>

using LumoBase::UString;

TEST_CASE("a Japanese path converts to UTF-16 and back unchanged in code page 932") {
    REQUIRE(GetACP() == 932);
    // C:\表\ソ\app.exe: both characters end in 0x5C, the byte of a backslash.
    const std::string path = "C:\\\x95\x5C\\\x83\x5C\\app.exe";
    const unsigned short expected[] = {'C', ':', '\\', 0x8868, '\\', 0x30BD, '\\',
                                       'a', 'p', 'p', '.', 'e', 'x', 'e'};
    UString wide;
    int32_t status = 0;
    REQUIRE(wide.from_codepage(nullptr, path.data(), static_cast<int32_t>(path.size()), &status));
    CHECK(status <= 0);
    CHECK(static_cast<const LumoIntl::utf16_string&>(wide) == LumoIntl::utf16_string(std::begin(expected), std::end(expected)));

    // The platform's own conversion agrees.
    WCHAR platform[32] = {};
    const int n = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()),
                                      platform, 32);
    CHECK(LumoIntl::utf16_string(platform, platform + n) ==
          static_cast<const LumoIntl::utf16_string&>(wide));

    std::string back;
    REQUIRE(wide.to_codepage(nullptr, back, &status));
    CHECK(back == path);
}
