// Module information as a Win32 process gets it: the test libraries are loaded and
// their version resources read by the platform. Their string tables (CMakeLists.txt):
//   unicode         040904b0 "1.2.1200.0 café"
//   western         040904e4 "1.2.1252.0"
//   both            040904e4 "3.0.1252.1", 040904b0 "3.0.1200.1"
//   german          040704e4 "4.0.407 Bäcker"
//   german_western  040904e4 "5.0.1252.0", 040704e4 "5.0.407.0"
//   german_unicode  040704e4 "6.0.407.0",  040904b0 "6.0.1200.0"
//   none            no version resource

#include "modules/module_info.h"
#include "modules/version_keys.h"
#include "modules/win32au_module_info.h"

#include "module_test_support_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

using namespace LumoBase;
using namespace module_tests;

namespace {

const char kProgram[] = "module_info_tests.exe";

class Loaded {
public:
    explicit Loaded(const char* which) : module_(LoadLibraryA(LibraryPath(which).c_str())) {
        REQUIRE(module_ != nullptr);
    }
    ~Loaded() { FreeLibrary(module_); }
    HMODULE Module() const { return module_; }

private:
    HMODULE module_;
};

// The answer and the out text, which starts as "stale".
std::string Narrow(const char* which) {
    PString version("stale");
    const bool found = AModuleInfo().QueryFileVersion(PString(LibraryPath(which)), version);
    return (found ? "found " : "failed ") + version;
}

std::wstring Wide(const char* which) {
    UString version = Latin1("stale");
    const bool found = AModuleInfo().QueryFileVersion(Latin1(LibraryPath(which)), version);
    return (found ? L"found " : L"failed ") + AsWide(version);
}

}  // namespace

TEST_CASE("this run has the user locale it was started with") {
    CHECK(GetACP() == 1252);
    if (const char* expected = std::getenv("TARNBOLT_EXPECTED_USER_TABLE")) {
        CHECK(FileVersionKey(GetUserDefaultLangID(), static_cast<uint16_t>(GetACP())) ==
              PString(std::string("\\StringFileInfo\\") + expected + "\\FileVersion"));
    }
}

TEST_CASE("the current module is the running program") {
    AModuleInfo info;
    REQUIRE(info.IsValid());
    PString name("stale");
    REQUIRE(info.CurrentFileName(name));
    CHECK(name.substr(1, 2) == ":\\");
    CHECK(EndsWithNoCase(name, std::string("\\") + kProgram));
    CHECK(GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES);
    UString wide;
    REQUIRE(info.CurrentFileName(wide));
    CHECK(wide == Latin1(name));

    AModuleHandle current, byName;
    REQUIRE(info.CurrentModule(current));
    REQUIRE(info.FindModule(Latin1(kProgram), byName));
    CHECK(ValueOf(current) != nullptr);
    CHECK(current.GetImplementation()->Equals(*byName.GetImplementation()));

    // The program carries no version resource.
    PString version("stale");
    CHECK_FALSE(info.CurrentVersion(version));
    CHECK(version.empty());
}

TEST_CASE("a library that is not loaded is not found, and stays unloaded") {
    const std::string name = LibraryName("none");
    REQUIRE(GetFileAttributesA(LibraryPath("none").c_str()) != INVALID_FILE_ATTRIBUTES);
    REQUIRE(GetModuleHandleA(name.c_str()) == nullptr);
    AModuleInfo info;
    AModuleHandle handle;
    REQUIRE(info.CurrentModule(handle));
    CHECK_FALSE(info.FindModule(PString(name), handle));
    CHECK(ValueOf(handle) == nullptr);  // reset, not left holding the program
    CHECK_FALSE(info.FindModule(Latin1(LibraryPath("none")), handle));
    CHECK(GetModuleHandleA(name.c_str()) == nullptr);
}

TEST_CASE("a loaded library is found; handles compare and leave it loaded") {
    Loaded library("unicode");
    const std::string name = LibraryName("unicode");
    AModuleInfo info;
    AModuleHandle* first = new AModuleHandle;
    AModuleHandle second, program;
    REQUIRE(info.FindModule(PString(name), *first));
    REQUIRE(info.FindModule(Latin1(name), second));
    REQUIRE(info.CurrentModule(program));
    CHECK(ValueOf(*first) == library.Module());
    CHECK(first->GetImplementation()->Equals(*second.GetImplementation()));
    CHECK_FALSE(first->GetImplementation()->Equals(*program.GetImplementation()));

    PString fileName;
    REQUIRE(info.QueryModuleFileName(second, fileName));
    CHECK(lstrcmpiA(fileName.c_str(), LibraryPath("unicode").c_str()) == 0);
    delete first;
    CHECK(GetModuleHandleA(name.c_str()) == library.Module());
}

TEST_CASE("the narrow version query tries 040904b0, then 040904e4, nothing else") {
    CHECK(Narrow("unicode") == "found 1.2.1200.0 caf\xe9");
    CHECK(Narrow("western") == "found 1.2.1252.0");
    CHECK(Narrow("both") == "found 3.0.1200.1");
    CHECK(Narrow("german_western") == "found 5.0.1252.0");
    CHECK(Narrow("german_unicode") == "found 6.0.1200.0");
    // Failures empty the out text, whatever the user's locale.
    CHECK(Narrow("german") == "failed ");
    CHECK(Narrow("none") == "failed ");
    CHECK(Narrow("missing") == "failed ");
}

TEST_CASE("the wide version query tries the user's table between the two") {
    CHECK(Wide("unicode") == L"found 1.2.1200.0 caf\u00e9");
    CHECK(Wide("both") == L"found 3.0.1200.1");
    CHECK(Wide("german_unicode") == L"found 6.0.1200.0");
    if (GetUserDefaultLangID() == 0x0407 && GetACP() == 1252) {
        CHECK(Wide("german") == L"found 4.0.407 B\u00e4cker");
        CHECK(Wide("german_western") == L"found 5.0.407.0");
    } else {
        CHECK(Wide("german") == L"failed stale");  // failures leave the out text alone
        CHECK(Wide("german_western") == L"found 5.0.1252.0");
    }
    CHECK(Wide("none") == L"failed stale");
}

TEST_CASE("a module's version is its file's") {
    AModuleInfo info;
    Loaded both("both"), none("none");
    AModuleHandle withVersion, without;
    REQUIRE(info.FindModule(PString(LibraryName("both")), withVersion));
    REQUIRE(info.FindModule(PString(LibraryName("none")), without));
    PString version;
    UString wide;
    REQUIRE(info.QueryModuleVersion(withVersion, version));
    REQUIRE(info.QueryModuleVersion(withVersion, wide));
    CHECK(version == PString("3.0.1200.1"));
    CHECK(AsWide(wide) == L"3.0.1200.1");
    CHECK_FALSE(info.QueryModuleVersion(without, version));
    CHECK(version.empty());
    CHECK_FALSE(info.QueryModuleVersion(without, wide));
    CHECK(AsWide(wide) == L"3.0.1200.1");
}

TEST_CASE("wide names and paths go through the ANSI code page") {
    TempFolder folder;
    const std::wstring copied =
        folder.CopyInto(folder.Path(), LibraryPath("unicode"), L"tarnbolt_ver_caf\u00e9.dll");
    REQUIRE(GetFileAttributesW(copied.c_str()) != INVALID_FILE_ATTRIBUTES);
    AModuleInfo info;
    UString version;
    REQUIRE(info.QueryFileVersion(UString(reinterpret_cast<const unsigned short*>(copied.c_str())),
                                  version));
    CHECK(AsWide(version) == L"1.2.1200.0 caf\u00e9");

    HMODULE module = LoadLibraryW(copied.c_str());
    REQUIRE(module != nullptr);
    AModuleHandle handle;
    CHECK(info.FindModule(Latin1("tarnbolt_ver_caf\xe9.dll"), handle));
    CHECK(ValueOf(handle) == module);
    UString fileName;
    CHECK(info.QueryModuleFileName(handle, fileName));
    CHECK(lstrcmpiW(AsWide(fileName).c_str(), copied.c_str()) == 0);
    FreeLibrary(module);
}

TEST_CASE("a module file name too long for the buffer fails instead of being cut") {
    TempFolder folder;
    std::wstring directory = folder.Path();
    while (directory.size() < 300) directory = folder.MakeDirectory(directory, std::wstring(60, L'd'));
    const std::wstring copied =
        folder.CopyInto(directory, LibraryPath("unicode"), L"tarnbolt_ver_deep.dll");
    HMODULE module = LoadLibraryW(copied.c_str());
    REQUIRE(module != nullptr);

    AModuleInfo info;
    AModuleHandle handle;
    REQUIRE(info.FindModule(PString("tarnbolt_ver_deep.dll"), handle));
    PString fileName("stale"), version("stale");
    CHECK_FALSE(info.QueryModuleFileName(handle, fileName));
    CHECK(fileName.empty());
    CHECK_FALSE(info.QueryModuleVersion(handle, version));
    CHECK(version.empty());
    FreeLibrary(module);
}

TEST_CASE("a handle of another implementation is refused") {
    class OtherHandle : public ModuleHandle {} other;
    PString fileName("stale");
    CHECK_FALSE(WIN32AU_ModuleInfo().QueryModuleFileName(&other, fileName));
    CHECK(fileName.empty());
}
