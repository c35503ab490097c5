// USER32, ole32, ADVAPI32 and ntdll bound at run time: taken from the system directory, and
// nothing (so a failed call) where the library or the function is missing.

#include "system/system_library.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>

using namespace LumoBase;

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The file of the module that holds `address`.
std::string ModuleFileOf(FARPROC address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(address), &module))
        return std::string();
    char name[MAX_PATH + 1] = {};
    GetModuleFileNameA(module, name, MAX_PATH);
    return Lower(name);
}

bool Found(const char* library, const char* function) {
    return SystemLibraryFunction(library, function) != nullptr;
}

}  // namespace

TEST_CASE("bound functions come from the system directory; a missing one is none") {
    char system[MAX_PATH + 1] = {};
    REQUIRE(GetSystemDirectoryA(system, MAX_PATH) != 0);
    const struct {
        const char* library;
        const char* function;
    } bound[] = {{"user32.dll", "MessageBoxA"},
                 {"ole32.dll", "CoInitialize"},
                 {"advapi32.dll", "RegOpenKeyExA"},
                 {"ntdll.dll", "NtQueryInformationToken"}};
    for (const auto& b : bound) {
        REQUIRE(Found(b.library, b.function));
        CHECK(ModuleFileOf(SystemLibraryFunction(b.library, b.function)) ==
              Lower(std::string(system) + "\\" + b.library));
        CHECK_FALSE(Found(b.library, "TarnboltNoSuchFunction"));
    }
    CHECK_FALSE(Found("tarnbolt_no_such_library.dll", "MessageBoxA"));
    CHECK_FALSE(Found(std::string(400, 'a').c_str(), "MessageBoxA"));
}
