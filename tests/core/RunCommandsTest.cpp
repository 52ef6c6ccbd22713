#include "core/RunCommands.h"
#include "core/Commands.h"
#include "core/ControlCycle.h"
#include "core/Defaults.h"
#include "engine/ReferenceProfile.h"
#include "plot/SweepHistory.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

// The run commands in demo mode, so that no board is involved.
struct RunCommandsTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    RunCommandsTest() {
        SetDefaults(c);
        c.DemoMode = 1.0f;
        StopTest(c);
    }
};

// The default profile: 5 Hz D, 20 Hz A, 44.3 Hz D, 62.6 Hz A, 5000 Hz A at the upper
// limit, then empty rows. The reference walks rows 1 to 5; what lies beyond is not used.
TEST(ServoOnProfile, RefusesAProfileTheReferenceCannotFollowAndNamesTheRow) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::string frequency3 =
        "The profile cannot be run: the frequency of row 3 must be greater than 0 and not less than that of row 2.";
    struct Case {
        int row;
        float frequency, level; // NaN: left as it is
        std::string told;       // empty: the servo starts
    };
    const Case cases[] = {
        {3, 4.43f, nan, frequency3}, // a typing slip for 44.3: row 1's 500 mils would run to 6.4e5 G
        {3, 0.0f, nan, frequency3},
        {3, -44.3f, nan, frequency3},
        {4, nan, inf, "The profile cannot be run: the level of row 4 is not a finite number."},
        {5, nan, -inf, "The profile cannot be run: the level of row 5 is not a finite number."},
        {4, 44.3f, nan, ""}, // two rows at one frequency: the first opens an empty segment
        {6, 10.0f, inf, ""}, // beyond the row at the upper limit
        {40, 1.0f, nan, ""}, // likewise
        {3, nan, 0.0f, ""},  // a level of 0 gives no reference and keeps the last one
    };
    for (const Case& k : cases) {
        TestController t;
        Controller& c = t.c;
        SetDefaults(c);
        c.DemoMode = 1.0f;
        BreakpointRow& row = c.Breakpoints[k.row];
        if (!std::isnan(k.frequency)) row.Frequency = k.frequency;
        if (!std::isnan(k.level)) row.Level = k.level;
        c.DriveOutput = 0.25f;
        StartServo(c);
        const std::string name = "row " + std::to_string(k.row);
        EXPECT_EQ(c.ServoOn, k.told.empty() ? 1.0f : 0.0f) << name;
        if (k.told.empty()) continue;
        ASSERT_FALSE(t.dialogs.History().empty()) << name;
        EXPECT_EQ(t.dialogs.History().back().text, k.told) << name;
        EXPECT_EQ(c.DriveOutput, 0.25f) << name << ": nothing reaches the drive";
        EXPECT_EQ(c.RemoteCommandCode, 0.0f) << name << ": and nothing is published";
    }
}

TEST_F(RunCommandsTest, ServoOffFromTheMenuKeepsTheSweepButTheButtonAndKeyHoldIt) {
    StartServo(c);
    RunSweep(c);
    RunMenuCommand(c, "mnuRunServoOff");
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.SweepRunning, 1.0f);

    StartServo(c);
    ClickControl(c, "cmdServoOff");
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.SweepRunning, 0.0f);

    StartServo(c);
    RunSweep(c);
    HandleKey(c, 'o');
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.SweepRunning, 0.0f);
    EXPECT_EQ(c.Indicators.Item("cmdServoOff").foreColor, 0xFF0000u);
    EXPECT_EQ(c.Indicators.Item("cmdHold").foreColor, 0xFF0000u);
}

TEST_F(RunCommandsTest, LimitItemsOnlyMoveTheFrequencyAndTheKeysAlsoStop) {
    StartServo(c);
    c.SweepCounter = 1.5f;
    c.LastStoredFrequency = 300.0f;
    RunMenuCommand(c, "mnuRunUL");
    EXPECT_EQ(c.CurrentFrequency, 5000.0f);
    EXPECT_EQ(c.ServoOn, 1.0f);
    RunMenuCommand(c, "mnuRunLL");
    EXPECT_EQ(c.CurrentFrequency, 5.0f);
    EXPECT_EQ(c.TestStarted, 1.0f);

    HandleKey(c, 'u');
    EXPECT_EQ(c.CurrentFrequency, 5000.0f);
    EXPECT_EQ(c.TestStarted, 0.0f);
    EXPECT_EQ(c.SweepCounter, 1.5f);
    EXPECT_EQ(c.LastStoredFrequency, 300.0f);

    StartServo(c);
    HandleKey(c, 'L');
    EXPECT_EQ(c.CurrentFrequency, 5.0f);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.SweepCounter, 0.5f);
    EXPECT_EQ(c.LastStoredFrequency, 5.0f);
}

TEST_F(RunCommandsTest, ServoOnAtALimitWithNoTestClearsTheHistory) {
    c.History.at(10, 1) = 123.0f;
    c.HistoryCount = 10;
    c.CurrentFrequency = 40.0f;
    StartServo(c);
    EXPECT_EQ(c.History.at(10, 1), 123.0f) << "not at a limit";
    EXPECT_EQ(c.HistoryCount, 1);

    c.HistoryCount = 10;
    c.CurrentFrequency = c.P[1];
    StartServo(c);
    EXPECT_EQ(c.History.at(10, 1), 123.0f) << "a test is under way";
    EXPECT_EQ(c.HistoryCount, 10) << "resuming appends to the stored points";

    StopTest(c);
    c.CurrentFrequency = c.P[1];
    StartServo(c);
    EXPECT_EQ(c.History.at(10, 1), 0.0f);
    EXPECT_EQ(c.LastStoredFrequency, c.P[1]);
}

TEST_F(RunCommandsTest, ATestStartedAtTheUpperLimitStoresItsDownSweep) {
    c.CurrentFrequency = c.P[2];
    c.SweepDirection = 1.0f;
    StartServo(c);
    EXPECT_EQ(c.LastStoredFrequency, 5000.0f);
    c.CurrentFrequency = 4960.0f; // 0.992 of 5000: not yet 1 % down
    AppendHistoryPoint(c);
    EXPECT_EQ(c.HistoryCount, 1);
    c.CurrentFrequency = 4940.0f;
    AppendHistoryPoint(c);
    EXPECT_EQ(c.HistoryCount, 2);
    EXPECT_EQ(c.History.at(1, 1), 4940.0f);
}

TEST_F(RunCommandsTest, ServoOnMeasuresAfreshFromThePresentReading) {
    for (auto& ring : c.ChannelWindow) ring.fill(2.1f); // what a stopped test left behind
    c.ChannelResponse.fill(2.1f);
    c.ChannelRawResponse.fill(0.05f);
    c.CurrentFrequency = 10.0f;
    StartServo(c);
    EXPECT_EQ(c.ChannelWindow[3][7], 0.05f);
    EXPECT_EQ(c.ChannelResponse[16], 0.05f);
    EXPECT_EQ(c.ControlResponse, 0.05f);
    // 0.05 G at 10 Hz: 0.05 x 61.45 / 10 = 0.30725 in/s, and 0.30725 x 318 / 10 = 9.771 mils.
    EXPECT_NEAR(c.ControlVelocity, 0.30725f, 1e-5f);
    EXPECT_NEAR(c.ControlDisplacement, 9.7706f, 1e-3f);
}

TEST_F(RunCommandsTest, StopLeavesHoldAsTheLastRemoteCommand) {
    StartServo(c);
    EXPECT_EQ(c.RemoteCommandCode, 1.0f);
    RunSweep(c);
    EXPECT_EQ(c.RemoteCommandCode, 3.0f);
    StopTest(c);
    EXPECT_EQ(c.RemoteCommandCode, 4.0f);
}

TEST_F(RunCommandsTest, RunTimeIsNeverCountedTwiceOrLost) {
    RunSweep(c);
    t.clock.AdvanceMs(10000);
    StartServo(c); // restarts the segment: the 10 s run so far are kept
    EXPECT_DOUBLE_EQ(c.ElapsedSeconds, 10.0);
    t.clock.AdvanceMs(5000);
    RunSweep(c);
    EXPECT_DOUBLE_EQ(c.ElapsedSeconds, 15.0);
    t.clock.AdvanceMs(2000);
    HoldSweep(c);
    HoldSweep(c);
    EXPECT_DOUBLE_EQ(c.ElapsedSeconds, 17.0);
}

TEST_F(RunCommandsTest, ServoOnShowsTheElapsedTime) {
    c.ElapsedSeconds = 65.4;
    StartServo(c);
    EXPECT_EQ(c.Indicators.Item("lblElapsedTime").text, " E.T. = 00:01:05");
    EXPECT_TRUE(c.Indicators.Item("imgSine").visible);
    EXPECT_EQ(c.DriveOutput, 0.0005f);
    EXPECT_EQ(c.AbortCode, 0.0f);
}

TEST_F(RunCommandsTest, FrequencyNudgeStepsAndBounds) {
    c.CurrentFrequency = 10.0f;
    SpinControl(c, "spnFreq", false);
    EXPECT_EQ(c.CurrentFrequency, 9.0f);
    SpinControl(c, "spnFreq", true);
    EXPECT_FLOAT_EQ(c.CurrentFrequency, 9.1f);
    c.CurrentFrequency = 1.05f;
    SpinControl(c, "spnFreq", false);
    EXPECT_EQ(c.CurrentFrequency, 1.0f) << "the frequency stays where the responses can be measured";
    c.CurrentFrequency = 5109.5f;
    SpinControl(c, "spnFreq", true);
    EXPECT_EQ(c.CurrentFrequency, 5110.0f);
}

TEST_F(RunCommandsTest, LevelNudgeLastsOnlyUnderAverage) {
    c.P[29] = 0.0f;
    c.LevelFactor = 1.0f;
    SpinControl(c, "spnLevel", true); // Average by default
    EXPECT_EQ(c.P[29], 0.1f);
    EXPECT_FLOAT_EQ(c.LevelFactor, 1.1f);
    SpinControl(c, "spnLevel", false);
    EXPECT_FLOAT_EQ(c.LevelFactor, 1.0f);

    RunMenuCommand(c, "mnuTestControlExtremal");
    StartServo(c);
    c.CurrentFrequency = 50.0f;
    ComputeReference(c);
    const float profileLevel = c.ReferenceLevel;
    SpinControl(c, "spnLevel", true);
    EXPECT_FLOAT_EQ(c.ReferenceLevel, profileLevel + 0.1f);
    ComputeReference(c);
    EXPECT_EQ(c.ReferenceLevel, profileLevel) << "the profile takes the level back";

    RunMenuCommand(c, "mnuTestControlManual");
    EXPECT_EQ(c.ReferenceLevel, 1.0f);
    c.ReferenceLevel = 0.05f;
    SpinControl(c, "spnLevel", false);
    EXPECT_EQ(c.ReferenceLevel, 0.0f);
    c.ReferenceLevel = std::numeric_limits<float>::max();
    SpinControl(c, "spnLevel", true);
    EXPECT_EQ(c.ReferenceLevel, std::numeric_limits<float>::max()) << "an overflowing step changes nothing";
}

TEST_F(RunCommandsTest, StrategyCommandsTickOneAndStopTheServo) {
    StartServo(c);
    RunMenuCommand(c, "mnuTestControlManual");
    EXPECT_EQ(c.P[0], 1.0f);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_TRUE(c.Menu.Checked("mnuTestControlManual"));
    EXPECT_FALSE(c.Menu.Checked("mnuTestControlAverage"));
    RunMenuCommand(c, "mnuTestControlAverage");
    EXPECT_EQ(c.P[0], 2.0f);
    EXPECT_EQ(c.ReferenceLevel, 0.01f);
    EXPECT_FALSE(c.Menu.Checked("mnuTestControlManual"));
}

TEST_F(RunCommandsTest, LeavingDemoModeDropsTheDrive) {
    c.Menu.SetChecked("mnuRunDemo", true);
    StartServo(c);
    c.DriveOutput = 0.3f;
    RunMenuCommand(c, "mnuRunDemo");
    EXPECT_EQ(c.DemoMode, 0.0f);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.DriveOutput, 0.0001f);
    RunMenuCommand(c, "mnuRunDemo");
    EXPECT_EQ(c.DemoMode, 1.0f);
    EXPECT_TRUE(c.Menu.Checked("mnuRunDemo"));
}

TEST_F(RunCommandsTest, DirectionAndDisplayChannelToggles) {
    c.SweepDirection = 2.0f;
    HandleKey(c, 'd');
    EXPECT_EQ(c.SweepDirection, 1.0f);
    HandleKey(c, 'D');
    EXPECT_EQ(c.SweepDirection, 2.0f);
    SpinControl(c, "spnDirection", false);
    EXPECT_EQ(c.SweepDirection, 1.0f);
    EXPECT_FALSE(c.Menu.Checked("mnuRunDirDown")) << "the spin button leaves the menu alone";
    RunMenuCommand(c, "mnuRunDirDown");
    EXPECT_TRUE(c.Menu.Checked("mnuRunDirDown"));
    EXPECT_FALSE(c.Menu.Checked("mnuRunDirUp"));

    const std::pair<std::int16_t, std::int16_t> modes[] = {{0, 0}, {1, 0}, {1, 1}};
    const float wraps[] = {4.0f, 8.0f, 16.0f};
    for (int m = 0; m < 3; ++m) {
        c.EightChannelMode = modes[m].first;
        c.SecondBoardActive = modes[m].second;
        c.DisplayChannel = wraps[m] - 1.0f;
        ClickControl(c, "lblChannel");
        EXPECT_EQ(c.DisplayChannel, wraps[m]);
        HandleKey(c, 't');
        EXPECT_EQ(c.DisplayChannel, 1.0f);
    }
}

} // namespace

namespace {

TEST_F(RunCommandsTest, ZoomKeysByCaseAndTheirRanges) {
    c.P[51] = 2.0f;
    c.P[52] = 1.0f;
    HandleKey(c, 'x');
    EXPECT_EQ(c.P[51], 3.0f) << "lower-case x zooms out";
    HandleKey(c, 'x');
    EXPECT_EQ(c.P[51], 3.0f);
    HandleKey(c, 'X');
    HandleKey(c, 'X');
    HandleKey(c, 'X');
    EXPECT_EQ(c.P[51], 1.0f);
    HandleKey(c, 'Y');
    HandleKey(c, 'Y');
    EXPECT_EQ(c.P[52], 0.0f);
    HandleKey(c, 'y');
    EXPECT_EQ(c.P[52], 1.0f);
    RunMenuCommand(c, "mnuViewYaxisOut");
    EXPECT_EQ(c.P[52], 2.0f);
    c.P[51] = std::numeric_limits<float>::quiet_NaN();
    RunMenuCommand(c, "mnuViewXaxisOut");
    EXPECT_EQ(c.P[51], 1.0f);
}

} // namespace
