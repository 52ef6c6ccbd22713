#include "core/Commands.h"
#include "core/CycleDriver.h"
#include "core/RunCommands.h"
#include "core/SimulatedLoop.h"
#include "core/StartUp.h"
#include "hardware/BoardLayer.h"
#include "hardware/sim/BenchFile.h"
#include "hardware/sim/SimBench.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <vector>

namespace {

using namespace sim;

// The whole controller on the real board path, against the default bench.
struct ClosedLoopTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    SimBench bench{t.clock, DefaultBenchModel()};
    CycleDriver driver{c};

    ClosedLoopTest() {
        c.WorkingFolder = "/nonexistent-zek8-folder"; // no profile or calibration file: defaults
        c.ports.daq = &bench;
        StartUp(c);
    }
    void RunFor(double seconds) {
        RunSimulated(driver, t.clock, t.clock.TickMs() + static_cast<std::int64_t>(seconds * 1000));
    }
    double ErrorDb() const {
        return 20.0 * std::log10(static_cast<double>(c.ControlValue) / static_cast<double>(c.ReferenceLevel));
    }
};

TEST_F(ClosedLoopTest, HeldAtOneHundredHertzTheResponseSettlesOnTheReference) {
    ASSERT_EQ(c.DemoMode, 0.0f);
    c.CurrentFrequency = 100.0f;
    StartServo(c);
    RunFor(10.0);
    ASSERT_EQ(c.ServoOn, 1.0f) << c.AbortMessage;
    // 100 Hz lies on the 20 G segment of the default profile.
    EXPECT_NEAR(c.ReferenceLevel, 20.0f, 1e-4f);
    for (int second = 0; second < 20; ++second) {
        RunFor(1.0);
        ASSERT_LT(std::fabs(ErrorDb()), 0.5) << "at " << second << " s: " << c.ControlValue;
    }
    // The bare table gives 60 G x 1.0014 (suspension, 4 Hz, Q 2) x 1.0002 (armature,
    // 6500 Hz, Q 4) = 60.10 G at full drive here: 20 G takes 0.3328 of full output.
    EXPECT_NEAR(c.DriveOutput, 0.3328f, 0.005f);
    EXPECT_NEAR(bench.ChannelAmplitudeG(1), 20.0, 0.3);
    EXPECT_EQ(bench.Unit(0).protocolErrors, 0);
    EXPECT_EQ(driver.LastFault(), "");
}

TEST_F(ClosedLoopTest, ARestartRightAfterAStopJudgesOnlyTheNewTest) {
    StartServo(c);
    RunSweep(c);
    RunFor(20.0); // about 9.4 Hz and 2.1 G
    ASSERT_EQ(c.ServoOn, 1.0f) << c.AbortMessage;
    HandleKey(c, 'A');
    RunFor(0.5);
    HandleKey(c, 'L');
    RunFor(0.5);
    StartServo(c);
    RunSweep(c);
    RunFor(5.0);
    EXPECT_EQ(c.AbortCode, 0.0f) << c.AbortMessage << ": the stopped test's 2.1 G against 0.64 G";
    EXPECT_EQ(c.ServoOn, 1.0f);
}

TEST_F(ClosedLoopTest, SixteenChannelsWithTheSlaveNotOpenAreToldOnceAndTheMasterReadsOn) {
    SetActiveChannels(c, 16); // started with eight: the slave board was never opened
    c.CurrentFrequency = 100.0f;
    StartServo(c);
    RunFor(3.0);
    int told = 0;
    for (const ScriptedDialogs::Shown& box : t.dialogs.History()) told += box.title == "Error!";
    EXPECT_EQ(told, 1);
    EXPECT_EQ(c.ServoOn, 1.0f) << c.AbortMessage;
    EXPECT_GT(c.ChannelResponse[1], 1.0f);
}

TEST_F(ClosedLoopTest, DefaultProfileRunsToTheEndOfTestWithoutAnAbort) {
    StartServo(c);
    RunSweep(c);
    for (int second = 0; second < 900 && IsOn(c.SweepRunning); ++second) RunFor(1.0);
    EXPECT_EQ(c.SweepRunning, 0.0f);
    EXPECT_EQ(c.AbortCode, 0.0f) << c.AbortMessage;
    EXPECT_EQ(c.CurrentFrequency, 5.0f);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(bench.Unit(0).protocolErrors, 0);
    EXPECT_EQ(driver.LastFault(), "");
    EXPECT_EQ(bench.Unit(0).driveHigh, 0u) << "the drive is off after the test";
}

// Sixteen bare-table sensors, each with its own sensitivity, entered by the operator
// after ticking 16 input channels.
struct SixteenChannelClosedLoopTest : ::testing::Test {
    // mV/G of channels 1..16. The expected peak at the profile's 20 G, 20 x mV/G, picks the
    // gain code: 1000 mV and up x1 (0), from 500 x2 (1), from 250 x4 (2), from 125 x8 (3),
    // below that x16 (4). Channel 9: 2000 mV, code 0; channel 10: 100 mV, code 4;
    // channel 11: 250 mV, code 2; channel 13: exactly 125 mV, code 3; channel 15:
    // exactly 1000 mV, code 0. At 20 G no input passes 26216 counts (2000 mV x 13.108).
    static constexpr std::array<float, 16> Sensitivity = {10,  6, 25,    60, 15,    7,  40, 80,
                                                          100, 5, 12.5f, 30, 6.25f, 20, 50, 9};
    TestController t;
    Controller& c = t.c;
    SimBench bench{t.clock, BareTable()};
    CycleDriver driver{c};

    static BenchModel BareTable() {
        BenchModel model = DefaultBenchModel();
        for (std::size_t k = 0; k < 16; ++k) {
            model.channels[k].onSpecimen = false;
            model.channels[k].sensitivity = static_cast<double>(Sensitivity[k]);
        }
        return model;
    }
    SixteenChannelClosedLoopTest() {
        c.WorkingFolder = "/nonexistent-zek8-folder";
        c.ports.daq = &bench;
        StartUp(c);
        RunMenuCommand(c, "mnuSystemActiveChannels16");
        for (int k = 0; k < 16; ++k) {
            std::ostringstream text;
            text << Sensitivity[static_cast<std::size_t>(k)];
            t.dialogs.QueueInput(text.str());
            RunMenuCommand(c, "mnuInputsSens", k);
        }
    }
    void RunFor(double seconds) {
        RunSimulated(driver, t.clock, t.clock.TickMs() + static_cast<std::int64_t>(seconds * 1000));
    }
};

TEST_F(SixteenChannelClosedLoopTest, EveryChannelReadsTheTableThroughItsOwnGain) {
    ASSERT_EQ(c.DemoMode, 0.0f);
    ASSERT_EQ(c.SecondBoardActive, 1);
    for (int k = 1; k <= 16; ++k) ASSERT_EQ(c.P[SensitivityEntry(k)], Sensitivity[static_cast<std::size_t>(k - 1)]);
    c.CurrentFrequency = 100.0f;
    StartServo(c);
    RunFor(20.0);
    ASSERT_EQ(c.ServoOn, 1.0f) << c.AbortMessage;
    EXPECT_EQ(bench.ScanGains(SimBench::MasterHandle), (std::vector<std::int32_t>{3, 4, 1, 0, 2, 3, 1, 0}));
    EXPECT_EQ(bench.ScanGains(SimBench::SlaveHandle), (std::vector<std::int32_t>{0, 4, 2, 1, 3, 2, 0, 3}));
    const float control = c.ChannelResponse[1];
    EXPECT_NEAR(control, 20.0f, 0.2f);
    for (std::size_t k = 2; k <= 16; ++k) EXPECT_NEAR(c.ChannelResponse[k], control, 0.05f) << "channel " << k;
    for (const ScriptedDialogs::Shown& box : t.dialogs.History()) EXPECT_NE(box.title, "Error!") << box.text;
}

} // namespace
