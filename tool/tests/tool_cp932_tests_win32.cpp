// The Windows tool under code page 932 (Wine under a Japanese locale): a folder
// named ソフト, whose first character's second byte is 0x5C.

#include "tool.h"

#include "../../base/files/tests/temp_folder_win32.h"

#include "build_files_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <vector>

using namespace Tarnbolt;

namespace {

// Whether every backslash of text begins an escape JSON has.
bool EscapesValid(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') continue;
        if (++i >= text.size()) return false;
        const char c = text[i];
        if (c == 'u') {
            if (i + 4 >= text.size()) return false;
            i += 4;
        } else if (std::string("\"\\/bfnrt").find(c) == std::string::npos) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST_CASE("code page 932: check --json in a folder named with a 0x5C trail byte") {
    REQUIRE(GetACP() == 932u);
    TempFolder t;
    REQUIRE(!t.Path().empty());
    const std::string soft = "\x83\x5c\x83\x74\x83\x67";
    REQUIRE(CreateDirectoryA((t / soft).c_str(), nullptr));
    const std::string launcher = t / (soft + "\\setup.exe");
    REQUIRE(CopyFileA(Windows(TARNBOLT_LAUNCHER_PATH).c_str(), launcher.c_str(), FALSE));
    // One step more than the folder is deep: its components are the temporary
    // folder's and ソフト, which a walk by bytes would count as two.
    std::string climb = "..\\..\\";
    for (char c : t.Path())
        if (c == '\\') climb += "..\\";
    t.MakeFile(soft + "\\setup.ini", "[General]\r\nRun=" + climb + "app.exe\r\n");

    std::vector<std::string> args = {"check", launcher, "--json"};
#ifdef _WIN64
    args.insert(args.end(), {"--arch", "x86-64"});
#endif
    std::string out, err;
    ToolMain(args, out, err);
    INFO(out, err);
    CHECK(EscapesValid(out));
    // ソフト in UTF-8, and the climb that only a walk by characters sees.
    CHECK(out.find("\xe3\x82\xbd\xe3\x83\x95\xe3\x83\x88\\\\setup.exe\"") != std::string::npos);
    CHECK(out.find("\"code\":\"run-climbs\"") != std::string::npos);
}
