#include "system/processor.h"
#include "system/processor_win32.h"
#include "system/os_version.h"
#include "system/registry.h"
#include "system/system_library.h"

#include <windows.h>

#include <atomic>
#include <new>

namespace LumoBase {

namespace {

const char kProcessorKey[] = "Hardware\\Description\\System\\CentralProcessor\\0";
const char kProcessorSpeedKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

// Written by the speed worker, read by the caller once its wait has ended (or
// overwritten by the caller on a time-out; a late worker may still store).
std::atomic<int32_t> g_measuredSpeed{-1};
// Written by the vendor worker, read by the caller after its wait.
PString g_vendor;

struct CpuidRegisters {
    uint32_t eax, ebx, ecx, edx;
};

// Kept out of line: these two are the only functions that may hold CPUID and RDTSC,
// which a 486 lacks, and the instruction audit finds them by name.
__attribute__((noinline)) CpuidRegisters Cpuid(uint32_t leaf) {
    CpuidRegisters r;
    __asm__ volatile("cpuid" : "=a"(r.eax), "=b"(r.ebx), "=c"(r.ecx), "=d"(r.edx)
                             : "a"(leaf), "c"(0));
    return r;
}

__attribute__((noinline)) uint64_t ReadTimeStamp() {
    uint32_t low, high;
    __asm__ volatile("rdtsc" : "=a"(low), "=d"(high));
    return (static_cast<uint64_t>(high) << 32) | low;
}

#if defined(__i386__)
const uint32_t kAlignmentCheckFlag = 0x40000;
const uint32_t kCpuidFlag = 0x200000;

// Writes the flags with the bits of `toggle` inverted, reads them back and
// restores the original flags; answers the bits that changed.
uint32_t ToggleFlags(uint32_t toggle) {
    uint32_t original, readBack;
    __asm__ volatile(
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl %2, %1\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %1\n\t"
        "pushl %0\n\t"
        "popfl\n\t"
        : "=&r"(original), "=&r"(readBack)
        : "r"(toggle)
        : "cc");
    return original ^ readBack;
}

// Bits 12 to 15 as they read after writing them with `mask` cleared and `set`
// set; the flags are restored afterwards.
uint32_t NibbleAfterWriting(uint32_t mask, uint32_t set) {
    uint32_t original, readBack;
    __asm__ volatile(
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "andl %2, %1\n\t"
        "orl %3, %1\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %1\n\t"
        "pushl %0\n\t"
        "popfl\n\t"
        : "=&r"(original), "=&r"(readBack)
        : "r"(mask), "r"(set)
        : "cc");
    return readBack & 0xF000;
}

// Whether the alignment-check flag can be inverted; the stack pointer is aligned
// down while the flag may be set, so the test's own pushes cannot fault.
bool AlignmentCheckChangeable() {
    uint32_t original, readBack, savedStack;
    __asm__ volatile(
        "movl %%esp, %2\n\t"
        "andl $-4, %%esp\n\t"
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl %3, %1\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %1\n\t"
        "pushl %0\n\t"
        "popfl\n\t"
        "movl %2, %%esp\n\t"
        : "=&r"(original), "=&r"(readBack), "=&r"(savedStack)
        : "i"(kAlignmentCheckFlag)
        : "cc", "memory");
    return ((original ^ readBack) & kAlignmentCheckFlag) != 0;
}

#endif

// 4000 iterations of a bit scan and a 16-bit decrement: the cycles one
// iteration costs are known per family.
void RunTimingLoop() {
    __asm__ volatile(
        "movl $0x80000000, %%eax\n\t"
        "movw $4000, %%cx\n"
        "1:\n\t"
        "bsfl %%eax, %%edx\n\t"
        "decw %%cx\n\t"
        "jnz 1b\n\t"
        :
        :
        : "eax", "ecx", "edx", "cc");
}

uint8_t ReadClockRegister(uint8_t index) {
    uint8_t value;
    __asm__ volatile(
        "outb %%al, $0x70\n\t"
        "inb $0x71, %%al\n\t"
        : "=a"(value)
        : "a"(index));
    return value;
}

SpeedMeasurement NothingMeasured() { return SpeedMeasurement{0, 0, 0, 0}; }

SpeedMeasurement MeasureWithCounter() {
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency)) return NothingMeasured();
    CounterSampleSeries series(frequency.LowPart);
    HANDLE thread = GetCurrentThread();
    bool another;
    do {
        LARGE_INTEGER start, now;
        QueryPerformanceCounter(&start);
        const int priority = GetThreadPriority(thread);
        if (priority != THREAD_PRIORITY_ERROR_RETURN)
            SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
        uint32_t startStamp, endStamp;
        do {
            QueryPerformanceCounter(&now);
            startStamp = static_cast<uint32_t>(ReadTimeStamp());
        } while (now.QuadPart - start.QuadPart < 50);
        start = now;
        do {
            QueryPerformanceCounter(&now);
            endStamp = static_cast<uint32_t>(ReadTimeStamp());
        } while (now.QuadPart - start.QuadPart < 1000);
        if (priority != THREAD_PRIORITY_ERROR_RETURN) SetThreadPriority(thread, priority);
        another = series.Add(endStamp - startStamp,
                             static_cast<uint32_t>(now.QuadPart - start.QuadPart));
    } while (another);
    return series.Result();
}

SpeedMeasurement MeasureWithLoop(uint32_t loopCycles) {
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency)) return NothingMeasured();
    uint32_t smallest = 0xFFFFFFFFu;
    for (int run = 0; run < 10; ++run) {
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        RunTimingLoop();
        QueryPerformanceCounter(&after);
        const uint32_t ticks = after.LowPart - before.LowPart;
        if (ticks < smallest) smallest = ticks;
    }
    return LoopSpeed(loopCycles, smallest, frequency.LowPart);
}

SpeedMeasurement MeasureWithRealTimeClock() {
    // Only the 9x family lets an application at the I/O ports; elsewhere the
    // port access would fault.
    if (!IsWindows9xFamily()) return NothingMeasured();
    HANDLE thread = GetCurrentThread();
    const int priority = GetThreadPriority(thread);
    if (priority != THREAD_PRIORITY_ERROR_RETURN) SetThreadPriority(thread, priority + 1);
    const bool bcd = (ReadClockRegister(0x0B) & 0x04) == 0;
    const uint8_t initial = ReadClockRegister(0);
    uint8_t first;
    while ((first = ReadClockRegister(0)) == initial) {
    }
    const uint64_t start = ReadTimeStamp();
    uint8_t second;
    while ((second = ReadClockRegister(0)) == first) {
    }
    const uint64_t end = ReadTimeStamp();
    if (priority != THREAD_PRIORITY_ERROR_RETURN) SetThreadPriority(thread, priority);
    return RealTimeClockSpeed(end - start, first, second, bcd);
}

struct SpeedWork {
    SpeedMeasurer measure;
};

DWORD WINAPI SpeedWorker(LPVOID parameter) {
    SpeedWork* work = static_cast<SpeedWork*>(parameter);
    const SpeedMeasurer measure = work->measure;
    delete work;
    const int32_t speed = static_cast<int32_t>(measure(0).rawMHz);
    g_measuredSpeed.store(speed < 0 ? 0 : speed);
    return 0;
}

DWORD WINAPI VendorWorker(LPVOID) {
    GetProcessorVendor();
    return 0;
}

}  // namespace

uint16_t FamilyFromFlagTests() {
#if defined(__x86_64__)
    // Every x86-64 processor passes all three flag tests: a 486 or later.
    return 4;
#else
    if (NibbleAfterWriting(0xFFFF0FFFu, 0) == 0xF000) return 0;
    if (NibbleAfterWriting(0xFFFFFFFFu, 0xF000) == 0) return 2;
    if (!AlignmentCheckChangeable()) return 3;
    return 4;
#endif
}

int32_t GetProcessorCount() {
    // Zero-filled, so a platform that does not answer gives no processors.
    DWORD_PTR processMask = 0, systemMask = 0;
    GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask);
    return CountProcessorsInMask(systemMask);
}

bool HasCpuid() {
#if defined(__x86_64__)
    return true;  // part of the 64-bit architecture
#else
    return (ToggleFlags(kCpuidFlag) & kCpuidFlag) != 0;
#endif
}

uint16_t GetProcessorFamily() {
    if (!HasCpuid()) return FamilyFromFlagTests();
    Sleep(50);
    Cpuid(0);
    return FamilyFromCpuidSignature(Cpuid(1).eax);
}

uint32_t GetProcessorFeatures() {
    if (!HasCpuid()) return 0;
    Cpuid(0);
    return Cpuid(1).edx;
}

SpeedMeasurement MeasureProcessorSpeed(int32_t clocks) {
    const int family = GetProcessorFamily();
    const uint32_t features = GetProcessorFeatures();
    uint32_t loopCycles = 0;
    switch (ChooseSpeedMethod(clocks, family, features, &loopCycles)) {
    case SpeedMethodCounter: return MeasureWithCounter();
    case SpeedMethodRealTimeClock: return MeasureWithRealTimeClock();
    case SpeedMethodLoop: return MeasureWithLoop(loopCycles);
    default: return NothingMeasured();
    }
}

int32_t MeasureProcessorSpeedWithTimeout(int32_t seconds, bool terminate, SpeedMeasurer measure) {
    g_measuredSpeed.store(-1);
    SpeedWork* work = new (std::nothrow) SpeedWork{measure};
    if (!work) return -1;
    DWORD id;
    HANDLE thread = CreateThread(nullptr, 0, SpeedWorker, work, 0, &id);
    if (!thread) {
        delete work;
        return -1;
    }
    const DWORD wait = WaitForSingleObject(
        thread, seconds == -1 ? INFINITE : static_cast<DWORD>(seconds) * 1000);
    if (wait != WAIT_OBJECT_0) {
        g_measuredSpeed.store(-1);
        if (terminate) TerminateThread(thread, 0xFFFFFFFF);
    }
    // Closing the handle leaves a worker that timed out running.
    CloseHandle(thread);
    return wait == WAIT_OBJECT_0 ? g_measuredSpeed.load() : -1;
}

int32_t TimedProcessorSpeedMHz(int32_t processor, int32_t processorCount, SpeedMeasurer measure) {
    if (!ProcessorIndexInRange(processor, processorCount)) return 0;
    const int32_t speed = MeasureProcessorSpeedWithTimeout(5, false, measure);
    return speed == -1 ? 0 : speed;
}

void GetProcessorIdentifier(PString& result) {
    PString identifier;
    if (RegistryValueExists(HKEY_LOCAL_MACHINE, kProcessorKey, "Identifier"))
        ReadRegistryString(HKEY_LOCAL_MACHINE, kProcessorKey, "Identifier", identifier);
    result = identifier;
}

void GetProcessorVendor() {
    PString registered;
    const bool inRegistry =
        RegistryValueExists(HKEY_LOCAL_MACHINE, kProcessorKey, "VendorIdentifier") &&
        ReadRegistryString(HKEY_LOCAL_MACHINE, kProcessorKey, "VendorIdentifier", registered);
    const bool cpuid = !inRegistry && HasCpuid();
    const CpuidRegisters leaf0 = cpuid ? Cpuid(0) : CpuidRegisters{0, 0, 0, 0};
    g_vendor = ChooseVendorText(inRegistry ? registered.c_str() : nullptr, cpuid, leaf0.ebx,
                                leaf0.edx, leaf0.ecx);
}

void GetProcessorVendorWithTimeout(PString& result) {
    g_vendor = PString("???");
    DWORD id;
    HANDLE thread = CreateThread(nullptr, 0, VendorWorker, nullptr, 0, &id);
    if (!thread) {
        result = g_vendor;
        return;
    }
    if (WaitForSingleObject(thread, 5000) != WAIT_OBJECT_0) {
        // Stopped before the text is reset, so that it cannot store over it.
        TerminateThread(thread, 0xFFFFFFFF);
        g_vendor = PString("???");
    }
    CloseHandle(thread);
    result = g_vendor;
}

int32_t GetRegisteredProcessorSpeedMHz(int32_t clocks) {
    HKEY key = nullptr;
    if (Bound::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProcessorSpeedKey, 0, KEY_READ, &key) ==
            ERROR_SUCCESS &&
        key) {
        static const char* const kNames[] = {"~MHz", "~Mhz", "~mhz"};
        for (const char* name : kNames) {
            DWORD speed = 0, size = sizeof speed;
            if (Bound::RegQueryValueExA(key, name, nullptr, nullptr,
                                        reinterpret_cast<BYTE*>(&speed), &size) == ERROR_SUCCESS) {
                Bound::RegCloseKey(key);
                return static_cast<int32_t>(speed);
            }
        }
        Bound::RegCloseKey(key);
    }
    return static_cast<int32_t>(MeasureProcessorSpeed(clocks).roundedMHz);
}

}  // namespace LumoBase
