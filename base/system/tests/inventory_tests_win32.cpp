// Memory, drives and the processor as the test prefix's Wine shows them,
// against what the platform tells through other calls.

#include "system/memory_drives.h"
#include "system/memory_drives_win32.h"
#include "system/processor.h"
#include "system/processor_win32.h"
#include "system/registry.h"
#include "system/system_info.h"

#include <doctest/doctest.h>

#include <windows.h>

#include "reference_vendor_win32.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace LumoBase;

namespace {

const char kProcessorKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

uint32_t Difference(uint32_t a, uint32_t b) { return a > b ? a - b : b - a; }

DWORD RegisteredMHz() {
    DWORD mhz = 0, size = sizeof mhz;
    HKEY key;
    REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProcessorKey, 0, KEY_READ, &key) == ERROR_SUCCESS);
    RegQueryValueExA(key, "~MHz", nullptr, nullptr, reinterpret_cast<BYTE*>(&mhz), &size);
    RegCloseKey(key);
    return mhz;
}

// Measurers standing in for the real one on the worker thread.
HANDLE g_release;   // lets a hanging measurer go on
HANDLE g_finished;  // set by a released measurer just before it returns
HANDLE g_self;      // the hanging measurer's own thread

SpeedMeasurement Hanging(int32_t) {
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &g_self,
                    SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0);
    WaitForSingleObject(g_release, INFINITE);
    SetEvent(g_finished);
    return SpeedMeasurement{1, 1, 777, 777};
}

SpeedMeasurement Quick(int32_t clocks) {
    return SpeedMeasurement{0, 0, clocks == 0 ? 1234u : 1u, 0};
}

SpeedMeasurement Negative(int32_t) { return SpeedMeasurement{0, 0, 0x80000000u, 0}; }

}  // namespace

TEST_CASE("physical memory in MiB") {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    REQUIRE(GlobalMemoryStatusEx(&status));
    const int32_t mb = GetPhysicalMemoryMB();
    // A program that is not large-address aware is told at most 2 GiB or so.
    if (status.ullTotalPhys < 0x80000000ull)
        CHECK(mb == static_cast<int32_t>(status.ullTotalPhys >> 20) + 1);
    else
        CHECK((mb >= 2048 && mb <= 4096));
    CHECK(WIN32_SystemInfo().GetPhysicalMemoryMB() == mb);
}

TEST_CASE("the fixed drive C: and a letter without a drive") {
    CHECK(GetDriveKind('C') == DriveFixed);
    CHECK(IsFixedDrive('C'));
    CHECK(GetDriveKind('Q') == DriveNone);
    CHECK_FALSE(IsFixedDrive('Q'));
    CHECK(GetDriveTotalSize('Q', SizeMB) == 0);
    CHECK(GetDriveFreeSpace('Q', SizeBytes) == 0);
    CHECK(GetDriveKind(0) == DriveNone);  // no letter, even without a removable drive

    const uint32_t totalMB = GetDriveTotalSize('C', SizeMB);
    const uint32_t freeMB = GetDriveFreeSpace('C', SizeMB);
    CHECK(totalMB > 0);
    CHECK(freeMB <= totalMB);
    CHECK(GetDriveTotalSize('C', SizeGB) == totalMB / 1024);
    CHECK(GetDriveTotalSize('C', 7) == 0);

    // The independent answer; free space moves with whatever else writes.
    ULARGE_INTEGER available, total, free;
    REQUIRE(GetDiskFreeSpaceExA("C:\\", &available, &total, &free));
    const uint32_t freeAfter = GetDriveFreeSpace('C', SizeMB);
    CHECK(totalMB == static_cast<uint32_t>(total.QuadPart >> 20));
    const uint32_t independent = static_cast<uint32_t>(available.QuadPart >> 20);
    CHECK((Difference(freeMB, independent) < 256 || Difference(freeAfter, independent) < 256));
    if (total.QuadPart > 0xFFFFFFFFull) CHECK(GetDriveTotalSize('C', SizeBytes) == 0xFFFFFFFFu);

    // The largest free fixed space is at least C:'s. Tests beside this one copy and
    // remove whole prefixes, so C:'s free space is taken before and after each answer.
    const auto atLeastC = [](uint32_t (*largest)()) {
        const uint32_t before = GetDriveFreeSpace('C', SizeMB);
        const uint32_t answer = largest();
        const uint32_t after = GetDriveFreeSpace('C', SizeMB);
        return answer + 256 >= (before < after ? before : after);
    };
    CHECK(atLeastC([] { return GetLargestFixedDriveFreeSpace(SizeMB); }));
    CHECK(atLeastC([] { return WIN32_SystemInfo().GetLargestFreeDiskMB(); }));
}

TEST_CASE("without the extended query the cluster counts give the sizes") {
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    CHECK(reinterpret_cast<void*>(FindDiskFreeSpaceEx()) ==
          reinterpret_cast<void*>(GetProcAddress(kernel32, "GetDiskFreeSpaceExA")));

    const uint32_t extendedMB = DriveSpaceThrough('C', SizeMB, DriveSpaceTotal, FindDiskFreeSpaceEx());
    const uint32_t clusterMB = DriveSpaceThrough('C', SizeMB, DriveSpaceTotal, nullptr);
    CHECK(clusterMB > 0);
    CHECK(Difference(extendedMB, clusterMB) <= 1);
    const uint32_t clusterFreeMB = DriveSpaceThrough('C', SizeMB, DriveSpaceFree, nullptr);
    CHECK(clusterFreeMB > 0);
    CHECK(Difference(clusterFreeMB, GetDriveFreeSpace('C', SizeMB)) < 256);
    CHECK(DriveSpaceThrough('Q', SizeMB, DriveSpaceTotal, nullptr) == 0);
}

TEST_CASE("processor count, family and features") {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    CHECK(GetProcessorCount() == static_cast<int32_t>(system.dwNumberOfProcessors));
    CHECK(WIN32_SystemInfo().GetProcessorCount() == GetProcessorCount());

    REQUIRE(HasCpuid());
    PString identifier;
    REQUIRE(ReadRegistryString(HKEY_LOCAL_MACHINE, kProcessorKey, "Identifier", identifier));
    unsigned registeredFamily = 0;
    REQUIRE(std::sscanf(identifier.c_str(), "%*s Family %u", &registeredFamily) == 1);
    const uint16_t family = GetProcessorFamily();
    // The registry adds the extended family, the base field stops at 15.
    CHECK(family == (registeredFamily < 15 ? registeredFamily : 15));
    // The flag-register road, taken on a processor that has CPUID: 486 or later.
    CHECK(FamilyFromFlagTests() == 4);

    const uint32_t features = GetProcessorFeatures();
    CHECK(((features & kFeatureTimeStampCounter) != 0) ==
          (IsProcessorFeaturePresent(PF_RDTSC_INSTRUCTION_AVAILABLE) != 0));
    CHECK(((features & (1u << 23)) != 0) ==
          (IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE) != 0));
    CHECK(((features & (1u << 25)) != 0) ==
          (IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE) != 0));
}

TEST_CASE("vendor and identifier texts") {
    const std::string cpuidVendor = ReferenceVendor();

    PString registered;
    REQUIRE(ReadRegistryString(HKEY_LOCAL_MACHINE, kProcessorKey, "VendorIdentifier", registered));
    PString vendor("stale");
    GetProcessorVendorWithTimeout(vendor);
    CHECK(std::string(vendor) == std::string(registered));
    CHECK(std::string(vendor) == cpuidVendor);

    PString identifier("stale"), expected;
    REQUIRE(ReadRegistryString(HKEY_LOCAL_MACHINE, kProcessorKey, "Identifier", expected));
    GetProcessorIdentifier(identifier);
    CHECK(std::string(identifier) == std::string(expected));

    WIN32_SystemInfo info;
    const int32_t count = info.GetProcessorCount();
    CHECK(std::string(info.GetProcessorName(0)) == std::string(expected));
    CHECK(std::string(info.GetProcessorName(count - 1)) == std::string(expected));
    CHECK(info.GetProcessorName(count).empty());
    CHECK(info.GetProcessorName(-1).empty());
}

TEST_CASE("speed measurements") {
    const DWORD registered = RegisteredMHz();
    REQUIRE(registered > 0);
    CHECK(GetRegisteredProcessorSpeedMHz(0) == static_cast<int32_t>(registered));

    // The counter method; the clock may be scaled, so only roughly the
    // registered speed.
    const SpeedMeasurement counter = MeasureProcessorSpeed(0);
    REQUIRE(counter.microseconds > 0);
    CHECK(counter.rawMHz == counter.cycles / counter.microseconds);
    CHECK((counter.roundedMHz == counter.rawMHz || counter.roundedMHz == counter.rawMHz + 1));
    CHECK(counter.rawMHz * 3 >= registered);
    CHECK(counter.rawMHz <= registered * 3);

    // Cycles by hand take the loop even with a time-stamp counter.
    const SpeedMeasurement loop = MeasureProcessorSpeed(100);
    CHECK(loop.cycles == 400000);
    REQUIRE(loop.microseconds > 0);
    CHECK(loop.rawMHz == 400000 / loop.microseconds);

    // The real-time clock's ports are the 9x family's only: nothing measured,
    // and no port touched (that would have faulted).
    const SpeedMeasurement clock = MeasureProcessorSpeed(-1);
    CHECK(clock.cycles == 0);
    CHECK(clock.microseconds == 0);
    CHECK(clock.rawMHz == 0);
    CHECK(clock.roundedMHz == 0);

    const int32_t timed = MeasureProcessorSpeedWithTimeout(-1, false);
    CHECK(timed > 0);
    CHECK(static_cast<DWORD>(timed) <= registered * 3);
    WIN32_SystemInfo info;
    CHECK(info.GetProcessorSpeedMHz(0) > 0);
    CHECK(info.GetProcessorSpeedMHz(info.GetProcessorCount()) == 0);
    CHECK(info.GetProcessorSpeedMHz(-1) == 0);
}

TEST_CASE("the timed measurement's worker thread") {
    CHECK(MeasureProcessorSpeedWithTimeout(-1, false, Quick) == 1234);
    CHECK(MeasureProcessorSpeedWithTimeout(2, true, Quick) == 1234);
    CHECK(MeasureProcessorSpeedWithTimeout(-1, false, Negative) == 0);
    CHECK(TimedProcessorSpeedMHz(0, 1, Quick) == 1234);
    CHECK(TimedProcessorSpeedMHz(1, 1, Quick) == 0);

    SUBCASE("worker handles are closed") {
        // Handles are handed out lowest free first: a worker handle left open
        // would hold the slot just freed.
        HANDLE probe = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        REQUIRE(probe != nullptr);
        CloseHandle(probe);
        for (int i = 0; i < 5; ++i) MeasureProcessorSpeedWithTimeout(-1, false, Quick);
        PString vendor;
        GetProcessorVendorWithTimeout(vendor);
        HANDLE again = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        CHECK(again == probe);
        CloseHandle(again);
    }
    SUBCASE("a hanging measurement gives 0 after 5 seconds and keeps running") {
        g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_self = nullptr;
        CHECK(TimedProcessorSpeedMHz(0, 1, Hanging) == 0);
        REQUIRE(g_self != nullptr);
        // Still alive: released now, it runs to its end.
        SetEvent(g_release);
        CHECK(WaitForSingleObject(g_finished, INFINITE) == WAIT_OBJECT_0);
        CHECK(WaitForSingleObject(g_self, INFINITE) == WAIT_OBJECT_0);
        DWORD code = 1;
        CHECK(GetExitCodeThread(g_self, &code));
        CHECK(code == 0);
        CloseHandle(g_self);
        CloseHandle(g_release);
        CloseHandle(g_finished);
    }
    SUBCASE("a worker that times out with termination is ended") {
        g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_self = nullptr;
        CHECK(MeasureProcessorSpeedWithTimeout(1, true, Hanging) == -1);
        REQUIRE(g_self != nullptr);
        CHECK(WaitForSingleObject(g_self, INFINITE) == WAIT_OBJECT_0);
        DWORD code = 0;
        CHECK(GetExitCodeThread(g_self, &code));
        CHECK(code == 0xFFFFFFFFu);
        CHECK(WaitForSingleObject(g_finished, 0) == WAIT_TIMEOUT);  // never got past its wait
        CloseHandle(g_self);
        CloseHandle(g_release);
        CloseHandle(g_finished);
    }
}
