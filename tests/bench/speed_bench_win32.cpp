// Times the processor-speed measurements and prints what they answer, one
// "key=value ..." line per call, for scripts/bench to set against the rate the
// host reports. Argument: the number of calls of each kind (default 5).
#include "system/processor.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to,
                    const LARGE_INTEGER& frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// What Wine (or Windows) put in the registry, 0 when there is nothing.
unsigned long RegisteredMHz() {
    HKEY key;
    DWORD speed = 0, size = sizeof speed;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    if (RegQueryValueExA(key, "~MHz", nullptr, nullptr, reinterpret_cast<BYTE*>(&speed), &size) !=
        ERROR_SUCCESS)
        speed = 0;
    RegCloseKey(key);
    return speed;
}

}  // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 5;
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    std::printf("registry mhz=%lu\n", RegisteredMHz());
    for (int i = 0; i < calls; ++i) {
        QueryPerformanceCounter(&before);
        const LumoBase::SpeedMeasurement m = LumoBase::MeasureProcessorSpeed(0);
        QueryPerformanceCounter(&after);
        std::printf("measure raw=%u rounded=%u cycles=%u us=%u ms=%.3f\n", m.rawMHz, m.roundedMHz,
                    m.cycles, m.microseconds, Milliseconds(before, after, frequency));
    }
    for (int i = 0; i < calls; ++i) {
        QueryPerformanceCounter(&before);
        const int32_t mhz = LumoBase::MeasureProcessorSpeedWithTimeout(5, false);
        QueryPerformanceCounter(&after);
        std::printf("timeout raw=%ld ms=%.3f\n", static_cast<long>(mhz),
                    Milliseconds(before, after, frequency));
    }
    return 0;
}
