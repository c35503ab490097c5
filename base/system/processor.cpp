#include "system/processor.h"

#include <cstring>

namespace LumoBase {

namespace {

// Cycles of one timing-loop iteration, by family.
const uint32_t kLoopCycles[12] = {0, 0, 0, 115, 47, 43, 38, 38, 38, 38, 38, 38};
const uint32_t kLoopIterations = 4000;
const int kMinimumSamples = 3;
const int kMaximumSamples = 20;
const uint32_t kSaturated = 0xFFFFFFFFu;

uint32_t Saturate(uint64_t value) {
    return value > kSaturated ? kSaturated : static_cast<uint32_t>(value);
}

uint32_t Distance(uint64_t a, uint64_t b) { return static_cast<uint32_t>(a > b ? a - b : b - a); }

}  // namespace

uint32_t LoopCyclesPerIteration(int family) {
    if (family < 0) return 0;
    const int last = static_cast<int>(sizeof kLoopCycles / sizeof kLoopCycles[0]) - 1;
    return kLoopCycles[family > last ? last : family];
}

SpeedMethod ChooseSpeedMethod(int32_t clocks, int family, uint32_t features,
                              uint32_t* loopCycles) {
    const bool byHand = clocks > 0;
    *loopCycles = (byHand ? static_cast<uint32_t>(clocks) : LoopCyclesPerIteration(family)) *
                  kLoopIterations;
    if ((features & kFeatureTimeStampCounter) && !byHand)
        return clocks == 0 ? SpeedMethodCounter : SpeedMethodRealTimeClock;
    if (family >= 3) return SpeedMethodLoop;
    return SpeedMethodNone;
}

uint64_t TicksToMicroseconds(uint64_t ticks, uint32_t frequency) {
    if (frequency < 10) return 0;
    return ticks * 100000u / (frequency / 10);
}

CounterSampleSeries::CounterSampleSeries(uint32_t frequency)
    : frequency_(frequency), failed_(frequency < 10) {}

bool CounterSampleSeries::Add(uint32_t cycles, uint32_t ticks) {
    if (failed_) return false;
    s3_ = s2_;
    s2_ = s1_;
    ++count_;
    uint64_t microseconds = TicksToMicroseconds(ticks, frequency_);
    if (microseconds == 0) {
        failed_ = true;  // no speed can be had from an interval of no length
        return false;
    }
    totalCycles_ += cycles;
    totalMicroseconds_ += microseconds;
    if (microseconds % frequency_ > frequency_ / 2) ++microseconds;
    s1_ = Saturate(cycles / microseconds + (cycles % microseconds > microseconds / 2 ? 1 : 0));

    if (count_ < kMinimumSamples) return true;
    if (count_ >= kMaximumSamples) return false;
    // Stop once each of the last three speeds lies within one MHz of their mean.
    const uint64_t sum = static_cast<uint64_t>(s1_) + s2_ + s3_;
    const bool settled = Distance(3ull * s1_, sum) <= 3 && Distance(3ull * s2_, sum) <= 3 &&
                         Distance(3ull * s3_, sum) <= 3;
    return !settled;
}

SpeedMeasurement CounterSampleSeries::Result() const {
    SpeedMeasurement result = {0, 0, 0, 0};
    if (failed_ || totalMicroseconds_ == 0) return result;
    uint64_t tenths = totalCycles_ * 10 / totalMicroseconds_;
    const uint64_t hundredths = totalCycles_ * 100 / totalMicroseconds_;
    if (hundredths - 10 * tenths >= 6) ++tenths;
    const uint64_t raw = totalCycles_ / totalMicroseconds_;
    result.cycles = Saturate(totalCycles_);
    result.microseconds = Saturate(totalMicroseconds_);
    result.rawMHz = Saturate(raw);
    result.roundedMHz = Saturate(raw + (tenths - 10 * raw >= 6 ? 1 : 0));
    return result;
}

SpeedMeasurement LoopSpeed(uint32_t loopCycles, uint32_t smallestTicks, uint32_t frequency) {
    SpeedMeasurement result = {0, 0, 0, 0};
    uint64_t microseconds = TicksToMicroseconds(smallestTicks, frequency);
    if (microseconds == 0) return result;
    if (microseconds % frequency > frequency / 2) ++microseconds;
    result.cycles = loopCycles;
    result.microseconds = Saturate(microseconds);
    result.rawMHz = static_cast<uint32_t>(loopCycles / microseconds);
    result.roundedMHz =
        result.rawMHz + (loopCycles % microseconds > microseconds / 2 ? 1 : 0);
    return result;
}

SpeedMeasurement RealTimeClockSpeed(uint64_t cycles, unsigned firstSeconds,
                                    unsigned secondSeconds, bool bcd) {
    // The register counts 0 to 59, in binary-coded decimal unless the clock is
    // set to binary; the difference is taken round the minute.
    if (bcd) {
        firstSeconds = (firstSeconds >> 4) * 10 + (firstSeconds & 0x0F);
        secondSeconds = (secondSeconds >> 4) * 10 + (secondSeconds & 0x0F);
    }
    const unsigned elapsed = (secondSeconds + 60 - firstSeconds % 60) % 60;
    SpeedMeasurement result;
    result.cycles = static_cast<uint32_t>(cycles);
    result.microseconds = elapsed * 1000000u;
    result.rawMHz = result.cycles / 1000000u;
    result.roundedMHz = result.rawMHz + (result.cycles / 100000u - 10 * result.rawMHz >= 6 ? 1 : 0);
    return result;
}

int32_t CountProcessorsInMask(uint64_t mask) {
    int32_t count = 0;
    for (; mask; mask &= mask - 1) ++count;
    return count;
}

bool ProcessorIndexInRange(int32_t processor, int32_t count) {
    return static_cast<uint32_t>(processor) <= static_cast<uint32_t>(count) - 1u;
}

uint16_t FamilyFromCpuidSignature(uint32_t eax) { return static_cast<uint16_t>((eax >> 8) & 0x0F); }

PString ChooseVendorText(const char* registryText, bool hasCpuid, uint32_t ebx, uint32_t edx,
                         uint32_t ecx) {
    // The text as an 80-byte zero-filled buffer would hold it.
    char text[80] = {};
    if (registryText) {
        const size_t length = std::strlen(registryText);
        std::memcpy(text, registryText, length < sizeof text - 1 ? length : sizeof text - 1);
    } else if (hasCpuid) {
        std::memcpy(text, &ebx, 4);
        std::memcpy(text + 4, &edx, 4);
        std::memcpy(text + 8, &ecx, 4);
    } else {
        std::memcpy(text, "???", 3);
    }
    return PString(text);
}

}  // namespace LumoBase
