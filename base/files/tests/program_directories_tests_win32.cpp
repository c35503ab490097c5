// The program directory and the writable temporary directory as Wine gives them,
// and the steps of the writable-directory search driven by stand-in sources for
// what Wine never does: a Windows directory elsewhere, and a clock that stands
// still so that every probe name can be taken beforehand (running as root under
// Wine, a read-only folder would not stop the probe).

#include "files/file_spec.h"
#include "files/program_directories.h"
#include "files/program_directory_operations.h"
#include "files/win32au_file_spec.h"

#include "scoped_environment_win32.h"
#include "temp_folder_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace LumoBase;

namespace {

std::string Text(const PString& s) { return std::string(s); }

// TMP and TEMP both pointed at dir.
struct ScopedTempDirectory {
    explicit ScopedTempDirectory(const std::string& dir)
        : tmp("TMP", dir.c_str()), temp("TEMP", dir.c_str()) {}
    ScopedEnvironment tmp, temp;
};

// The names in dir matching pattern, sorted.
std::vector<std::string> Listing(const std::string& dir, const char* pattern = "*") {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "\\" + pattern).c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") names.push_back(name);
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string WindowsDirectory() {
    char buffer[MAX_PATH + 1];
    UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
    return std::string(buffer, n < sizeof buffer ? n : 0);
}

// Stand-in sources. The Windows directory is g_windows (or a failing query); the
// thread is always 7 and the ticks run through g_ticks, staying on the last one.
const char* g_windows = "";
std::string g_executable;
std::vector<unsigned long> g_ticks;
unsigned g_tickCalls = 0;

unsigned long ReportingWindows(char* buffer, unsigned long size) {
    const unsigned long length = std::strlen(g_windows);
    if (!buffer || size <= length) return length + 1;
    std::memcpy(buffer, g_windows, length + 1);
    return length;
}

unsigned long FailingWindows(char*, unsigned long) { return 0; }

// Answers a length but writes a text that ends at once.
unsigned long EmptyTextWindows(char* buffer, unsigned long size) {
    if (!buffer || size < 3) return 3;
    std::memset(buffer, 0, size);
    return 2;
}

bool ReportingExecutable(PString& path) {
    path = PString(g_executable.c_str());
    return true;
}

bool FailingExecutable(PString&) { return false; }

unsigned long FixedThread() { return 7; }

unsigned long SteppingTicks() {
    const unsigned i = g_tickCalls++;
    return g_ticks[std::min<size_t>(i, g_ticks.size() - 1)];
}

DirectorySources StandIn(DirectoryQuery windows = ReportingWindows) {
    DirectorySources s = PlatformDirectorySources();
    s.windowsDirectory = windows;
    s.threadId = FixedThread;
    s.tickCount = SteppingTicks;
    g_ticks.assign(1, 100);
    g_tickCalls = 0;
    return s;
}

std::string ProbeName(unsigned long ticks) { return Text(ProbeFileName(7, ticks)); }

}  // namespace

TEST_CASE("the program directory is the running test's own") {
    char module[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
    REQUIRE(n > 0);
    const std::string exe(module, n);
    const std::string expected = exe.substr(0, exe.rfind('\\'));

    WIN32AU_FileSpec spec;
    spec.SetFullPath("C:\\unchanged");
    REQUIRE(spec.SetToProgramDirectory());
    CHECK(Text(spec.GetFullPath()) == expected);
    CHECK_FALSE(spec.EndsWithSeparator());
}

TEST_CASE("the program directory from a given executable path") {
    TempFolder tmp;
    REQUIRE(!tmp.Path().empty());
    tmp.MakeDirectory("App");
    tmp.MakeFile("App\\setup.exe");
    DirectorySources sources = StandIn();
    sources.executablePath = ReportingExecutable;

    WIN32AU_FileSpec spec;
    spec.SetFullPath("C:\\unchanged");
    g_executable = tmp / "App\\setup.exe";
    REQUIRE(SetToProgramDirectory(spec, sources));
    CHECK(Text(spec.GetFullPath()) == tmp / "App");

    spec.SetFullPath("C:\\unchanged");
    g_executable = tmp / "App\\gone.exe";
    CHECK_FALSE(SetToProgramDirectory(spec, sources));
    CHECK(Text(spec.GetFullPath()) == "C:\\unchanged");

    sources.executablePath = FailingExecutable;
    CHECK_FALSE(SetToProgramDirectory(spec, sources));
    CHECK(Text(spec.GetFullPath()) == "C:\\unchanged");
}

TEST_CASE("the writable temporary directory as the platform gives it") {
    TempFolder tmp;
    REQUIRE(!tmp.Path().empty());
    const std::string windowsTemp = WindowsDirectory() + "\\Temp";
    const std::vector<std::string> probesBefore = Listing(windowsTemp, "tlumo_*");

    SUBCASE("a writable temporary-files directory is taken, and no probe stays behind") {
        tmp.MakeDirectory("t");
        ScopedTempDirectory env(tmp / "t\\");
        WIN32AU_FileSpec spec;
        REQUIRE(spec.SetToWritableTempDirectory());
        CHECK(Text(spec.GetFullPath()) == tmp / "t");
        CHECK(Listing(tmp / "t").empty());
    }
    SUBCASE("a temporary-files directory that does not exist falls back to Windows\\Temp") {
        ScopedTempDirectory env(tmp / "missing");
        WIN32AU_FileSpec spec;
        spec.SetFullPath("C:\\unchanged");
        REQUIRE(spec.SetToWritableTempDirectory());
        CHECK(Text(spec.GetFullPath()) == windowsTemp);
        CHECK(Listing(windowsTemp, "tlumo_*") == probesBefore);
    }
}

TEST_CASE("the Windows directory's Temp") {
    TempFolder tmp;
    REQUIRE(!tmp.Path().empty());
    WIN32AU_FileSpec spec;

    SUBCASE("the platform's") {
        REQUIRE(SetToWindowsTempDirectory(spec, PlatformDirectorySources()));
        CHECK(Text(spec.GetFullPath()) == WindowsDirectory() + "\\Temp");
    }
    SUBCASE("taken as reported, slashes included") {
        tmp.MakeDirectory("win");
        tmp.MakeDirectory("win\\Temp");
        const std::string reported = tmp.Path() + "/win";
        g_windows = reported.c_str();
        REQUIRE(SetToWindowsTempDirectory(spec, StandIn()));
        CHECK(Text(spec.GetFullPath()) == reported + "\\Temp");
    }
    SUBCASE("a failed query leaves the path alone") {
        spec.SetFullPath("C:\\unchanged");
        CHECK_FALSE(SetToWindowsTempDirectory(spec, StandIn(FailingWindows)));
        CHECK(Text(spec.GetFullPath()) == "C:\\unchanged");
    }
    SUBCASE("no usable Temp empties the path") {
        tmp.MakeDirectory("bare");
        tmp.MakeDirectory("filed");
        tmp.MakeFile("filed\\Temp");
        const std::string bare = tmp / "bare", filed = tmp / "filed",
                          missing = tmp / "missing";
        for (const std::string* windows : {&bare, &filed, &missing}) {
            CAPTURE(*windows);
            g_windows = windows->c_str();
            spec.SetFullPath("C:\\unchanged");
            CHECK_FALSE(SetToWindowsTempDirectory(spec, StandIn()));
            CHECK(Text(spec.GetFullPath()).empty());
        }
        spec.SetFullPath("C:\\unchanged");
        CHECK_FALSE(SetToWindowsTempDirectory(spec, StandIn(EmptyTextWindows)));
        CHECK(Text(spec.GetFullPath()).empty());
    }
}

TEST_CASE("the probe") {
    TempFolder tmp;
    REQUIRE(!tmp.Path().empty());
    WIN32AU_FileSpec spec;
    spec.SetFullPath(tmp.Path().c_str());
    DirectorySources sources = StandIn();

    SUBCASE("makes and removes one file, and leaves the path alone") {
        tmp.MakeFile("other.txt");
        REQUIRE(ProbeWritable(spec, sources));
        CHECK(g_tickCalls == 1);
        CHECK(Listing(tmp.Path()) == std::vector<std::string>{"other.txt"});
        CHECK(Text(spec.GetFullPath()) == tmp.Path());

        spec.SetFullPath((tmp.Path() + "\\").c_str());
        CHECK(ProbeWritable(spec, sources));
        CHECK(Text(spec.GetFullPath()) == tmp.Path() + "\\");
    }
    SUBCASE("passes over names that are taken and leaves them alone") {
        g_ticks = {100, 101, 102};
        tmp.MakeFile(ProbeName(100), "kept");
        tmp.MakeFile(ProbeName(101), "kept");
        REQUIRE(ProbeWritable(spec, sources));
        CHECK(g_tickCalls == 3);
        CHECK(Listing(tmp.Path()) == std::vector<std::string>{ProbeName(100), ProbeName(101)});
    }
    SUBCASE("gives up after twenty taken names without creating anything") {
        tmp.MakeFile(ProbeName(100));
        CHECK_FALSE(ProbeWritable(spec, sources));
        CHECK(g_tickCalls == 20);
        CHECK(Listing(tmp.Path()) == std::vector<std::string>{ProbeName(100)});
    }
    SUBCASE("a directory that does not exist is not writable") {
        spec.SetFullPath((tmp / "missing").c_str());
        CHECK_FALSE(ProbeWritable(spec, sources));
    }
}

TEST_CASE("what the writable temporary directory leaves in the path when it fails") {
    TempFolder tmp;
    REQUIRE(!tmp.Path().empty());
    tmp.MakeDirectory("t");
    tmp.MakeDirectory("win");
    tmp.MakeDirectory("win\\Temp");
    // Every probe name taken in the temporary-files directory: not writable.
    tmp.MakeFile("t\\" + ProbeName(100));
    const std::string windows = tmp / "win";
    g_windows = windows.c_str();
    WIN32AU_FileSpec spec;
    spec.SetFullPath("C:\\unchanged");

    SUBCASE("the Windows directory's Temp is writable") {
        ScopedTempDirectory env(tmp / "t");
        REQUIRE(SetToWritableTempDirectory(spec, StandIn()));
        CHECK(Text(spec.GetFullPath()) == windows + "\\Temp");
        CHECK(Listing(windows + "\\Temp").empty());
    }
    SUBCASE("the Windows directory cannot be queried: the temporary directory") {
        ScopedTempDirectory env(tmp / "t");
        CHECK_FALSE(SetToWritableTempDirectory(spec, StandIn(FailingWindows)));
        CHECK(Text(spec.GetFullPath()) == tmp / "t");
    }
    SUBCASE("the Windows directory's Temp is not writable either: that Temp") {
        tmp.MakeFile("win\\Temp\\" + ProbeName(100));
        ScopedTempDirectory env(tmp / "t");
        CHECK_FALSE(SetToWritableTempDirectory(spec, StandIn()));
        CHECK(Text(spec.GetFullPath()) == windows + "\\Temp");
    }
    SUBCASE("neither directory exists: the empty path") {
        ScopedTempDirectory env(tmp / "missing");
        const std::string bare = tmp / "t";  // a Windows directory without Temp
        g_windows = bare.c_str();
        CHECK_FALSE(SetToWritableTempDirectory(spec, StandIn()));
        CHECK(Text(spec.GetFullPath()).empty());
    }
    SUBCASE("no directory found at all: unchanged") {
        ScopedTempDirectory env(tmp / "missing");
        CHECK_FALSE(SetToWritableTempDirectory(spec, StandIn(FailingWindows)));
        CHECK(Text(spec.GetFullPath()) == "C:\\unchanged");
    }
}
