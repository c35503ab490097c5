// The launcher's platform operations under Wine. This test program carries the
// same payload resources as the launcher.

#include "image_version.h"
#include "launcher.h"
#include "modules/version_library.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using Tarnbolt::Launcher;

#ifndef TARNBOLT_PAYLOAD_DIR
#error "TARNBOLT_PAYLOAD_DIR names the folder of the embedded libraries"
#endif

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Payload(const char* name) {
    // The build folder is reached through Wine's Z: drive.
    std::string unix = std::string(TARNBOLT_PAYLOAD_DIR) + "/" + name;
    std::string windows = "Z:" + unix;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

std::string Env(const char* name) {
    char buffer[1024] = "";
    DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return n < sizeof buffer ? std::string(buffer, n) : std::string();
}

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

}  // namespace

TEST_CASE("module paths") {
    Launcher launcher;
    char self[1024];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    REQUIRE(n > 0);
    std::string path(self, n);
    CHECK(launcher.ModuleDirectory(Self()) == path.substr(0, path.rfind('\\')));
    CHECK(launcher.SettingsBasePath(Self()) == path.substr(0, path.rfind('.')));
    // A handle that names no module: the literal fallback and an empty directory.
    HINSTANCE bogus = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(0x10));
    CHECK(launcher.SettingsBasePath(bogus) == "Tarnbolt");
    CHECK(launcher.ModuleDirectory(bogus) == "");
}

TEST_CASE("system, temporary and Windows paths") {
    Launcher launcher;
    char system[MAX_PATH], windows[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    GetWindowsDirectoryA(windows, MAX_PATH);
    CHECK(launcher.SystemFilePath("msvcrt.dll") == std::string(system) + "\\msvcrt.dll");
    CHECK(launcher.WindowsFilePath("WININIT.INI") == std::string(windows) + "\\WININIT.INI");

    char temp[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, temp);
    REQUIRE(n > 1);
    std::string tempDir(temp, n);
    if (tempDir.back() == '\\') tempDir.pop_back();
    CHECK(launcher.TempFilePath("msvcrt.dll") == tempDir + "\\msvcrt.dll");
}

// Wine answers a version query for a file named like one of its own libraries with
// its own library's version, so the payload is read under other names.
std::string CopyUnderOtherName(const char* name) {
    std::string copy = Env("TEMP") + "\\payload-" + name + ".bin";
    REQUIRE(CopyFileA(Payload(name).c_str(), copy.c_str(), FALSE));
    return copy;
}

TEST_CASE("fixed file versions") {
    Launcher launcher;
    uint32_t high = 1, low = 2;
    REQUIRE(launcher.ReadFileVersion(CopyUnderOtherName("msvcrt.dll"), high, low));
    CHECK(high == ((6u << 16) | 1u));
    CHECK(low == ((8637u << 16) | 0u));
    REQUIRE(launcher.ReadFileVersion(CopyUnderOtherName("comctl32.dll"), high, low));
    CHECK(high == ((4u << 16) | 72u));
    CHECK(low == ((2106u << 16) | 4u));

    // The string table says 6.10 but the fixed version is 6.1: 6.10 is not met.
    uint32_t ph, pl;
    Launcher::ParseVersion("6.10.8637.0", ph, pl);
    REQUIRE(launcher.ReadFileVersion(CopyUnderOtherName("msvcirt.dll"), high, low));
    CHECK_FALSE(Launcher::IsVersionAtLeast(ph, pl, high, low));

    high = low = 7;
    CHECK_FALSE(launcher.ReadFileVersion("C:\\no\\such\\file.dll", high, low));
    // A file without a version resource.
    char self[1024];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string plain = Env("TEMP") + "\\plain.txt";
    FILE* f = std::fopen(plain.c_str(), "wb");
    REQUIRE(f);
    std::fputs("not a library", f);
    std::fclose(f);
    CHECK_FALSE(launcher.ReadFileVersion(plain, high, low));
    CHECK(high == 7);
    CHECK(low == 7);
    DeleteFileA(plain.c_str());
}

TEST_CASE("a damaged version resource is no version") {
    Launcher launcher;
    const std::string bytes = ReadAll(Payload("msvcrt.dll"));
    size_t entry = 0, block = 0, blockSize = 0;
    REQUIRE(Tarnbolt::LocateVersionResource(reinterpret_cast<const unsigned char*>(bytes.data()),
                                            bytes.size(), entry, block, blockSize));
    const struct {
        const char* what;
        size_t at;
        uint32_t value;
        int width;  // bytes written at `at`, 0 for none
        bool readable;
    } copies[] = {
        {"intact", 0, 0, 0, true},
        {"resource cut to 20 bytes", entry + 4, 20, 4, false},
        {"resource cut inside the fixed record", entry + 4, 60, 4, false},
        {"length larger than the resource", block, 0xFFF0, 2, false},
        {"length that ends inside the fixed record", block, 48, 2, false},
        {"value length of no fixed record", block + 2, 40, 2, false},
        {"signature broken", block + 40, 0, 4, false},
    };
    int n = 0;
    for (const auto& c : copies) {
        CAPTURE(std::string(c.what));
        std::string damaged = bytes;
        for (int i = 0; i < c.width; ++i) damaged[c.at + i] = static_cast<char>(c.value >> (8 * i));
        // Not named like a library Wine carries, which would answer for it.
        const std::string path = Env("TEMP") + "\\damaged-" + std::to_string(++n) + ".bin";
        FILE* f = std::fopen(path.c_str(), "wb");
        REQUIRE(f);
        std::fwrite(damaged.data(), 1, damaged.size(), f);
        std::fclose(f);
        uint32_t high = 7, low = 7;
        CHECK(launcher.ReadFileVersion(path, high, low) == c.readable);
        if (!c.readable) CHECK((high == 7 && low == 7));
        DeleteFileA(path.c_str());
    }
}

TEST_CASE("embedded libraries' versions come from the resource bytes") {
    Launcher launcher;
    uint32_t high = 0, low = 0;
    REQUIRE(launcher.PayloadFixedVersion(Self(), 103, high, low));
    CHECK(high == ((6u << 16) | 1u));
    CHECK(low == (8637u << 16));
    REQUIRE(launcher.PayloadFixedVersion(Self(), 104, high, low));
    CHECK(high == ((6u << 16) | 0u));
    CHECK(low == (8168u << 16));
    CHECK_FALSE(launcher.PayloadFixedVersion(Self(), 106, high, low));

    // The reader of installed files agrees with the platform's version query on a
    // real library.
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string library = std::string(system) + "\\kernel32.dll";
    const LumoBase::VersionLibrary platform;
    DWORD handle = 0;
    std::vector<char> block(platform.InfoSize(library.c_str(), &handle));
    REQUIRE(!block.empty());
    REQUIRE(platform.Info(library.c_str(), static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    REQUIRE(platform.QueryValue(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    REQUIRE(launcher.ReadFileVersion(library, high, low));
    CHECK(high == fixed->dwFileVersionMS);
    CHECK(low == fixed->dwFileVersionLS);
}

TEST_CASE("resource extraction") {
    Launcher launcher;
    const struct {
        int id;
        const char* name;
    } payload[] = {{103, "msvcrt.dll"}, {104, "msvcp60.dll"}, {105, "msvcirt.dll"},
                   {107, "comctl32.dll"}};
    for (const auto& p : payload) {
        std::string path;
        REQUIRE(launcher.ExtractResource(Self(), p.id, p.name, path));
        CHECK(path == launcher.TempFilePath(p.name));
        CHECK(ReadAll(path) == ReadAll(Payload(p.name)));
    }

    SUBCASE("the same identifier again overwrites") {
        std::string path = launcher.TempFilePath("msvcrt.dll");
        FILE* f = std::fopen(path.c_str(), "wb");
        REQUIRE(f);
        std::fputs(std::string(1 << 20, 'x').c_str(), f);  // longer than the resource
        std::fclose(f);
        std::string out;
        REQUIRE(launcher.ExtractResource(Self(), 103, "msvcrt.dll", out));
        CHECK(ReadAll(out) == ReadAll(Payload("msvcrt.dll")));
    }
    SUBCASE("a missing identifier leaves the out path alone") {
        std::string out = "untouched";
        CHECK_FALSE(launcher.ExtractResource(Self(), 106, "x.dll", out));
        CHECK(out == "untouched");
    }
    SUBCASE("a locked file of the same name: false, but the path is set") {
        // Locked rather than read-only: the tests run as root, whom a read-only
        // file does not stop.
        std::string path = launcher.TempFilePath("locked.dll");
        FILE* f = std::fopen(path.c_str(), "wb");
        REQUIRE(f);
        std::fputs("old", f);
        std::fclose(f);
        HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        REQUIRE(lock != INVALID_HANDLE_VALUE);
        std::string out;
        CHECK_FALSE(launcher.ExtractResource(Self(), 104, "locked.dll", out));
        CHECK(out == path);
        CloseHandle(lock);
        CHECK(ReadAll(path) == "old");
        DeleteFileA(path.c_str());
    }
}

TEST_CASE("a temporary folder that does not exist is never replaced by a drive's root") {
    const std::string temp = Env("TEMP"), tmp = Env("TMP");
    SetEnvironmentVariableA("TEMP", "C:\\tb-no-such-folder");
    SetEnvironmentVariableA("TMP", "C:\\tb-no-such-folder");
    Launcher launcher;
    std::string out;
    CHECK(launcher.TempFilePath("msvcrt.dll").empty());
    CHECK_FALSE(launcher.ExtractResource(Self(), 103, "msvcrt.dll", out));
    CHECK(out.empty());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    SetEnvironmentVariableA("TMP", tmp.c_str());
}

TEST_CASE("the launcher is marked Terminal Server aware") {
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    REQUIRE((n > 0 && n < sizeof self));
    std::string path(self, n);
    const std::string image = ReadAll(path.substr(0, path.rfind('\\')) + "\\tarnbolt.exe");
    REQUIRE(image.size() > 0x40);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    REQUIRE(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS) <= image.size());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image.data() + dos->e_lfanew);
    CHECK((nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE) != 0);
}

TEST_CASE("run command and start") {
    Launcher launcher;
    const std::string dir = launcher.ModuleDirectory(Self());
    REQUIRE(dir.find(' ') == std::string::npos);
    CHECK(launcher.ResolveRunCommand(Self(), "app.exe") == dir + "\\app.exe");
    CHECK(launcher.ResolveRunCommand(Self(), "") == dir + "\\");
    CHECK(launcher.ResolveRunCommand(Self(), "a/b.exe /q") == dir + "\\a\\b.exe \\q");
    CHECK(launcher.ResolveRunCommand(Self(), ".\\x\\..\\app.exe") == dir + "\\app.exe");
    CHECK_FALSE(launcher.RunProgram(dir + "\\no-such-program.exe"));
    CHECK_FALSE(launcher.RunProgram(dir + "\\"));
}
