#include "SimBenchRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using sim::SimBench;
constexpr DaqHandle Master = SimBench::MasterHandle;
constexpr DaqHandle Slave = SimBench::SlaveHandle;
constexpr std::array<std::int32_t, 8> AllX1{0, 0, 0, 0, 0, 0, 0, 0};

// 100 Hz asks for word 819, which the source turns back into 99.9756 Hz.
constexpr double HundredHz = 819 / 8.192;

TEST(SimBenchSignal, ATableChannelReadsGTimesSensitivityTimesCountsPerMillivoltTimesGain) {
    sim::BenchModel model = QuietBench();
    model.channels[2].sensitivity = 9.5; // the true sensitivity, not the controller's 10
    BenchRig rig(std::move(model));
    ASSERT_EQ(rig.Bring("DaqBoard1K0", {1, 4, 0, 3, 0, 0, 0, 0}), Master);
    rig.Drive(100.0, 2000); // half of 60 G full drive: 30 G
    rig.clock.AdvanceMs(200);
    ASSERT_EQ(rig.Read(Master), 1024);
    EXPECT_NEAR(rig.bench.DriveFrequencyHz(), HundredHz, 1e-9);
    EXPECT_NEAR(rig.bench.ChannelAmplitudeG(1), 30.0, 1e-3);
    // 30 G x 10 mV/G x 13.108 counts/mV x 2 (code 1) = 7864.8 counts.
    EXPECT_NEAR(SineAmplitude(rig.Channel(1, 0, 1024), HundredHz), 7864.8, 1.0);
    // 30 G x 9.5 mV/G x 13.108 x 1 = 3735.8 counts.
    EXPECT_NEAR(SineAmplitude(rig.Channel(3, 0, 1024), HundredHz), 3735.8, 1.0);

    // Code 3 (x8) on channel 4 at 1/20 of full drive: 3 G x 10 x 13.108 x 8 = 3145.9.
    rig.Drive(100.0, 200);
    rig.clock.AdvanceMs(200);
    ASSERT_EQ(rig.Read(Master), 1024);
    EXPECT_NEAR(SineAmplitude(rig.Channel(4, 0, 1024), HundredHz), 3145.9, 1.0);

    // Code 4 (x16) at 30 G would be 62918 counts: the converter sits at its rails.
    rig.Drive(100.0, 2000);
    rig.clock.AdvanceMs(200);
    rig.Read(Master);
    const std::vector<double> clipped = rig.Channel(2, 0, 1024);
    EXPECT_EQ(*std::max_element(clipped.begin(), clipped.end()), 32767.0);
    EXPECT_EQ(*std::min_element(clipped.begin(), clipped.end()), -32768.0);
    EXPECT_GT(std::count(clipped.begin(), clipped.end(), 32767.0), 300);
}

TEST(SimBenchSignal, ASpecimenModeAndTheSlaveBoardFollowTheMastersDrive) {
    sim::BenchModel model = QuietBench();
    model.channels[9].onSpecimen = true; // channel 10, on the slave
    model.channels[9].modeHz = 1000.0;
    model.channels[9].modeQ = 5.0;
    BenchRig rig(std::move(model));
    rig.Bring("DaqBoard1K0", AllX1);
    ASSERT_EQ(rig.Bring("DaqBoard1K1", AllX1), Slave);
    rig.Drive(1000.0, 200); // word 8192: exactly 1000 Hz, 3 G on the table
    rig.clock.AdvanceMs(150);
    ASSERT_EQ(rig.Read(Slave), 1024);
    // At the mode, base excitation gives sqrt(1 + Q^2) = 5.099: 15.297 G x 10 x 13.108.
    EXPECT_NEAR(SineAmplitude(rig.Channel(2, 0, 1024), 1000.0), 2005.2, 1.0);
    EXPECT_NEAR(SineAmplitude(rig.Channel(1, 0, 1024), 1000.0), 393.2, 1.0); // table: 3 G
    // The slave's own words drive nothing.
    rig.PortA(Slave, DriveFrameWrites(4000, 0));
    rig.clock.AdvanceMs(150);
    rig.Read(Slave);
    EXPECT_NEAR(SineAmplitude(rig.Channel(1, 0, 1024), 1000.0), 393.2, 1.0);
}

TEST(SimBenchSignal, ScansAreTakenOnTheClockFromTheMomentScanningStarts) {
    BenchRig rig(QuietBench());
    rig.Bring("DaqBoard1K0", AllX1);
    EXPECT_EQ(rig.Read(Master), 0);
    rig.clock.AdvanceMs(50); // 50 ms x 10.24 scans/ms
    EXPECT_EQ(rig.Read(Master), 512);
    int active = 0, count = 0;
    rig.bench.daqAdcTransferGetStat(Master, active, count);
    EXPECT_EQ(active, 1);
    EXPECT_EQ(count, 512);
    rig.clock.AdvanceMs(1000);
    EXPECT_EQ(rig.Read(Master), 1024);

    // A drive word counts from the moment it is sent: the newer half of this block
    // carries twice the older half's amplitude.
    rig.Drive(1000.0, 500);
    rig.clock.AdvanceMs(50);
    rig.Drive(1000.0, 1000);
    rig.clock.AdvanceMs(50);
    ASSERT_EQ(rig.Read(Master), 1024);
    EXPECT_NEAR(SineAmplitude(rig.Channel(1, 0, 512), 1000.0), 983.1, 1.0); // 7.5 G x 131.08
    EXPECT_NEAR(SineAmplitude(rig.Channel(1, 512, 512), 1000.0), 1966.2, 1.0);

    // Stopped, the board gives no block and says why.
    rig.bench.daqAdcDisarm(Master);
    int returned = 7;
    EXPECT_EQ(rig.bench.daqAdcTransferBufData(Master, rig.block, 1024, 1, returned), SimBench::NotScanning);
    EXPECT_EQ(returned, 0);
}

TEST(SimBenchSignal, ThePhaseRunsOnAcrossReadsRetunesAndLongGaps) {
    BenchRig rig(QuietBench());
    rig.Bring("DaqBoard1K0", AllX1);
    rig.Drive(37.0, 3000);
    rig.clock.AdvanceMs(500);
    rig.Read(Master);
    const std::vector<double> first = rig.Channel(1, 0, 1024);
    rig.clock.AdvanceMs(50);
    rig.Read(Master);
    EXPECT_EQ(rig.Channel(1, 0, 512), std::vector<double>(first.begin() + 512, first.end()));

    // Retuned mid-block from 200 to 300 Hz, the source carries on from the phase it had:
    // at the scan taken at the moment of the retune (scan 511: 50 ms is 512 scans) the
    // phases fitted before and after differ only by the table's own phase shift at the
    // two frequencies.
    rig.Drive(200.0, 4000);
    rig.clock.AdvanceMs(50);
    rig.Drive(300.0, 4000);
    rig.clock.AdvanceMs(50);
    rig.Read(Master);
    const double before = 1638 / 8.192, after = 2457 / 8.192;
    const double step = 2.0 * std::numbers::pi / 10240.0;
    const double atRetuneBefore = SinePhase(rig.Channel(1, 0, 512), before) + step * before * 511;
    const double atRetuneAfter = SinePhase(rig.Channel(1, 512, 512), after) - step * after;
    const sim::ShakerPlant plant(QuietBench());
    const double tableShift = std::arg(plant.ChannelResponse(1, after)) - std::arg(plant.ChannelResponse(1, before));
    EXPECT_NEAR(std::remainder(atRetuneAfter - atRetuneBefore - tableShift, 2.0 * std::numbers::pi), 0.0, 1e-4);
    EXPECT_NEAR(SineAmplitude(rig.Channel(1, 512, 512), after), 60.0 * 131.08, 1.0);

    // Hours later only the newest block is made, and it still runs on smoothly.
    rig.Drive(250.0, 2000); // exactly 250 Hz
    rig.clock.AdvanceMs(5 * 3600 * 1000);
    ASSERT_EQ(rig.Read(Master), 1024);
    const std::vector<double> late = rig.Channel(1, 0, 1024);
    EXPECT_NEAR(SineAmplitude(late, 250.0), 30.0 * 131.08, 1.0);
    rig.clock.AdvanceMs(25);
    rig.Read(Master);
    EXPECT_EQ(rig.Channel(1, 0, 768), std::vector<double>(late.begin() + 256, late.end()));
}

TEST(SimBenchSignal, ASensorThatNeedsCurrentReadsNothingUntilItsSourceIsOn) {
    sim::BenchModel model = QuietBench();
    model.channels[1].needsCurrent = true;  // channel 2
    model.channels[10].needsCurrent = true; // channel 11: bit 2 of the slave's word
    BenchRig rig(std::move(model));
    rig.Bring("DaqBoard1K0", AllX1);
    rig.Bring("DaqBoard1K1", AllX1);
    rig.Drive(1000.0, 400);
    rig.clock.AdvanceMs(200);
    rig.Read(Master);
    EXPECT_EQ(SineAmplitude(rig.Channel(2, 0, 1024), 1000.0), 0.0);
    EXPECT_NEAR(SineAmplitude(rig.Channel(1, 0, 1024), 1000.0), 786.5, 1.0);

    rig.PortA(Master, CurrentSourceWrites(0b10)); // channel 2's source
    rig.PortA(Slave, CurrentSourceWrites(0b01));  // channel 9's, not 11's
    rig.clock.AdvanceMs(200);
    rig.Read(Master);
    EXPECT_NEAR(SineAmplitude(rig.Channel(2, 0, 1024), 1000.0), 786.5, 1.0);
    rig.Read(Slave);
    EXPECT_EQ(SineAmplitude(rig.Channel(3, 0, 1024), 1000.0), 0.0);
    rig.PortA(Slave, CurrentSourceWrites(0b100));
    rig.clock.AdvanceMs(200);
    rig.Read(Slave);
    EXPECT_NEAR(SineAmplitude(rig.Channel(3, 0, 1024), 1000.0), 786.5, 1.0);
}

TEST(SimBenchSignal, NoiseIsRepeatableForItsSeedAndOfItsSize) {
    auto rms = [](std::uint32_t seed) {
        sim::BenchModel model = QuietBench();
        model.seed = seed;
        model.channels[0].noiseG = 0.5; // 5 mV rms at x16: 1048.6 counts rms
        BenchRig rig(std::move(model));
        rig.Bring("DaqBoard1K0", {4, 0, 0, 0, 0, 0, 0, 0});
        rig.clock.AdvanceMs(100);
        rig.Read(Master);
        double sum = 0;
        for (const double x : rig.Channel(1, 0, 1024)) sum += x * x;
        return std::sqrt(sum / 1024);
    };
    EXPECT_EQ(rms(3), rms(3));
    EXPECT_NE(rms(3), rms(4));
    EXPECT_NEAR(rms(3), 1048.6, 1048.6 * 0.08);
}

TEST(SimBenchSignal, DistortionAddsHarmonicsBelowHalfTheScanRate) {
    sim::BenchModel model = QuietBench();
    model.harmonics = {0.1, 0.05};
    BenchRig rig(std::move(model));
    rig.Bring("DaqBoard1K0", AllX1);
    rig.Drive(1000.0, 2000);
    rig.clock.AdvanceMs(200);
    rig.Read(Master);
    const std::vector<double> samples = rig.Channel(1, 0, 1024);
    EXPECT_NEAR(SineAmplitude(samples, 1000.0), 3932.4, 1.0);
    EXPECT_NEAR(SineAmplitude(samples, 2000.0), 393.2, 1.0);
    EXPECT_NEAR(SineAmplitude(samples, 3000.0), 196.6, 1.0);
    // At 2 kHz the third harmonic (6 kHz) lies above 5120 Hz and is filtered out.
    rig.Drive(2000.0, 2000);
    rig.clock.AdvanceMs(200);
    rig.Read(Master);
    const std::vector<double> high = rig.Channel(1, 0, 1024);
    EXPECT_NEAR(SineAmplitude(high, 4000.0), 393.2, 1.0);
    EXPECT_LT(SineAmplitude(high, 10240.0 - 6000.0), 1.0); // where 6 kHz would alias
}

TEST(SimBenchSignal, PushButtonsReadActiveLowOnPortC) {
    sim::BenchModel model = QuietBench();
    model.presses.push_back({RunButton::SweepRun, 10.0, 0.5});
    BenchRig rig(std::move(model));
    const DaqHandle h = rig.Bring("DaqBoard1K0", AllX1);
    auto portC = [&] {
        int value = -1;
        EXPECT_EQ(rig.bench.daqIORead(h, 1, 2, 0, 1, value), 0);
        return value;
    };
    EXPECT_EQ(portC(), 15);
    rig.bench.Press(RunButton::ServoOn);
    rig.bench.PressFor(RunButton::SweepHold, 300);
    EXPECT_EQ(portC(), 0b0110);
    rig.clock.AdvanceMs(300);
    EXPECT_EQ(portC(), 0b1110);
    rig.bench.Release(RunButton::ServoOn);
    EXPECT_EQ(portC(), 15);
    rig.clock.AdvanceToMs(10000); // the scheduled Sweep Run press
    EXPECT_EQ(portC(), 0b1011);
    rig.clock.AdvanceToMs(10500);
    EXPECT_EQ(portC(), 15);
}

} // namespace
