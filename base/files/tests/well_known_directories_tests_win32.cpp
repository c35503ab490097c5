// The system, temporary and current directories as Wine reports them, and the
// common query steps driven by stand-in queries for the answers Wine never gives.

#include "files/file_spec.h"
#include "files/well_known_directories.h"
#include "files/win32au_file_spec.h"

#include "scoped_environment_win32.h"
#include "temp_folder_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <cstring>
#include <new>
#include <string>

using namespace LumoBase;

namespace {

std::string Text(const PString& s) { return std::string(s); }

class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const char* dir) {
        char old[MAX_PATH + 1];
        DWORD n = GetCurrentDirectoryA(sizeof old, old);
        if (n > 0 && n < sizeof old) old_.assign(old, n);
        changed_ = SetCurrentDirectoryA(dir) != 0;
    }
    ~ScopedCurrentDirectory() {
        if (!old_.empty()) SetCurrentDirectoryA(old_.c_str());
    }
    bool Changed() const { return changed_; }

private:
    std::string old_;
    bool changed_ = false;
};

std::string PlatformTempPath() {
    char buffer[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    return std::string(buffer, n < sizeof buffer ? n : 0);
}

// Stand-in queries. `g_text` is what they report.
const char* g_text = "";
int g_calls = 0;

unsigned long Reporting(char* buffer, unsigned long size) {
    ++g_calls;
    const unsigned long length = std::strlen(g_text);
    if (!buffer || size <= length) return length + 1;
    std::memcpy(buffer, g_text, length + 1);
    return length;
}

unsigned long Failing(char*, unsigned long) {
    ++g_calls;
    return 0;
}

unsigned long FailingSecondCall(char* buffer, unsigned long size) {
    return buffer ? 0 : Reporting(buffer, size);
}

// Grows between the size query and the second call, and writes nothing then.
unsigned long Growing(char* buffer, unsigned long size) {
    return buffer ? size + 5 : Reporting(buffer, size);
}

unsigned long Throwing(char*, unsigned long) { throw std::bad_alloc(); }

}  // namespace

TEST_CASE("the system directory") {
    char expected[MAX_PATH + 1];
    UINT n = GetSystemDirectoryA(expected, sizeof expected);
    REQUIRE(n > 0);

    AFileSpec spec("C:\\unchanged");
    REQUIRE(spec.SetToSystemDirectory());
    CHECK(Text(spec.GetFullPath()) == std::string(expected, n));
    spec += "msvcrt.dll";
    CHECK(Text(spec.GetFullPath()) == std::string(expected, n) + "\\msvcrt.dll");
}

TEST_CASE("the temporary directory is stored without its trailing separator") {
    const std::string reported = PlatformTempPath();
    REQUIRE(reported.size() > 3);
    REQUIRE(reported.back() == '\\');

    AFileSpec spec;
    REQUIRE(spec.SetToTempDirectory());
    CHECK(Text(spec.GetFullPath()) == reported.substr(0, reported.size() - 1));
    spec.AppendComponent("msvcrt.dll");
    CHECK(Text(spec.GetFullPath()) == reported + "msvcrt.dll");

    SUBCASE("a folder of the test's own") {
        TempFolder tmp;
        REQUIRE(!tmp.Path().empty());
        ScopedEnvironment t("TMP", (tmp.Path() + "\\").c_str());
        ScopedEnvironment e("TEMP", (tmp.Path() + "\\").c_str());
        REQUIRE(PlatformTempPath() == tmp.Path() + "\\");
        AFileSpec there;
        REQUIRE(there.SetToTempDirectory());
        CHECK(Text(there.GetFullPath()) == tmp.Path());
    }
    SUBCASE("a temporary directory that does not exist") {
        ScopedEnvironment t("TMP", "C:\\no-such-tarnbolt-dir");
        ScopedEnvironment e("TEMP", "C:\\no-such-tarnbolt-dir");
        REQUIRE(PlatformTempPath() == "C:\\no-such-tarnbolt-dir\\");
        AFileSpec there("C:\\unchanged");
        CHECK_FALSE(there.SetToTempDirectory());
        CHECK(Text(there.GetFullPath()) == "C:\\unchanged");
    }
}

TEST_CASE("the current directory") {
    TempFolder tmp;
    REQUIRE(!tmp.Path().empty());
    WIN32AU_FileSpec spec;
    {
        ScopedCurrentDirectory cd(tmp.Path().c_str());
        REQUIRE(cd.Changed());
        REQUIRE(spec.SetToCurrentDirectory());
        CHECK(Text(spec.GetFullPath()) == tmp.Path());
    }
    {
        ScopedCurrentDirectory cd("C:\\");
        REQUIRE(cd.Changed());
        REQUIRE(spec.SetToCurrentDirectory());
        CHECK(Text(spec.GetFullPath()) == "C:");
    }
}

TEST_CASE("the query steps end with false and leave the answer alone on every failure") {
    TempFolder tmp;
    REQUIRE(!tmp.Path().empty());
    const std::string dir = tmp.MakeDirectory("sub");
    const std::string file = tmp.MakeFile("plain");

    PString out("unchanged");
    g_text = dir.c_str();
    g_calls = 0;
    REQUIRE(QueryExistingDirectory(Reporting, out));
    CHECK(Text(out) == dir);
    CHECK(g_calls == 2);

    const std::string withSlashes = tmp.Path() + "/sub/";
    g_text = withSlashes.c_str();
    REQUIRE(QueryExistingDirectory(Reporting, out));
    CHECK(Text(out) == dir);

    out = PString("unchanged");
    g_calls = 0;
    CHECK_FALSE(QueryExistingDirectory(Failing, out));
    CHECK(g_calls == 1);  // no second call after a failed size query
    g_text = dir.c_str();
    CHECK_FALSE(QueryExistingDirectory(FailingSecondCall, out));
    CHECK_FALSE(QueryExistingDirectory(Growing, out));
    CHECK_FALSE(QueryExistingDirectory(Throwing, out));
    g_text = file.c_str();
    CHECK_FALSE(QueryExistingDirectory(Reporting, out));
    g_text = "C:\\no-such-tarnbolt-dir";
    CHECK_FALSE(QueryExistingDirectory(Reporting, out));
    g_text = "";
    CHECK_FALSE(QueryExistingDirectory(Reporting, out));
    CHECK(Text(out) == "unchanged");
}
