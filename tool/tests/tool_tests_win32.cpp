// The packager's tool on real files: the built launcher, the prefix's own libraries
// as payload, settings written beside it.

#include "pe_stamp.h"
#include "tool.h"

#include "../../base/files/tests/temp_folder_win32.h"

#include "build_files_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

using namespace Tarnbolt;

#ifndef TARNBOLT_LAUNCHER_PATH
#error "the build names the launcher"
#endif

namespace {

void WriteAll(const std::string& path, const Blob& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string System(const char* name) {
    char directory[MAX_PATH];
    GetSystemDirectoryA(directory, sizeof directory);
    return std::string(directory) + "\\" + name;
}

struct Run {
    int code;
    std::string out, err;
};

// The launcher of this build: the 32-bit product, or the x86-64 test build.
Run Tool(std::vector<std::string> args) {
#ifdef _WIN64
    args.insert(args.end(), {"--arch", "x86-64"});
#endif
    Run run;
    run.code = ToolMain(args, run.out, run.err);
    return run;
}

// The finding codes of a report, each once.
std::set<std::string> Codes(const std::string& report) {
    std::set<std::string> codes;
    size_t at = 0;
    while ((at = report.find('\n', at)) != std::string::npos) {
        ++at;
        for (const char* severity : {"error: ", "warning: "}) {
            const size_t length = std::strlen(severity);
            if (report.compare(at, length, severity) == 0) {
                const size_t end = report.find(':', at + length);
                codes.insert(report.substr(at + length, end - at - length));
            }
        }
    }
    return codes;
}

// A package folder: settings, the main program, and real libraries to embed (the
// prefix's msvcrt.dll stands for all three runtime files: code and a version).
struct Package {
    TempFolder folder;
    std::string launcher = Windows(TARNBOLT_LAUNCHER_PATH);
    std::string settings, msvcrt = System("msvcrt.dll"), comctl32 = System("comctl32.dll");

    explicit Package(const std::string& run = "app.exe", const std::string& preferred = "6.1.8637.0") {
        folder.MakeFile("app.exe");
        settings = folder.MakeFile("setup.ini",
                                   "[Administrator]\r\nAdminMessage=Log on as administrator.\r\n"
                                   "AdminMessageTitle=Setup\r\n[General]\r\nRun=" + run +
                                       "\r\nMessage=Setup restarts Windows.\r\nCaption=Setup\r\n"
                                       "PreferredVersion=" + preferred + "\r\n");
    }
    Run Stamp(const std::string& out) const {
        return Tool({"stamp", launcher, "--msvcrt", msvcrt, "--msvcp60", msvcrt, "--msvcirt", msvcrt,
                     "--comctl32", comctl32, "-o", out, "--settings", settings});
    }
};

}  // namespace

TEST_CASE("stamp then check: real libraries and sound settings are clean") {
    Package package;
    const std::string out = package.folder / "setup.exe";
    const Run stamped = package.Stamp(out);
    INFO(stamped.out, stamped.err);
    CHECK(stamped.code == 0);
    CHECK(stamped.out.find("0 errors, 0 warnings") != std::string::npos);
    // The stamp keeps the launcher's version resource; the tool tells the same version.
    CHECK(stamped.out.find("\nversion:  " TARNBOLT_VERSION ".0\n") != std::string::npos);
    CHECK(Tool({"--version"}).out == "tarnbolt-tool " TARNBOLT_VERSION "\n");

    // The launcher's own settings file is found by its name.
    const Run checked = Tool({"check", out, "--json"});
    CHECK(checked.code == 0);
    CHECK(checked.out.find("\"errors\":0,\"warnings\":0,\"exit\":0") != std::string::npos);
    CHECK(checked.out.find("\"launcherVersion\":\"" TARNBOLT_VERSION ".0\"") != std::string::npos);
}

TEST_CASE("check: broken launchers and settings") {
    Package package;
    const std::string stamped = package.folder / "setup.exe";
    REQUIRE(package.Stamp(stamped).code == 0);

#if TARNBOLT_STANDINS
    SUBCASE("the build's stand-ins are no payload") {
        const Run run = Tool({"check", package.launcher, package.settings});
        CHECK(run.code == 2);
        CHECK(Codes(run.out) == std::set<std::string>{"payload-stand-in"});
    }
#endif
    SUBCASE("a runtime that cannot meet PreferredVersion") {
        Package newer("app.exe", "99.0");
        const Run run = Tool({"check", stamped, newer.settings, "--dir", package.folder.Path()});
        CHECK(run.code == 2);
        CHECK(Codes(run.out) == std::set<std::string>{"preferred-unmet"});
    }
    SUBCASE("a library of the other architecture, a missing one") {
        Blob other = ReadAll(package.msvcrt);
        Blob image = ReadAll(stamped);
        REQUIRE(other.size() > 0x100);
        const uint32_t pe = other[0x3c] | (other[0x3d] << 8);
        const bool wide = other[pe + 4] == 0x64;
        other[pe + 4] = wide ? 0x4c : 0x64;  // i386 <-> x86-64
        other[pe + 5] = wide ? 0x01 : 0x86;
        Blob broken;
        REQUIRE(StampResources(image, "DLL", {{104, other}}, broken));
        const std::string path = package.folder / "other.exe";
        WriteAll(path, broken);
        const Run run = Tool({"check", path, package.settings});
        CHECK(Codes(run.out) == std::set<std::string>{"payload-wrong-arch"});

        // A program without any payload: the probe of the stamping tests.
        const Run bare = Tool({"check", Windows(TARNBOLT_BARE_PATH), package.settings});
        CHECK(bare.code == 2);
        CHECK(Codes(bare.out).count("payload-missing") == 1);
    }
    SUBCASE("a launcher of the other architecture") {
#ifdef _WIN64
        const std::vector<std::string> args = {"check", stamped, package.settings};
#else
        const std::vector<std::string> args = {"check", stamped, package.settings, "--arch", "x86-64"};
#endif
        std::string out, err;
        CHECK(ToolMain(args, out, err) == 2);
        const std::set<std::string> codes = Codes(out);
        CHECK(codes.count("launcher-not-pe32") == 1);
        CHECK(codes.count("payload-wrong-arch") == 1);
    }
    SUBCASE("a settings file in UTF-16") {
        const std::string text = "[General]\r\nRun=app.exe\r\n";
        Blob utf16 = {0xFF, 0xFE};
        for (char c : text) utf16.insert(utf16.end(), {static_cast<unsigned char>(c), 0});
        const std::string settings = package.folder / "wide.ini";
        WriteAll(settings, utf16);
        const Run run = Tool({"check", stamped, settings});
        CHECK(run.code == 2);
        CHECK(Codes(run.out).count("settings-utf16") == 1);
    }
    SUBCASE("a Run value that is cut, a program that is missing") {
        Package cut(std::string(600, 'a') + ".exe");
        Run run = Tool({"check", stamped, cut.settings});
        CHECK(Codes(run.out) == std::set<std::string>{"run-cut", "run-missing"});
        Package missing("bin\\main.exe -q");
        run = Tool({"check", stamped, missing.settings});
        CHECK(run.code == 2);
        CHECK(Codes(run.out) == std::set<std::string>{"run-missing"});
        CHECK(run.out.find("bin\\main.exe\" is not there") != std::string::npos);
    }
}

TEST_CASE("the JSON report is UTF-8 whatever the ANSI code page") {
    char e[8] = {};
    BOOL lost = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, 0, L"\u00e9", 1, e, sizeof e, nullptr, &lost);
    REQUIRE((n > 0 && !lost));
    Package package;
    const std::string path = package.folder / ("caf" + std::string(e, static_cast<size_t>(n)) + ".exe");
    REQUIRE(CopyFileA(package.launcher.c_str(), path.c_str(), FALSE));
    const Run run = Tool({"check", path, package.settings, "--json"});
    CHECK(run.out.find("caf\xc3\xa9.exe") != std::string::npos);
}

TEST_CASE("stamp refuses what it must not write") {
    Package package;
    const std::string out = package.folder / "setup.exe";
    const Blob launcher = ReadAll(package.launcher);

    // The input is never written, not even under another spelling of its name.
    std::string same = package.launcher;
    for (char& c : same) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    CHECK(Tool({"stamp", package.launcher, "--msvcrt", package.msvcrt, "-o", same}).code == 2);
    CHECK(ReadAll(package.launcher) == launcher);

    const std::string standin = Windows(TARNBOLT_STANDIN_DIR) + "\\msvcrt.dll";
    REQUIRE(Exists(standin));
    Package newer("app.exe", "99.0");
    const struct {
        std::vector<std::string> args;
        const char* why;
    } refusals[] = {
        {{"--msvcrt", standin}, "stand-in"},
        {{"--msvcrt", package.launcher}, "not a DLL"},
        {{"--msvcrt", package.msvcrt, "--settings", newer.settings}, "older than PreferredVersion"},
        {{"--msvcrt", package.folder / "none.dll"}, "cannot be read"},
    };
    for (const auto& r : refusals) {
        CAPTURE(r.why);
        std::vector<std::string> args = {"stamp", package.launcher, "-o", out};
        args.insert(args.end(), r.args.begin(), r.args.end());
        const Run run = Tool(args);
        CHECK(run.code == 2);
        CHECK(run.err.find(r.why) != std::string::npos);
        CHECK_FALSE(Exists(out));
    }
}

TEST_CASE("an output that cannot be written whole leaves nothing behind") {
    TempFolder folder;
    const Blob bytes(100000, 0x5a);
    const std::string path = folder / "out.exe";
    struct Short {
        static size_t Write(const void* data, size_t size, size_t count, std::FILE* file) {
            return std::fwrite(data, size, count / 2, file);  // a full disk half-way
        }
    };
    CHECK_FALSE(WriteVerifiedFile(path, bytes, &Short::Write));
    CHECK_FALSE(Exists(path));
    CHECK_FALSE(Exists(path + ".tbnew"));
    CHECK_FALSE(WriteVerifiedFile(folder / "missing\\out.exe", bytes));

    CHECK(WriteVerifiedFile(path, bytes));
    CHECK(ReadAll(path) == bytes);
    CHECK_FALSE(Exists(path + ".tbnew"));
}
