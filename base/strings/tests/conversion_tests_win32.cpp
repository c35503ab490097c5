// The conversions as a Windows process really gets them: ICU's DLLs beside the
// program, the default converter chosen from the process's ANSI code page.

#include "strings/ustring.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>

using LumoBase::UString;

extern const char* const kAnsi;
const char* const kAnsi = nullptr;  // ICU's default converter

namespace {

std::string Directory(const char* path) {
    std::string s(path);
    return s.substr(0, s.rfind('\\'));
}

}  // namespace

TEST_CASE("the default converter agrees with the process's ANSI code page") {
    CHECK(GetACP() == 1252);
    int compared = 0;
    for (int byte = 1; byte <= 0xFF; ++byte) {
        char in[1] = {static_cast<char>(byte)};
        WCHAR expected[4] = {};
        int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, in, 1, expected, 4);
        if (n != 1) continue;  // undefined in the code page: the two substitute differently
        UString s;
        REQUIRE(s.from_codepage(nullptr, in, 1));
        REQUIRE(s.size() == 1);
        CHECK_MESSAGE(s[0] == expected[0], "byte " << byte);
        std::string back;
        REQUIRE(s.to_codepage(nullptr, back));
        CHECK(back == std::string(in, 1));
        ++compared;
    }
    CHECK(compared > 240);
}

TEST_CASE("the trimmed data holds every Windows ANSI code page") {
    const char* pages[] = {"windows-1250", "windows-1251", "windows-1252", "windows-1253",
                           "windows-1254", "windows-1255", "windows-1256", "windows-1257",
                           "windows-1258", "windows-874",  "windows-932",  "windows-936",
                           "windows-949",  "windows-950"};
    for (const char* page : pages) {
        UString s;
        int32_t status = 0;
        CHECK_MESSAGE(s.from_codepage(page, "A", 1, &status), std::string(page) << " status " << status);
        CHECK(s.size() == 1);
    }
    // Two-byte text of code page 932: U+3042 HIRAGANA LETTER A.
    UString s;
    REQUIRE(s.from_codepage("windows-932", "\x82\xA0", 2));
    CHECK(s.size() == 1);
    CHECK(s[0] == 0x3042);
}

TEST_CASE("ICU is loaded from the program's own directory") {
    UString s;
    REQUIRE(s.from_codepage(nullptr, "x", 1));
    char self[MAX_PATH], icu[MAX_PATH];
    REQUIRE(GetModuleFileNameA(nullptr, self, MAX_PATH) > 0);
    HMODULE common = GetModuleHandleA("icuuc72.dll");
    HMODULE data = GetModuleHandleA("icudt72.dll");
    REQUIRE(common != nullptr);
    REQUIRE(data != nullptr);
    REQUIRE(GetModuleFileNameA(common, icu, MAX_PATH) > 0);
    CHECK(lstrcmpiA(Directory(icu).c_str(), Directory(self).c_str()) == 0);
    REQUIRE(GetModuleFileNameA(data, icu, MAX_PATH) > 0);
    CHECK(lstrcmpiA(Directory(icu).c_str(), Directory(self).c_str()) == 0);
}
