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

#include <cmath>

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

} // namespace
