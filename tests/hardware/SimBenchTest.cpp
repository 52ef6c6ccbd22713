#include "hardware/sim/SimBench.h"
#include "core/Defaults.h"
#include "hardware/BoardLayer.h"
#include "hardware/ConditioningUnit.h"
#include "hardware/sim/BenchFile.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

using namespace sim;

// A bench whose table follows the drive exactly: resonances far outside the band, no
// noise and no distortion, so block amplitudes can be worked out by hand.
BenchModel QuietBench() {
    std::istringstream file("shaker.full-drive-g 60\nshaker.suspension 0.1 1\nshaker.armature 100000 1\n"
                            "noise-g 0\ndistortion 0\n");
    return ReadBenchFile(file);
}

struct SimBenchTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    std::unique_ptr<SimBench> bench;

    void Start(BenchModel model) {
        bench = std::make_unique<SimBench>(t.clock, std::move(model));
        SetDefaults(c);
        c.ports.daq = bench.get();
        InitialiseHardware(c);
    }
    std::vector<std::int16_t> Block() {
        ReadAdcBlock(c);
        return {c.AdcBuffer.begin(), c.AdcBuffer.begin() + 1024 * 8};
    }
    static int PeakOf(const std::vector<std::int16_t>& block, int channel) {
        int peak = 0;
        for (int s = 0; s < 1024; ++s) peak = std::max(peak, std::abs(static_cast<int>(block[s * 8 + channel - 1])));
        return peak;
    }
    void Drive(float hz, std::int16_t high) {
        c.FrequencyWord = hz * 8.192f;
        SendFrequencyWord(c);
        SendDriveWord(c, 0, high);
    }
};

TEST_F(SimBenchTest, DecodesEveryWordTheBoardLayerSends) {
    Start(QuietBench());
    ASSERT_EQ(c.DemoMode, 0.0f);
    for (std::uint32_t word = 0; word <= 65535; word += 7) {
        c.FrequencyWord = static_cast<float>(word);
        ShiftOutFrequencyWord(c);
        ASSERT_EQ(bench->Unit(0).frequencyWord, word);
    }
    for (std::int16_t half = 0; half <= 4095; ++half) {
        ShiftOutDriveWord(c, static_cast<std::int16_t>(4095 - half), half);
        ASSERT_EQ(bench->Unit(0).driveHigh, static_cast<std::uint32_t>(half));
        ASSERT_EQ(bench->Unit(0).driveLow, static_cast<std::uint32_t>(4095 - half));
    }
    for (std::int16_t word = 0; word <= 255; ++word) {
        SendCurrentSourceWord(c, word);
        ASSERT_EQ(bench->Unit(0).currentSources, static_cast<std::uint32_t>(word));
    }
    WritePort(c, PortNumber::B, 3);
    EXPECT_EQ(bench->Unit(0).portB, 3);
    EXPECT_EQ(bench->Unit(0).protocolErrors, 0);
}

TEST_F(SimBenchTest, MalformedSequencesAreCountedNotGuessed) {
    Start(QuietBench());
    Drive(100.0f, 2000);
    const std::uint32_t word = bench->Unit(0).frequencyWord;
    for (int bit = 0; bit < 15; ++bit) { // one bit short
        WritePort(c, PortNumber::A, 16);
        WritePort(c, PortNumber::A, 17);
    }
    WritePort(c, PortNumber::A, 48);
    EXPECT_EQ(bench->Unit(0).frequencyWord, word);
    EXPECT_EQ(bench->Unit(0).protocolErrors, 1);

    WritePort(c, PortNumber::A, 0); // a drive frame of three bits
    for (int bit = 0; bit < 3; ++bit) {
        WritePort(c, PortNumber::A, 2);
        WritePort(c, PortNumber::A, 3);
    }
    WritePort(c, PortNumber::A, 16);
    EXPECT_EQ(bench->Unit(0).driveHigh, 2000u);
    EXPECT_EQ(bench->Unit(0).protocolErrors, 2);
}

TEST_F(SimBenchTest, BlocksCarryTheTableMotionInCounts) {
    Start(QuietBench());
    c.ScanGains[0] = 1; // x2
    c.ScanGains[3] = 4; // x16
    RestartAcquisition(c);
    Drive(100.0f, 2000);
    t.clock.AdvanceMs(200);
    const auto block = Block();
    EXPECT_EQ(c.AdcScansRead, 1024);
    // Half drive of 60 G: 30 G x 10 mV/G x 13.108 counts/mV x 2 = 7864.8 counts.
    EXPECT_NEAR(PeakOf(block, 1), 7865, 3);
    EXPECT_NEAR(bench->ChannelAmplitudeG(1), 30.0, 0.01);
    // At x16 the same motion is 62918 counts: the converter clips at its rails.
    const auto [low, high] = std::minmax_element(block.begin(), block.end());
    EXPECT_EQ(*high, 32767);
    EXPECT_EQ(*low, -32768);
}

TEST_F(SimBenchTest, PhaseRunsOnAcrossReads) {
    Start(QuietBench());
    Drive(37.0f, 3000);
    t.clock.AdvanceMs(500);
    const auto first = Block();
    t.clock.AdvanceMs(50); // 512 scans later
    const auto second = Block();
    for (int s = 0; s < 512; ++s)
        ASSERT_EQ(second[static_cast<std::size_t>(s * 8)], first[static_cast<std::size_t>((s + 512) * 8)]) << s;
}

TEST_F(SimBenchTest, SensorsThatNeedTheirCurrentSource) {
    std::istringstream file("noise-g 0\nchannel 2 table 10 current\n");
    Start(ReadBenchFile(file));
    Drive(200.0f, 2000);
    t.clock.AdvanceMs(200);
    EXPECT_EQ(PeakOf(Block(), 2), 0);
    c.P[12] = 2.0f; // channel 2's source on
    UpdateCurrentSources(c);
    t.clock.AdvanceMs(200);
    EXPECT_GT(PeakOf(Block(), 2), 1000);
}

TEST_F(SimBenchTest, InjectedFaults) {
    std::istringstream file("noise-g 0\nfault sensor 1 dead 10\nfault sensor 4 saturate 10\n"
                            "fault call daqAdcTransferBufData 77 from 3\n");
    Start(ReadBenchFile(file));
    Drive(100.0f, 2000);
    t.clock.AdvanceMs(9000);
    auto block = Block();
    EXPECT_GT(PeakOf(block, 1), 1000);
    t.clock.AdvanceMs(2000);
    block = Block();
    EXPECT_EQ(PeakOf(block, 1), 0);
    EXPECT_EQ(block[3], 32767);
    Block(); // the third read fails
    EXPECT_EQ(c.AdcScansRead, 0);
    EXPECT_EQ(t.dialogs.History().back().text, "DaqX Error : 77\nDevice error");

    for (const char* missing : {"fault board-missing\n", "fault library-missing\n"}) {
        TestController other;
        std::istringstream text(missing);
        SimBench absent(other.clock, ReadBenchFile(text));
        SetDefaults(other.c);
        other.c.ports.daq = &absent;
        InitialiseHardware(other.c);
        EXPECT_EQ(other.c.DemoMode, 1.0f) << missing;
    }
}

TEST_F(SimBenchTest, ClosedOrUnknownHandlesTouchNothing) {
    SimBench bare(t.clock, QuietBench());
    EXPECT_EQ(bare.daqAdcArm(NoDaqHandle), SimBench::InvalidHandle);
    EXPECT_EQ(bare.daqIOWrite(5, 1, 0, 0, 1, 16), SimBench::InvalidHandle);
    EXPECT_FALSE(bare.Open(0));
    const DaqHandle h = bare.daqOpen("DaqBoard1K0");
    EXPECT_EQ(h, 0);
    EXPECT_EQ(bare.daqClose(h), 0);
    EXPECT_EQ(bare.daqAdcArm(h), SimBench::InvalidHandle);
    int count = 5;
    std::vector<std::int16_t> buffer(8192);
    EXPECT_NE(bare.daqAdcTransferBufData(h, buffer, 1024, 1, count), 0);
    EXPECT_EQ(count, 0);
}

TEST_F(SimBenchTest, PushButtonsAreActiveLow) {
    Start(QuietBench());
    EXPECT_EQ(ReadPort(c, PortNumber::C), 15);
    bench->Press(0, true);
    bench->Press(3, true);
    EXPECT_EQ(ReadPort(c, PortNumber::C), 6);
    bench->Press(0, false);
    EXPECT_EQ(ReadPort(c, PortNumber::C), 7);
}

TEST(BenchFile, ReadsEveryKeyAndNamesTheBadLine) {
    std::istringstream good("# a bench\nshaker.full-drive-g 25\r\nshaker.armature 3000 6\n\n"
                            "channel 3 specimen 250 20 9.5 current  # a bracket\nseed 7\nfault slave-missing\n");
    const BenchModel model = ReadBenchFile(good);
    EXPECT_EQ(model.fullDriveG, 25.0f);
    EXPECT_EQ(model.armatureHz, 3000.0f);
    EXPECT_EQ(model.armatureQ, 6.0f);
    EXPECT_TRUE(model.channels[2].onSpecimen);
    EXPECT_EQ(model.channels[2].modeHz, 250.0f);
    EXPECT_EQ(model.channels[2].sensitivity, 9.5f);
    EXPECT_TRUE(model.channels[2].needsCurrent);
    EXPECT_EQ(model.seed, 7u);
    EXPECT_FALSE(model.slavePresent);
    EXPECT_TRUE(model.masterPresent);

    const std::pair<const char*, const char*> bad[] = {
        {"noise-g 0\nshaker.gain 5\n", "line 2: unknown key 'shaker.gain'"},
        {"channel 17 table 10\n", "line 1: '17' is outside"},
        {"shaker.full-drive-g nan\n", "line 1: 'nan' is not a number"},
        {"shaker.full-drive-g 1e999\n", "line 1: '1e999' is not a number"},
        {"channel 2 floor 10\n", "line 1: a channel sits on"},
        {"fault sensor 2 melts 3\n", "line 1: a sensor goes"},
        {"distortion 0.1 0.2\n", "line 1: unexpected '0.2'"},
        {"shaker.suspension 5\n", "line 1: 'shaker.suspension' needs more values"},
    };
    for (const auto& [text, message] : bad) {
        std::istringstream in(text);
        try {
            ReadBenchFile(in);
            ADD_FAILURE() << text;
        } catch (const BenchFileError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

} // namespace
