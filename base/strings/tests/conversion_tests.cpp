// Conversions through the ANSI code page windows-1252: on Windows through ICU's
// default converter, which follows the process's code page; on Linux, where ICU's
// default converter is always UTF-8, by naming it.

#include "strings/ustring.h"

#include <doctest/doctest.h>

#include <string>
#include <vector>

using LumoBase::UString;
using LumoIntl::StatusIsFailure;

extern const char* const kAnsi;  // the converter name the platform's test passes

namespace {

std::vector<unsigned> Units(const UString& s) { return std::vector<unsigned>(s.begin(), s.end()); }

UString Filled() {
    const unsigned short old[] = {'o', 'l', 'd', 0};
    return UString(old);
}

}  // namespace

TEST_CASE("bytes of the ANSI code page convert to UTF-16 and back") {
    UString s = Filled();
    int32_t status = 99;
    CHECK(s.from_codepage(kAnsi, "abc", 3, &status));
    CHECK_FALSE(StatusIsFailure(status));  // a warning (an ambiguous alias) is success
    CHECK(Units(s) == std::vector<unsigned>{0x61, 0x62, 0x63});

    std::string out = "old";
    CHECK(s.to_codepage(kAnsi, out));
    CHECK(out == "abc");

    // Letters beyond ASCII in windows-1252.
    CHECK(s.from_codepage(kAnsi, "\xE9\x80", 2));
    CHECK(Units(s) == std::vector<unsigned>{0xE9, 0x20AC});
    CHECK(s.to_codepage(kAnsi, out));
    CHECK(out == "\xE9\x80");
}

TEST_CASE("edges of from_codepage") {
    SUBCASE("zero bytes give the empty text") {
        UString s = Filled();
        CHECK(s.from_codepage(kAnsi, "", 0));
        CHECK(s.empty());
        UString t = Filled();
        CHECK(t.from_codepage(kAnsi, nullptr, 0));
        CHECK(t.empty());
    }
    SUBCASE("a zero byte ends the text") {
        UString s;
        CHECK(s.from_codepage(kAnsi, "ab\0cd", 5));
        CHECK(Units(s) == std::vector<unsigned>{0x61, 0x62});
    }
    SUBCASE("a failure handed in is reset") {
        UString s;
        int32_t status = LumoIntl::kFileAccessError;
        CHECK(s.from_codepage(kAnsi, "x", 1, &status));
        CHECK_FALSE(StatusIsFailure(status));  // a warning (an ambiguous alias) is success
        CHECK(Units(s) == std::vector<unsigned>{0x78});
    }
    SUBCASE("a negative count or missing bytes fail and change nothing") {
        UString s = Filled();
        int32_t status = 0;
        CHECK_FALSE(s.from_codepage(kAnsi, "abc", -1, &status));
        CHECK(StatusIsFailure(status));
        CHECK_FALSE(s.from_codepage(kAnsi, nullptr, 2, &status));
        CHECK(StatusIsFailure(status));
        CHECK(s == Filled());
    }
    SUBCASE("surrogate pairs come out as ICU makes them") {
        UString s;
        CHECK(s.from_codepage("UTF-8", "\xF0\x9F\x98\x80z", 5));
        CHECK(Units(s) == std::vector<unsigned>{0xD83D, 0xDE00, 0x7A});
        std::string out;
        CHECK(s.to_codepage("UTF-8", out));
        CHECK(out == "\xF0\x9F\x98\x80z");
    }
}

TEST_CASE("edges of to_codepage") {
    SUBCASE("an empty text gives an empty destination") {
        std::string out = "old";
        CHECK(UString().to_codepage(kAnsi, out));
        CHECK(out.empty());
    }
    SUBCASE("a failure handed in leaves the destination") {
        UString s;
        s.from_codepage(kAnsi, "abc", 3);
        std::string out = "old";
        int32_t status = LumoIntl::kIllegalArgumentError;
        CHECK_FALSE(s.to_codepage(kAnsi, out, &status));
        CHECK(status == LumoIntl::kIllegalArgumentError);
        CHECK(out == "old");
    }
    SUBCASE("a character the code page lacks is substituted, not a failure") {
        UString s;
        s.push_back(0x4E00);
        std::string out;
        int32_t status = 0;
        CHECK(s.to_codepage(kAnsi, out, &status));
        CHECK_FALSE(StatusIsFailure(status));
        CHECK(out.size() == 1);
        CHECK(out != std::string(1, '\0'));
    }
}

TEST_CASE("a converter ICU cannot open fails both ways and changes nothing") {
    UString s = Filled();
    int32_t status = 0;
    CHECK_FALSE(s.from_codepage("no-such-converter", "xyz", 3, &status));
    CHECK(StatusIsFailure(status));
    CHECK(s == Filled());

    std::string out = "old";
    status = 0;
    CHECK_FALSE(s.to_codepage("no-such-converter", out, &status));
    CHECK(StatusIsFailure(status));
    CHECK(out == "old");
    CHECK_FALSE(s.to_codepage("no-such-converter", out));
    CHECK(out == "old");
}
