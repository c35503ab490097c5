// The packager's tool on Linux: paths in the launcher's form, names found without
// regard to case, the settings read by the portable reader, stamp's one-step write.

#include "tool.h"
#include "tool_platform.h"

#include <doctest/doctest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace Tarnbolt;

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A folder of its own below /tmp, removed at the end.
struct Folder {
    std::string path;
    Folder() {
        char name[] = "/tmp/tarnbolt-tool-XXXXXX";
        path = mkdtemp(name);
    }
    ~Folder() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

std::string Windows(const std::string& unix) {
    std::string path = "Z:" + unix;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

const std::string kImages = TARNBOLT_IMAGES;

struct Run {
    int code;
    std::string out, err;
};

Run Tool(const std::vector<std::string>& args) {
    Run run;
    run.code = ToolMain(args, run.out, run.err);
    return run;
}

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

}  // namespace

TEST_CASE("paths: the launcher's form, names found without regard to case") {
    Folder folder;
    mkdir((folder / "Dist").c_str(), 0755);
    Write(folder / "Dist/Setup.INI", "x");
    const struct {
        std::string given, full, native;
    } cases[] = {
        {folder / "Dist/setup.ini", Windows(folder / "Dist/setup.ini"), folder / "Dist/Setup.INI"},
        {folder / "dist//./x/../SETUP.ini", Windows(folder / "dist/SETUP.ini"), folder / "Dist/Setup.INI"},
        {folder / "dist/new.exe", Windows(folder / "dist/new.exe"), folder / "Dist/new.exe"},
        {Windows(folder / "DIST\\setup.ini"), Windows(folder / "DIST/setup.ini"), folder / "Dist/Setup.INI"},
        {"/", "Z:\\", "/"},
        {"/..", "Z:\\", "/"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.given);
        CHECK(ToolPlatform::FullPath(c.given) == c.full);
        CHECK(ToolPlatform::NativePath(ToolPlatform::FullPath(c.given)) == c.native);
    }
    char cwd[4096];
    REQUIRE(getcwd(cwd, sizeof cwd));
    CHECK(ToolPlatform::FullPath("a/../b.exe") == Windows(std::string(cwd) + "/b.exe"));
    CHECK(ToolPlatform::IsFile(Windows(folder / "DIST/SETUP.INI")));
    CHECK_FALSE(ToolPlatform::IsFile(Windows(folder / "DIST")));
}

TEST_CASE("check on Linux: the settings and the program found as Windows finds them") {
    Folder folder;
    mkdir((folder / "Pkg").c_str(), 0755);
    mkdir((folder / "Pkg/Bin").c_str(), 0755);
    Write(folder / "Pkg/setup.exe", Read(kImages + "/pe32"));
    Write(folder / "Pkg/Bin/App.exe", "MZ");
    const std::string settings = "[General]\r\nRun=bin\\app.exe -q\r\nCaption=Caf\xE9\r\n";
    Write(folder / "Pkg/SETUP.ini", settings);

    const Run text = Tool({"check", folder / "pkg/Setup.exe"});
    CHECK(text.out.find("settings: " + Windows(folder / "pkg/Setup.ini") + "\n") != std::string::npos);
    CHECK(text.out.find("run-missing") == std::string::npos);
    CHECK(text.out.find("error: settings-missing") == std::string::npos);
    CHECK(text.code == 2);  // the image has no runtime to install

    // The JSON is UTF-8: the path as it is, the code-page byte of the settings converted.
    mkdir((folder / "Pkg/\xC3\xA9t\xC3\xA9").c_str(), 0755);
    Write(folder / "Pkg/\xC3\xA9t\xC3\xA9/setup.exe", Read(kImages + "/pe32"));
    Write(folder / "Pkg/\xC3\xA9t\xC3\xA9/setup.ini", settings);
    const Run json = Tool({"check", folder / "Pkg/\xC3\xA9t\xC3\xA9/setup.exe", "--json"});
    CHECK(json.out.find("\\\\Pkg\\\\\xC3\xA9t\xC3\xA9\\\\setup.exe\"") != std::string::npos);
    CHECK(json.out.find("Caf\xC3\xA9") == std::string::npos);  // Caption is not named unless empty
    CHECK(ToolPlatform::Utf8FromAnsi("Caf\xE9 \xC3\xA9 \x80\xC3") == "Caf\xC3\xA9 \xC3\xA9 \xE2\x82\xAC\xC3\x83");

    // A UTF-16 settings file, read as the platform reads it.
    Write(folder / "Pkg/setup.ini", std::string("\xFF\xFE[\0G\0e\0n\0e\0r\0a\0l\0]\0\n\0R\0u\0n\0=\0", 30));
    std::remove((folder / "Pkg/SETUP.ini").c_str());
    CHECK(Tool({"check", folder / "Pkg/setup.exe"}).out.find("error: run-empty") != std::string::npos);
}

TEST_CASE("stamp on Linux: never the launcher itself, a whole file or none") {
    Folder folder;
    const std::string launcher = folder / "launcher.exe";
    Write(launcher, Read(kImages + "/pe32plus_no_resources"));
    Write(folder / "msvcrt.dll", Read(kImages + "/pe32plus"));
    symlink("launcher.exe", (folder / "link.exe").c_str());
    const std::string before = Read(launcher);
    SUBCASE("the same file by another case or through a link is refused") {
        for (const char* output : {"LAUNCHER.EXE", "link.exe", "./launcher.exe"}) {
            CAPTURE(output);
            const Run run = Tool({"stamp", launcher, "--msvcrt", folder / "msvcrt.dll", "--arch",
                                  "x86-64", "-o", folder / output});
            CHECK(run.code == 2);
            CHECK(run.err.find("the output must not be the launcher") != std::string::npos);
            CHECK(Read(launcher) == before);
        }
    }
    SUBCASE("a stamped copy takes the output's place whole") {
        Write(folder / "out.exe", "old");
        const Run run = Tool({"stamp", launcher, "--msvcrt", folder / "msvcrt.dll", "--arch", "x86-64",
                              "-o", folder / "OUT.exe"});
        CHECK(run.out.find("stamped " + Windows(folder / "OUT.exe")) == 0);
        CHECK(Read(folder / "out.exe").size() > before.size());
        CHECK(Read(launcher) == before);
        struct stat info;
        CHECK(stat((folder / "out.exe.tbnew").c_str(), &info) != 0);
        CHECK(stat((folder / "OUT.exe").c_str(), &info) != 0);  // the file there was replaced
    }
    SUBCASE("a write that fails leaves nothing behind") {
        const auto failing = [](const void*, size_t, size_t, std::FILE*) -> size_t { return 0; };
        CHECK_FALSE(WriteVerifiedFile(Windows(folder / "new.exe"), {1, 2, 3}, failing));
        struct stat info;
        CHECK(stat((folder / "new.exe").c_str(), &info) != 0);
        CHECK(stat((folder / "new.exe.tbnew").c_str(), &info) != 0);
        CHECK(WriteVerifiedFile(Windows(folder / "new.exe"), {1, 2, 3}));
        CHECK(Read(folder / "new.exe") == std::string("\1\2\3"));
    }
}

TEST_CASE("stamp never writes an input, however the output names it") {
    Folder folder;
    mkdir((folder / "Lib").c_str(), 0755);
    const std::string launcher = folder / "launcher.exe", library = folder / "Lib/msvcrt.dll";
    Write(launcher, Read(kImages + "/pe32plus_no_resources"));
    Write(library, Read(kImages + "/pe32plus"));
    Write(folder / "setup.ini", "[General]\r\nRun=app.exe\r\n");
    link(library.c_str(), (folder / "hard.dll").c_str());
    symlink("setup.ini", (folder / "settings.lnk").c_str());
    const std::string files[] = {Read(launcher), Read(library), Read(folder / "setup.ini")};
    const struct {
        const char* output;
        const char* what;
    } cases[] = {{"lib/MSVCRT.DLL", "the library given as --msvcrt"},
                 {"hard.dll", "the library given as --msvcrt"},
                 {"./Lib/../setup.INI", "the settings file"},
                 {"settings.lnk", "the settings file"}};
    for (const auto& c : cases) {
        CAPTURE(c.output);
        const Run run = Tool({"stamp", launcher, "--msvcrt", library, "--arch", "x86-64", "--settings",
                              folder / "setup.ini", "-o", folder / c.output});
        CHECK(run.code == 2);
        CHECK(run.err.find(std::string("the output must not be ") + c.what) != std::string::npos);
        CHECK(Read(launcher) == files[0]);
        CHECK(Read(library) == files[1]);
        CHECK(Read(folder / "setup.ini") == files[2]);
        CHECK_FALSE(Exists(folder / (std::string(c.output) + ".tbnew")));
    }
}

TEST_CASE("stamp: the side file is a new one, the same inputs give the same bytes") {
    Folder folder;
    const std::string launcher = folder / "launcher.exe";
    Write(launcher, Read(kImages + "/pe32plus_no_resources"));
    Write(folder / "msvcrt.dll", Read(kImages + "/pe32plus"));
    const auto stamp = [&](const std::string& output, const std::string& library = "msvcrt.dll") {
        return Tool({"stamp", launcher, "--msvcrt", folder / library, "--arch", "x86-64", "-o", folder / output});
    };
    // Someone's file where the side file would go, and the library under the next name.
    Write(folder / "a.exe.tbnew", "mine");
    Write(folder / "a.exe.TBNEW2", Read(kImages + "/pe32plus"));
    CHECK(stamp("a.exe", "a.exe.tbnew2").out.find("stamped ") == 0);
    CHECK(Read(folder / "a.exe.tbnew") == "mine");
    CHECK(Read(folder / "a.exe.TBNEW2") == Read(kImages + "/pe32plus"));
    CHECK_FALSE(Exists(folder / "a.exe.tbnew3"));

    stamp("b.exe");
    CHECK(Read(folder / "b.exe") == Read(folder / "a.exe"));
}

TEST_CASE("check on Linux: a UTF-8 byte-order mark, Run's bytes in the launcher's code page") {
    Folder folder;
    Write(folder / "setup.exe", Read(kImages + "/pe32"));
    Write(folder / "Caf\xC3\xA9.exe", "MZ");
    Write(folder / "\xE8\xA1\xA8.exe", "MZ");  // U+8868, 0x95 0x5C in code page 932
    const auto codes = [&](const std::string& settings, std::vector<std::string> more = {}) {
        Write(folder / "setup.ini", settings);
        std::vector<std::string> args = {"check", folder / "setup.exe"};
        args.insert(args.end(), more.begin(), more.end());
        return Tool(args).out;
    };
    CHECK(codes("\xEF\xBB\xBF[General]\r\nRun=Caf\xE9.exe\r\n").find("error: settings-bom: ") != std::string::npos);
    const std::string plain = codes("[General]\r\nRun=Caf\xE9.exe\r\n");
    CHECK(plain.find("settings-bom") == std::string::npos);
    CHECK(plain.find("run-missing") == std::string::npos);
    CHECK(codes("[General]\r\nRun=Caf\xC3\xA9.exe\r\n").find("run-missing") != std::string::npos);
    CHECK(codes("[General]\r\nRun=\"Caf\xE9.exe. \" -q\r\n").find("run-missing") == std::string::npos);
    CHECK(codes("[General]\r\nRun=\x95\x5C.exe\r\n", {"--codepage", "932"}).find("run-missing") == std::string::npos);
    CHECK(codes("[General]\r\nRun=\x95\x5C.exe\r\n").find("run-missing") != std::string::npos);
    CHECK(codes(std::string("\xFF\xFE[\0G\0]\0", 8)).find("error: settings-utf16: ") != std::string::npos);
}
