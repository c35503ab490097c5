// The arithmetic behind memory, drive sizes and processor speed, fed with
// recorded platform answers.

#include "system/memory_drives.h"
#include "system/processor.h"

#include <doctest/doctest.h>

#include <string>

using namespace LumoBase;

namespace {

const uint32_t kGiB = 1073741824u;

// A counter series fed with samples of the given speed over 1000 ticks of a
// 10 MHz counter (100 µs each); answers how many samples it took.
int SamplesUntilStop(CounterSampleSeries& series, const uint32_t* mhz, int available) {
    int used = 0;
    while (used < available && series.Add(mhz[used] * 100, 1000)) ++used;
    return series.SampleCount();
}

}  // namespace

TEST_CASE("byte counts scale to exact units") {
    CHECK(ScaleByteCount(1024, 0, SizeKB) == 1);
    CHECK(ScaleByteCount(0xFFFFFFFFu, 0, SizeBytes) == 0xFFFFFFFFu);
    CHECK(ScaleByteCount(0xFFFFFFFFu, 0, SizeMB) == 4095);
    // 4 GiB and more: the exact quotient, no unit lost per 4 GiB.
    CHECK(ScaleByteCount(0, 1, SizeMB) == 4096);
    CHECK(ScaleByteCount(kGiB, 1, SizeMB) == 5120);
    CHECK(ScaleByteCount(kGiB, 1, SizeGB) == 5);
    // Counts that do not fit the result saturate.
    CHECK(ScaleByteCount(0, 1, SizeBytes) == 0xFFFFFFFFu);
    CHECK(ScaleByteCount(0, 0x400000, SizeKB) == 0xFFFFFFFFu);
    CHECK(ScaleByteCount(0xFFFFFFFFu, 0xFFFFFFFFu, SizeGB) == 0xFFFFFFFFu);
    // Only the four units are known.
    CHECK(ScaleByteCount(kGiB, 1, 4) == 0);
}

TEST_CASE("cluster counts and memory totals") {
    CHECK(ClusterByteCount(8, 1000, 512) == 4096000u);
    // 8 sectors times 2^30 clusters does not fit 32 bits: a 4 TiB volume.
    CHECK(ClusterByteCount(8, 0x40000000u, 512) == 0x40000000000ull);

    CHECK(PhysicalMemoryMBFromBytes(64u * 1048576 - 655360) == 64);  // a little short of 64 MiB
    CHECK(PhysicalMemoryMBFromBytes(0) == 1);
    CHECK(PhysicalMemoryMBFromBytes(0xFFFFFFFFu) == 4096);
}

TEST_CASE("drive kinds from the platform's drive types") {
    CHECK(DriveKindFromType(0, 100) == DriveNone);  // unknown
    CHECK(DriveKindFromType(1, 0) == DriveNone);    // no root directory, no size
    CHECK(DriveKindFromType(1, 1) == DriveFixed);   // no root directory, but a size
    CHECK(DriveKindFromType(3, 0) == DriveFixed);
    CHECK(DriveKindFromType(5, 0) == DriveCdRom);
    CHECK(DriveKindFromType(6, 100) == DriveNone);  // RAM disk
}

TEST_CASE("the measuring method and its loop cycle count") {
    uint32_t loop = 1;
    CHECK(ChooseSpeedMethod(0, 6, kFeatureTimeStampCounter, &loop) == SpeedMethodCounter);
    CHECK(loop == 38 * 4000);
    CHECK(ChooseSpeedMethod(-1, 5, kFeatureTimeStampCounter, &loop) == SpeedMethodRealTimeClock);
    CHECK(loop == 43 * 4000);
    // Cycles given by hand take the loop even with a time-stamp counter.
    CHECK(ChooseSpeedMethod(100, 6, kFeatureTimeStampCounter, &loop) == SpeedMethodLoop);
    CHECK(loop == 400000);
    CHECK(ChooseSpeedMethod(0, 3, 0, &loop) == SpeedMethodLoop);
    CHECK(loop == 115 * 4000);
    CHECK(ChooseSpeedMethod(-1, 4, 0, &loop) == SpeedMethodLoop);
    CHECK(loop == 47 * 4000);
    // Family 2 and lower without a counter: nothing to measure with.
    CHECK(ChooseSpeedMethod(0, 2, 0, &loop) == SpeedMethodNone);

    CHECK(LoopCyclesPerIteration(11) == 38);
    CHECK(LoopCyclesPerIteration(15) == 38);  // beyond the table: its last entry
    CHECK(LoopCyclesPerIteration(-1) == 0);
}

TEST_CASE("the counter method's samples and stop rules") {
    SUBCASE("at least three samples even when the first ones agree") {
        CounterSampleSeries series(10000000);
        const uint32_t speeds[] = {500, 500, 500, 500};
        CHECK(SamplesUntilStop(series, speeds, 4) == 3);
        const SpeedMeasurement m = series.Result();
        CHECK(m.cycles == 150000);
        CHECK(m.microseconds == 300);
        CHECK(m.rawMHz == 500);
        CHECK(m.roundedMHz == 500);
    }
    SUBCASE("stops once the last three lie within one MHz of their mean") {
        CounterSampleSeries series(10000000);
        const uint32_t speeds[] = {100, 300, 500, 501, 502, 900};
        CHECK(SamplesUntilStop(series, speeds, 6) == 5);
    }
    SUBCASE("speeds three apart are not settled") {
        CounterSampleSeries series(10000000);
        const uint32_t speeds[] = {500, 503, 500, 503, 501, 501, 501, 700};
        CHECK(SamplesUntilStop(series, speeds, 8) == 7);
    }
    SUBCASE("twenty samples at most even when they never agree") {
        CounterSampleSeries series(10000000);
        uint32_t speeds[25];
        for (int i = 0; i < 25; ++i) speeds[i] = i % 2 ? 100 : 900;
        CHECK(SamplesUntilStop(series, speeds, 25) == 20);
        const SpeedMeasurement m = series.Result();
        CHECK(m.microseconds == 2000);
        CHECK(m.rawMHz == 500);
    }
    SUBCASE("rounding of the totals") {
        CounterSampleSeries series(10000000);
        // 3 x 100 µs; 150190 cycles: 500.63 MHz rounds up, 500.5 does not.
        series.Add(50000, 1000);
        series.Add(50000, 1000);
        series.Add(50190, 1000);
        SpeedMeasurement m = series.Result();
        CHECK(m.rawMHz == 500);
        CHECK(m.roundedMHz == 501);

        CounterSampleSeries half(10000000);
        half.Add(50000, 1000);
        half.Add(50000, 1000);
        half.Add(50150, 1000);
        m = half.Result();
        CHECK(m.rawMHz == 500);
        CHECK(m.roundedMHz == 500);
    }
    SUBCASE("fast processors and long intervals do not overflow") {
        // 4 GHz over 1000 ticks of a 3.579545 MHz counter (279 µs): the totals
        // times 100 pass 32 bits, and so does the tick count times 100000.
        CounterSampleSeries series(3579545);
        for (int i = 0; i < 3; ++i) series.Add(1117460000u / 1000, 1000);
        const SpeedMeasurement m = series.Result();
        CHECK(m.microseconds == 3 * 279);
        CHECK(m.rawMHz == 4005);

        CHECK(TicksToMicroseconds(0xFFFFFFFFu, 10000000) == 429496729u);
    }
    SUBCASE("an interval of no length or a counter below 10 Hz measures nothing") {
        CounterSampleSeries fast(4000000000u);  // 1000 ticks are no whole microsecond
        CHECK_FALSE(fast.Add(3000, 1000));
        const SpeedMeasurement m = fast.Result();
        CHECK(m.cycles == 0);
        CHECK(m.microseconds == 0);
        CHECK(m.rawMHz == 0);
        CHECK(m.roundedMHz == 0);

        CounterSampleSeries slow(9);
        CHECK_FALSE(slow.Add(3000, 1000));
        CHECK(slow.Result().rawMHz == 0);
        CHECK(TicksToMicroseconds(1000, 9) == 0);
    }
}

TEST_CASE("the loop and real-time-clock methods") {
    // 400000 cycles in 1000 ticks of a 10 MHz counter: 100 µs, 4000 MHz.
    SpeedMeasurement m = LoopSpeed(400000, 1000, 10000000);
    CHECK(m.cycles == 400000);
    CHECK(m.microseconds == 100);
    CHECK(m.rawMHz == 4000);
    CHECK(m.roundedMHz == 4000);
    // 152000 cycles over 3 µs: 50666.67, rounded up.
    m = LoopSpeed(152000, 30, 10000000);
    CHECK(m.rawMHz == 50666);
    CHECK(m.roundedMHz == 50667);
    // A loop faster than a microsecond, or no counter, measures nothing.
    m = LoopSpeed(400000, 5, 10000000);
    CHECK(m.cycles == 0);
    CHECK(m.rawMHz == 0);
    CHECK(LoopSpeed(400000, 1000, 5).roundedMHz == 0);

    CHECK(RealTimeClockSpeed(1234567890ull, 0x14, 0x15, true).roundedMHz == 1234);
    m = RealTimeClockSpeed(1234667890ull, 0x14, 0x15, true);
    CHECK(m.cycles == 1234667890u);
    CHECK(m.microseconds == 1000000);
    CHECK(m.rawMHz == 1234);
    CHECK(m.roundedMHz == 1235);
    // Seconds in binary-coded decimal across a tens digit and round the minute.
    CHECK(RealTimeClockSpeed(1000, 0x19, 0x20, true).microseconds == 1000000);
    CHECK(RealTimeClockSpeed(1000, 0x59, 0x00, true).microseconds == 1000000);
    CHECK(RealTimeClockSpeed(1000, 58, 0, false).microseconds == 2000000);
    CHECK(RealTimeClockSpeed(500499999ull, 1, 2, false).roundedMHz == 500);
}

TEST_CASE("processor count, index range, family and vendor") {
    CHECK(CountProcessorsInMask(0) == 0);
    CHECK(CountProcessorsInMask(0x8000000Fu) == 5);
    CHECK(CountProcessorsInMask(0xFFFFFFFFu) == 32);
    CHECK(CountProcessorsInMask(~0ull) == 64);  // a 64-bit affinity mask

    CHECK(ProcessorIndexInRange(0, 1));
    CHECK_FALSE(ProcessorIndexInRange(1, 1));
    CHECK_FALSE(ProcessorIndexInRange(-1, 1));
    // With no processors counted every index passes.
    CHECK(ProcessorIndexInRange(0, 0));
    CHECK(ProcessorIndexInRange(-1, 0));
    CHECK(ProcessorIndexInRange(1000, 0));

    CHECK(FamilyFromCpuidSignature(0x000306A9) == 6);
    CHECK(FamilyFromCpuidSignature(0x00800F12) == 15);  // extended family not added

    // "GenuineIntel" as EBX, EDX, ECX of leaf 0 hold it.
    CHECK(std::string(ChooseVendorText(nullptr, true, 0x756E6547, 0x49656E69, 0x6C65746E)) ==
          "GenuineIntel");
    CHECK(std::string(ChooseVendorText(nullptr, false, 0x756E6547, 0x49656E69, 0x6C65746E)) ==
          "???");
    CHECK(std::string(ChooseVendorText("AuthenticAMD", true, 0x756E6547, 0, 0)) ==
          "AuthenticAMD");
    const std::string longText(100, 'v');
    CHECK(std::string(ChooseVendorText(longText.c_str(), true, 0, 0, 0)) ==
          std::string(79, 'v'));
    CHECK(std::string(ChooseVendorText("", true, 0x756E6547, 0, 0)).empty());
}
