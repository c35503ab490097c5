// Stamped images judged by the platform: its resource calls, its version calls,
// its checksum and its loader.

#include "pe_image.h"
#include "pe_stamp.h"

#include "build_files_win32.h"

#include <doctest/doctest.h>

#include <windows.h>
#include <imagehlp.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace Tarnbolt;

#if !defined(TARNBOLT_LAUNCHER_PATH) || !defined(TARNBOLT_PROBE_PATH) || !defined(TARNBOLT_STANDIN_DIR)
#error "the build names the launcher, the probe program and the stand-in folder"
#endif

namespace {

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    DWORD n = GetTempPathA(sizeof folder, folder);
    REQUIRE((n > 0 && n < sizeof folder));
    return std::string(folder, n) + name;
}

void WriteAll(const std::string& path, const Blob& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    REQUIRE(out.good());
}

Blob Standin(const char* name) { return ReadAll(Windows(std::string(TARNBOLT_STANDIN_DIR) + "/" + name)); }

// The fixed file version the platform reads, or 0, 0 without one.
std::pair<DWORD, DWORD> FileVersion(const std::string& path) {
    DWORD handle = 0, size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return {0, 0};
    std::vector<char> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path.c_str(), 0, size, info.data()) ||
        !VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return {0, 0};
    return {fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

}  // namespace

TEST_CASE("a stamped launcher carries the new libraries for the platform's resource calls") {
    const std::string launcherPath = Windows(TARNBOLT_LAUNCHER_PATH);
    const Blob launcher = ReadAll(launcherPath);
    REQUIRE(!launcher.empty());
    const std::vector<StampItem> items = {{103, Standin("comctl32.dll")},
                                          {104, Standin("msvcirt.dll")},
                                          {105, Standin("msvcrt.dll")},
                                          {107, ReadAll(Windows(TARNBOLT_PROBE_PATH))}};
    Blob stamped;
    REQUIRE(StampResources(launcher, "DLL", items, stamped));

    const std::string path = TempPath("tarnbolt_stamped.exe");
    WriteAll(path, stamped);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(module != nullptr);
    for (const StampItem& item : items) {
        CAPTURE(item.id);
        size_t offset = 0, length = 0;
        // Each id held something else before: the check below tells old from new.
        REQUIRE(FindPeResource(launcher.data(), launcher.size(), "DLL", item.id, offset, length));
        CHECK((length != item.bytes.size() || std::memcmp(&launcher[offset], item.bytes.data(), length) != 0));
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(item.id), "DLL");
        REQUIRE(found != nullptr);
        CHECK(SizeofResource(module, found) == item.bytes.size());
        HGLOBAL loaded = LoadResource(module, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        REQUIRE(bytes != nullptr);
        CHECK(std::memcmp(bytes, item.bytes.data(), item.bytes.size()) == 0);
    }
    FreeLibrary(module);
    // The launcher's version resource is kept.
    CHECK(FileVersion(launcherPath).first != 0);
    CHECK(FileVersion(path) == FileVersion(launcherPath));
    DeleteFileA(path.c_str());
}

TEST_CASE("a stamped program still starts, keeps its version and has a correct checksum") {
    Blob probe = ReadAll(Windows(TARNBOLT_PROBE_PATH));
    REQUIRE(probe.size() > 0x40);
    // Give the original a real checksum first, so the stamp must recompute it.
    const std::string original = TempPath("pe_stamp_probe_original.exe");
    WriteAll(original, probe);
    DWORD header = 0, sum = 0;
    REQUIRE(MapFileAndCheckSumA(const_cast<char*>(original.c_str()), &header, &sum) == CHECKSUM_SUCCESS);
    REQUIRE(sum != 0);
    DWORD peOffset = 0;
    std::memcpy(&peOffset, &probe[0x3C], 4);
    std::memcpy(&probe[peOffset + 24 + 64], &sum, 4);

    const Blob library = Standin("comctl32.dll");
    Blob stamped;
    REQUIRE(StampResources(probe, "DLL", {{103, library}}, stamped));
    const std::string path = TempPath("pe_stamp_probe_stamped.exe");
    WriteAll(path, stamped);

    REQUIRE(MapFileAndCheckSumA(const_cast<char*>(path.c_str()), &header, &sum) == CHECKSUM_SUCCESS);
    CHECK(header == sum);
    CHECK(FileVersion(path) == std::make_pair<DWORD, DWORD>(0x00010002, 0x00030004));

    // The loader maps it and the program finds the stamped bytes in its own image.
    std::string command = "\"" + path + "\" " + std::to_string(library.size());
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    REQUIRE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &process));
    CHECK(WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CHECK(code == 0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileA(path.c_str());
    DeleteFileA(original.c_str());
}
