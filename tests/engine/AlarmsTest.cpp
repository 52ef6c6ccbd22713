#include "engine/Alarms.h"
#include "core/ChannelMarks.h"
#include "core/Defaults.h"
#include "core/ParameterNames.h"
#include "hardware/AbsentDaqLibrary.h"
#include "hardware/BoardLayer.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A test under servo at 30 Hz (the 10 G segment of the default profile, abort band
// 6 dB: 10 / 1.9937 = 5.0158 G to 10 x 1.9937 = 19.937 G), well past the first 30 s,
// with a response right on the reference and the drive 30 dB below full output.
struct ServoBench {
    TestController t;
    Controller& c = t.c;

    ServoBench() {
        SetDefaults(c);
        c.DemoMode = 1.0f; // no board to send the drive word to
        c.ServoOn = 1.0f;
        c.SweepRunning = 1.0f;
        c.TestStarted = 1.0f;
        c.CurrentFrequency = 30.0f;
        c.ReferenceLevel = 10.0f;
        c.SmoothedControlValue = 10.0f;
        c.ControlDisplacement = 50.0f;
        c.ControlVelocity = 5.0f;
        c.Compression = 30.0f;
        c.SegmentStartTime = c.ports.clock->MonotonicSeconds();
        t.clock.AdvanceMs(31000);
    }

    int MessagesShown() const { return static_cast<int>(t.dialogs.History().size()); }
};

struct AlarmsTest : ::testing::Test, ServoBench {};

TEST(AbortMessageText, EveryCodeHasItsMessage) {
    EXPECT_EQ(AbortMessageText(1.0f), " OPEN LOOP");
    EXPECT_EQ(AbortMessageText(2.0f), " Displacement> System D LIMIT  ");
    EXPECT_EQ(AbortMessageText(3.0f), " Velocity > System V LIMIT  ");
    EXPECT_EQ(AbortMessageText(4.0f), " UNDER-TEST ");
    EXPECT_EQ(AbortMessageText(5.0f), " OVER-TEST ");
    EXPECT_EQ(AbortMessageText(6.0f), " LOW GAIN  ");
    EXPECT_EQ(AbortMessageText(7.0f), " Acceleration > System A LIMIT ");
    EXPECT_EQ(AbortMessageText(8.0f), " Acceleration > System A LIMIT ");
    EXPECT_EQ(OverloadAbortText(12), " OVERLOAD ABORT CH#12 ");
    EXPECT_EQ(AbortMessageText(0.0f), " Acceleration > System A LIMIT ");
}

TEST_F(AlarmsTest, AResponseInsideTheBandRaisesNothing) {
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 0.0f);
    EXPECT_EQ(c.ServoOn, 1.0f);
    EXPECT_EQ(MessagesShown(), 0);
}

TEST_F(AlarmsTest, TheBandOfSixDecibelsAroundTenG) {
    struct Case {
        float smoothed;
        float code;
    };
    const Case cases[] = {
        {19.93f, 0.0f}, {19.94f, 5.0f}, {25.0f, 5.0f}, {5.02f, 0.0f}, {5.01f, 4.0f}, {1.0f, 4.0f},
    };
    for (const Case& k : cases) {
        ServoBench fresh;
        fresh.c.SmoothedControlValue = k.smoothed;
        CheckAlarms(fresh.c);
        EXPECT_EQ(fresh.c.AbortCode, k.code) << "smoothed " << k.smoothed;
        EXPECT_EQ(fresh.MessagesShown(), k.code == 0.0f ? 0 : 1) << "smoothed " << k.smoothed;
    }
}

TEST_F(AlarmsTest, TheBandOfTheSegmentAtThePresentFrequency) {
    c.Breakpoints[2].Abort = 0.0f; // 20 .. 44.3 Hz: no tolerance at all
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 0.0f) << "exactly on the reference";
    c.SmoothedControlValue = 10.001f;
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 5.0f);

    ServoBench beyond; // past the last breakpoint the band of row 32 applies
    beyond.c.CurrentFrequency = 6000.0f;
    beyond.c.Breakpoints[32].Abort = 0.0f;
    beyond.c.SmoothedControlValue = 10.01f;
    CheckAlarms(beyond.c);
    EXPECT_EQ(beyond.c.AbortCode, 5.0f);
}

TEST_F(AlarmsTest, NoUnderTestDuringTheFirstThirtySecondsOfASegment) {
    c.SmoothedControlValue = 4.0f;
    c.SegmentStartTime = c.ports.clock->MonotonicSeconds(); // Servo On or Sweep Run just now
    t.clock.AdvanceMs(30000);
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 0.0f) << "30 s is still inside the grace";
    t.clock.AdvanceMs(100);
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 4.0f);
    ASSERT_EQ(MessagesShown(), 1);
    EXPECT_EQ(t.dialogs.History()[0].text, " UNDER-TEST ");

    ServoBench over; // the grace is for a response still building up, not for an excess
    over.c.SegmentStartTime = over.c.ports.clock->MonotonicSeconds();
    over.c.SmoothedControlValue = 20.0f;
    CheckAlarms(over.c);
    EXPECT_EQ(over.c.AbortCode, 5.0f);
}

TEST_F(AlarmsTest, NoUnderTestWhileAChannelLimitsNorUntilTheControlValueIsBackFromTheNotch) {
    struct Step {
        int limiting;
        float smoothed;
        int advanceMs; // before the check
        float code;
    };
    // Cases: held low by the limit, climbing back after it, back in band then low again,
    // and low too long after the notch.
    const Step notchThenFault[] = {
        {2, 1.0f, 0, 0.0f}, {0, 3.0f, 100, 0.0f}, {0, 5.02f, 100, 0.0f}, {0, 5.01f, 100, 4.0f}};
    const Step neverBack[] = {{2, 1.0f, 0, 0.0f}, {0, 4.0f, 30000, 0.0f}, {0, 4.0f, 100, 4.0f}};
    for (const auto& steps : {std::vector<Step>(std::begin(notchThenFault), std::end(notchThenFault)),
                              std::vector<Step>(std::begin(neverBack), std::end(neverBack))}) {
        ServoBench bench;
        for (const Step& step : steps) {
            bench.t.clock.AdvanceMs(step.advanceMs);
            bench.c.LimitingChannel = step.limiting;
            bench.c.SmoothedControlValue = step.smoothed;
            CheckAlarms(bench.c);
            EXPECT_EQ(bench.c.AbortCode, step.code) << step.smoothed << " after " << step.advanceMs << " ms";
        }
    }
}

TEST_F(AlarmsTest, OpenLoopWhenTheDriveComesNearFullOutput) {
    c.Compression = 0.5f; // the trip point itself
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 0.0f);
    c.Compression = 0.49f;
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 1.0f);
    EXPECT_EQ(c.AbortMessage, " OPEN LOOP");

    ServoBench unknown; // a drive nobody can tell is treated as full
    unknown.c.Compression = std::numeric_limits<float>::quiet_NaN();
    CheckAlarms(unknown.c);
    EXPECT_EQ(unknown.c.AbortCode, 1.0f);
}

TEST_F(AlarmsTest, AverageOrExtremalWithoutAControlChannelIsAnOpenLoop) {
    for (const float strategy : {2.0f, 3.0f}) {
        ServoBench fresh;
        fresh.c.P[0] = strategy;
        fresh.c.P[43] = 1.0f; // no channel of 1..4 ticked
        CheckAlarms(fresh.c);
        EXPECT_EQ(fresh.c.AbortCode, 1.0f) << "strategy " << strategy;
        EXPECT_EQ(fresh.c.ServoOn, 0.0f);
    }
    ServoBench otherChannel;
    otherChannel.c.P[43] = 1.0f;
    otherChannel.c.P[46] = 2.0f;
    CheckAlarms(otherChannel.c);
    EXPECT_EQ(otherChannel.c.AbortCode, 0.0f);
}

TEST_F(AlarmsTest, ManualNeedsNoControlChannelAndSkipsBandAndLowGain) {
    c.P[0] = 1.0f;
    c.P[43] = 1.0f;
    c.SmoothedControlValue = 0.0f; // no strategy value in Manual
    c.Compression = 5.0f;          // high drive, no response: low gain under automatic control
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 0.0f);

    c.ControlDisplacement = 1001.0f;
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 2.0f) << "the system limits still hold";
}

TEST_F(AlarmsTest, LowGainIsHighDriveWithHardlyAnyResponse) {
    struct Case {
        float compression;
        float smoothed;
        float code;
    };
    const Case cases[] = {{19.9f, 0.2f, 6.0f}, {20.0f, 0.2f, 0.0f}, {19.9f, 0.25f, 0.0f}, {30.0f, 0.15f, 0.0f}};
    for (const Case& k : cases) {
        ServoBench fresh;
        fresh.c.ReferenceLevel = 0.2f; // band 0.1 .. 0.4 G
        fresh.c.Compression = k.compression;
        fresh.c.SmoothedControlValue = k.smoothed;
        CheckAlarms(fresh.c);
        EXPECT_EQ(fresh.c.AbortCode, k.code) << k.compression << " dB, " << k.smoothed << " G";
    }
}

TEST_F(AlarmsTest, ALowGainTripBelowOneIsRewrittenToTwenty) {
    for (const float trip : {0.0f, 0.5f}) {
        ServoBench fresh;
        fresh.c.P[37] = trip;
        CheckAlarms(fresh.c);
        EXPECT_EQ(fresh.c.P[37], 20.0f) << trip;
    }
    c.P[37] = 1.0f;
    CheckAlarms(c);
    EXPECT_EQ(c.P[37], 1.0f);

    // A rewritten trip of 20 dB then catches a drive 19 dB below full output.
    ServoBench tripped;
    tripped.c.P[37] = 0.0f;
    tripped.c.ReferenceLevel = 0.2f;
    tripped.c.SmoothedControlValue = 0.2f;
    tripped.c.Compression = 19.0f;
    CheckAlarms(tripped.c);
    EXPECT_EQ(tripped.c.AbortCode, 6.0f);
}

TEST_F(AlarmsTest, SystemLimitsInEachUnitSystem) {
    struct Case {
        const char* what;
        float units;
        float maxD, maxV, maxA;
        float smoothed, displacement, velocity;
        float code;
    };
    // The reference follows the response so that the band never trips.
    const Case cases[] = {
        {"English A", 0, 1000, 100, 100, 100.5f, 50, 5, 7},
        {"English A off at 1", 0, 1000, 100, 1, 100.5f, 50, 5, 0},
        {"English D", 0, 1000, 100, 100, 10, 1000.5f, 5, 2},
        {"English V", 0, 1000, 100, 100, 10, 50, 100.5f, 3},
        {"English at the limits", 0, 1000, 100, 100, 100, 1000, 100, 0},
        {"Unknown units as English", 7, 1000, 100, 100, 10, 1000.5f, 5, 2},
        {"Metric A 10.2 G = 100.03 m/s2", 1, 25, 100, 100, 10.2f, 50, 5, 7},
        {"Metric A 10.19 G = 99.93 m/s2", 1, 25, 100, 100, 10.19f, 50, 5, 0},
        {"Metric D 985 mils = 25.02 mm", 1, 25, 100, 100, 10, 985, 5, 2},
        {"Metric D 984 mils = 24.99 mm", 1, 25, 100, 100, 10, 984, 5, 0},
        {"Metric V 39.4 in/s = 100.08 cm/s", 1, 25, 100, 100, 10, 50, 39.4f, 3},
        {"Metric V 39.37 in/s = 99.9998 cm/s", 1, 25, 100, 100, 10, 50, 39.37f, 0},
        {"Hybrid A in G", 2, 25, 100, 50, 50.5f, 50, 5, 7},
        {"Hybrid A 20 G under 50 G", 2, 25, 100, 50, 20, 50, 5, 0},
        {"Hybrid D in mm", 2, 25, 100, 100, 10, 985, 5, 2},
        {"Hybrid D 985 mils under 1000 mm", 2, 1000, 100, 100, 10, 985, 5, 0},
        {"Hybrid V in cm/s", 2, 25, 100, 100, 10, 50, 39.4f, 3},
        {"Hybrid V 100.08 cm/s under 101 cm/s", 2, 25, 101, 100, 10, 50, 39.4f, 0},
    };
    for (const Case& k : cases) {
        ServoBench fresh;
        Controller& x = fresh.c;
        x.P[22] = k.units;
        x.P[18] = k.maxD;
        x.P[19] = k.maxV;
        x.P[21] = k.maxA;
        x.SmoothedControlValue = k.smoothed;
        x.ReferenceLevel = k.smoothed;
        x.ControlDisplacement = k.displacement;
        x.ControlVelocity = k.velocity;
        CheckAlarms(x);
        EXPECT_EQ(x.AbortCode, k.code) << k.what;
    }
}

TEST_F(AlarmsTest, TheFirstAbortEndsThePass) {
    // Past the acceleration limit and far above the band: after the abort has reset
    // the reference to 0.01 G the over-test would also hold, but one message is all.
    c.SmoothedControlValue = 150.0f;
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 7.0f);
    ASSERT_EQ(MessagesShown(), 1);
    EXPECT_EQ(t.dialogs.History()[0].text, " Acceleration > System A LIMIT ");

    // Nothing more is checked until the next Servo On clears the code.
    c.ServoOn = 1.0f;
    c.Compression = 0.1f;
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 7.0f);
    EXPECT_EQ(MessagesShown(), 1);
}

TEST_F(AlarmsTest, AnAbortStopsTheTestThenTellsTheOperator) {
    c.DriveOutput = 0.6f;
    c.ElapsedSeconds = 100.0;
    c.AbortCode = 3.0f;
    AbortTest(c);

    EXPECT_EQ(c.AbortMessage, " Velocity > System V LIMIT  ");
    EXPECT_EQ(c.DriveOutput, 0.0001f);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.SweepRunning, 0.0f);
    EXPECT_EQ(c.TestStarted, 0.0f);
    EXPECT_EQ(c.ElapsedSeconds, 0.0);
    EXPECT_EQ(c.ReferenceLevel, 0.01f);
    EXPECT_EQ(c.AbortCode, 3.0f) << "the code stays for the panel";

    ASSERT_EQ(MessagesShown(), 1);
    const ScriptedDialogs::Shown& box = t.dialogs.History()[0];
    EXPECT_EQ(box.kind, ScriptedDialogs::Kind::Message);
    EXPECT_EQ(box.text, " Velocity > System V LIMIT  ");
    EXPECT_EQ(box.title, "") << "the application title";
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
}

TEST_F(AlarmsTest, ABoardThatFailsTheDriveWordStillSeesTheTestStopped) {
    AbsentDaqLibrary noBoard;
    c.ports.daq = &noBoard;
    c.DemoMode = 0.0f;
    c.P[65] = 1.0f;
    c.AbortCode = 5.0f;
    AbortTest(c);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.DriveOutput, 0.0001f);
    ASSERT_EQ(MessagesShown(), 2);
    EXPECT_EQ(t.dialogs.History()[0].title, "Error!") << "the board's refusal is reported first";
    EXPECT_EQ(t.dialogs.History()[1].text, " OVER-TEST ");
}

TEST_F(AlarmsTest, NoMessageOnceTheProgramIsClosing) {
    c.Closing = true;
    c.AbortCode = 1.0f;
    AbortTest(c);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(MessagesShown(), 0);
}

} // namespace

// Blocks read every 100 ms, 'X' one with a sample of the channel at full scale: a control
// or limit channel aborts on its twelfth overloaded block in a row, 1.1 s after the first.
TEST_F(AlarmsTest, AControlOrLimitChannelOverloadedForMoreThanASecondAborts) {
    const std::tuple<int, bool, const char*, float> cases[] = {
        {1, false, "XXXXXXXXXXXX", 9.0f},         // the control channel
        {1, false, "XXXXXXXXXXX", 0.0f},          // 1.0 s: not more than a second
        {1, false, "XXXXXXXXXX", 0.0f},           // 0.9 s
        {1, false, "XXXXXX.XXXXXXX", 0.0f},       // broken by one clean block
        {3, true, "XXXXXXXXXXXX", 9.0f},          // a channel with limit rows
        {3, false, "XXXXXXXXXXXXXXXXXXXX", 0.0f}, // neither: flagged only
    };
    for (const auto& [channel, limitRows, blocks, code] : cases) {
        ServoBench fresh;
        Controller& s = fresh.c;
        s.P[Param::ControlCh1] = 2.0f; // ticked
        if (limitRows) s.Limits.rows = {{channel, 20.0f, 3.0f, 1000.0f, 6.0f}};
        for (const char* block = blocks; *block != '\0' && s.AbortCode == 0.0f; ++block) {
            s.AdcBuffer.fill(100);
            s.AdcScansRead = 1024;
            if (*block == 'X') s.AdcBuffer[static_cast<std::size_t>(500 * 8 + channel - 1)] = -32768;
            MarkOverloads(s, 1);
            CheckAlarms(s);
            fresh.t.clock.AdvanceMs(100);
        }
        EXPECT_EQ(s.OverloadMask, ChannelBit(channel)) << blocks;
        EXPECT_EQ(s.AbortMessage, code == 0.0f ? "" : " OVERLOAD ABORT CH#" + std::to_string(channel) + " ") << blocks;
        EXPECT_EQ(s.AbortCode, code) << blocks;
    }
}
