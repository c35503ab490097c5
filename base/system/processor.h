#pragma once
// The processor: count, family, feature flags, vendor and identifier texts, and
// its clock speed measured against the platform's performance counter.

#include "strings/pstring.h"

#include <cstdint>

namespace LumoBase {

// All four are 0 when nothing could be measured.
struct SpeedMeasurement {
    uint32_t cycles;        // processor cycles counted during the timed interval
    uint32_t microseconds;  // length of the timed interval
    uint32_t rawMHz;        // cycles / microseconds, truncated
    uint32_t roundedMHz;    // the same quotient, rounded as the method does
};

// Feature flag (CPUID leaf 1, EDX): the processor has a time-stamp counter.
const uint32_t kFeatureTimeStampCounter = 0x10;

// Windows only: each asks the processor or the platform.

// Set bits of the system affinity mask; 0 when the platform does not answer.
int32_t GetProcessorCount();
bool HasCpuid();
uint16_t GetProcessorFamily();
uint32_t GetProcessorFeatures();  // 0 without CPUID
// clocks: 0 measures automatically, 1 to 150 gives the cycles of one loop
// iteration by hand, a negative value times the real-time clock (9x family only;
// elsewhere all zeros). Values above 150 must not be passed.
SpeedMeasurement MeasureProcessorSpeed(int32_t clocks);

typedef SpeedMeasurement (*SpeedMeasurer)(int32_t clocks);
// The rawMHz of a measurement with clocks 0 on a worker thread; -1 when the
// thread cannot start or does not finish within `seconds` (-1: no time-out). A
// worker that timed out and is not terminated keeps running and may still store
// its result later.
int32_t MeasureProcessorSpeedWithTimeout(int32_t seconds, bool terminate,
                                         SpeedMeasurer measure = MeasureProcessorSpeed);
// What the system information object answers for a processor: 0 for an index
// out of range, else the timed measurement with 5 seconds and without
// termination, 0 when that gives -1.
int32_t TimedProcessorSpeedMHz(int32_t processor, int32_t processorCount,
                               SpeedMeasurer measure = MeasureProcessorSpeed);

// The first processor's registry identifier; empty when there is none.
void GetProcessorIdentifier(PString& result);
// The vendor worker's body: stores the vendor text process-wide.
void GetProcessorVendor();
// The vendor text found by a worker within 5000 ms, else "???".
void GetProcessorVendorWithTimeout(PString& result);
// The speed the registry records, else the roundedMHz of a measurement.
int32_t GetRegisteredProcessorSpeedMHz(int32_t clocks);

// Portable rules behind the queries.

enum SpeedMethod {
    SpeedMethodNone,
    SpeedMethodCounter,        // time-stamp counter against the performance counter
    SpeedMethodRealTimeClock,  // time-stamp counter against the real-time clock
    SpeedMethodLoop            // calibrated instruction loop
};

// Cycles one iteration of the timing loop costs on the family; families above
// the table cost what its last entry says.
uint32_t LoopCyclesPerIteration(int family);
// The method for the arguments and the loop cycle count it would use.
SpeedMethod ChooseSpeedMethod(int32_t clocks, int family, uint32_t features,
                              uint32_t* loopCycles);

// Timed-interval length in microseconds from performance-counter ticks; 0 when
// the frequency is below 10.
uint64_t TicksToMicroseconds(uint64_t ticks, uint32_t frequency);

// The samples of the counter method and its stop rules.
class CounterSampleSeries {
public:
    explicit CounterSampleSeries(uint32_t frequency);
    // One sample of cycles over counter ticks; true while another one is wanted.
    // A sample of no measurable length fails the series.
    bool Add(uint32_t cycles, uint32_t ticks);
    int SampleCount() const { return count_; }
    SpeedMeasurement Result() const;

private:
    uint32_t frequency_;
    bool failed_;
    int count_ = 0;
    uint32_t s1_ = 0, s2_ = 0, s3_ = 0;
    uint64_t totalCycles_ = 0, totalMicroseconds_ = 0;
};

// The loop method from the smallest tick count of its runs.
SpeedMeasurement LoopSpeed(uint32_t loopCycles, uint32_t smallestTicks, uint32_t frequency);
// The real-time-clock method from the counter difference between two changes of
// the clock's seconds register and the two seconds values seen there.
SpeedMeasurement RealTimeClockSpeed(uint64_t cycles, unsigned firstSeconds,
                                    unsigned secondSeconds, bool bcd);

// Set bits of an affinity mask.
int32_t CountProcessorsInMask(uint64_t mask);
// Whether a processor index is in range for the system information object: the
// index and count - 1 compared unsigned, so a count of 0 lets every index pass.
bool ProcessorIndexInRange(int32_t processor, int32_t count);
// Family from EAX of CPUID leaf 1 (bits 8 to 11).
uint16_t FamilyFromCpuidSignature(uint32_t eax);
// The vendor text: the registry's (at most 79 characters) when given, else the
// 12 characters of CPUID leaf 0 (EBX, EDX, ECX) when there is CPUID, else "???".
PString ChooseVendorText(const char* registryText, bool hasCpuid, uint32_t ebx, uint32_t edx,
                         uint32_t ecx);

}  // namespace LumoBase
