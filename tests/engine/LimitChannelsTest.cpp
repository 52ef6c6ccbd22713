#include "engine/LimitChannels.h"

#include "core/ParameterNames.h"
#include "engine/Alarms.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float D = 1.0f;
constexpr float V = 2.0f;
constexpr float A = 3.0f;

struct LimitChannelsTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    LimitChannelsTest() {
        c.P[Param::UnitsSystem] = 0.0f; // English: mils, inches per second, G
        c.P[Param::ControlStrategy] = 2.0f;
        c.ServoOn = 1.0f;
        c.ReferenceLevel = 10.0f;
        // Channel 2: 20 mils from 10 Hz, 2 in/s from 100 Hz, 30 G from 250 to 1000 Hz.
        c.Limits.rows = {
            {2, 10, D, 20, 3}, {3, 100, A, 5, 1}, {2, 100, V, 2, 2}, {2, 250, A, 30, 3}, {2, 1000, A, 30, 3}};
    }
};

TEST_F(LimitChannelsTest, FollowsTheRowBelowAsTheProfileReadsDVAndA) {
    struct Case {
        int channel;
        float frequency;
        float level; // G, worked by hand
        float abortDb;
    };
    const Case cases[] = {
        {2, 10, 100.0f * 20 / 19560, 3},  // D at its breakpoint: f^2 L / 19560
        {2, 50, 2500.0f * 20 / 19560, 3}, // D between breakpoints
        {2, 100, 100.0f * 2 / 61.45f, 2}, // the V row opens at its own frequency
        {2, 200, 200.0f * 2 / 61.45f, 2},
        {2, 250, 30, 3},
        {2, 1000, 30, 3}, // the last breakpoint still has its limit
        {3, 100, 5, 1},   // a single breakpoint: a limit at that frequency alone
    };
    for (const Case& k : cases) {
        const auto limit = LimitAt(c, k.channel, k.frequency);
        ASSERT_TRUE(limit) << k.channel << " at " << k.frequency;
        EXPECT_NEAR(limit->level, k.level, k.level * 1e-6f) << k.channel << " at " << k.frequency;
        EXPECT_EQ(limit->abortDb, k.abortDb);
    }
    for (const auto& [channel, frequency] : {std::pair{2, 9.99f}, {2, 1000.1f}, {3, 100.5f}, {1, 100.0f}})
        EXPECT_FALSE(LimitAt(c, channel, frequency)) << channel << " at " << frequency;
}

TEST_F(LimitChannelsTest, MetricLevelsAreReadInTheirOwnUnits) {
    c.P[Param::UnitsSystem] = 1.0f;
    c.Limits.rows = {{1, 100, A, 98.07f, 3}, {1, 200, V, 156, 3}, {1, 400, A, 98.07f, 3}};
    EXPECT_NEAR(LimitAt(c, 1, 150)->level, 10.0f, 1e-4f);  // m/s^2 / 9.807
    EXPECT_NEAR(LimitAt(c, 1, 300)->level, 300.0f, 1e-3f); // f L / 156
}

TEST_F(LimitChannelsTest, TheChannelHighestOverItsLimitTakesTheServo) {
    struct Case {
        float control;  // raw G of the control value, against a reference of 10
        float channel2; // raw G, against a limit of 30 at 500 Hz
        float channel3; // no limit at 500 Hz
        int limiting;
        float servoValue;
    };
    const Case cases[] = {
        {10, 29, 90, 0, 10},    // channel 2 below its limit: the control channel serves
        {10, 30, 0, 0, 10},     // on its limit exactly: the same ratio, no notch
        {10, 45, 0, 2, 15},     // 1.5 times its limit: the servo sees 1.5 times the reference
        {20, 45, 0, 0, 20},     // the control channel stands higher still over its reference
        {5, 15.3f, 0, 2, 5.1f}, // in the notch already: holds channel 2 on its limit
    };
    c.CurrentFrequency = 500.0f;
    for (const Case& k : cases) {
        c.ControlValue = k.control;
        c.ChannelRawResponse[2] = k.channel2;
        c.ChannelRawResponse[3] = k.channel3;
        ApplyLimits(c);
        EXPECT_EQ(c.LimitingChannel, k.limiting) << k.channel2;
        EXPECT_NEAR(c.ControlValue, k.servoValue, 1e-5f) << k.channel2;
    }
}

TEST_F(LimitChannelsTest, NoChannelLimitsWithTheServoOffOrInManual) {
    c.CurrentFrequency = 500.0f;
    c.ChannelRawResponse[2] = 90.0f;
    for (const auto& [servo, strategy] : {std::pair{0.0f, 2.0f}, {1.0f, 1.0f}}) {
        c.ServoOn = servo;
        c.P[Param::ControlStrategy] = strategy;
        c.LimitingChannel = 2;
        c.ControlValue = 1.0f;
        ApplyLimits(c);
        EXPECT_EQ(c.LimitingChannel, 0);
        EXPECT_EQ(c.ControlValue, 1.0f);
    }
}

TEST_F(LimitChannelsTest, TheDriveIsHeldWhereTheChannelWouldPassItsLimitOnTheNextCycle) {
    struct Case {
        const char* what;
        float servo, strategy;  // on and Average, or not
        int limitingBefore;     // as ApplyLimits left it
        float lastRatio;        // channel 2's response over its drive a cycle ago
        std::int16_t madeUnder; // the drive word before last, 400 = 0.1
        float channel2;         // raw G, against a limit of 30 at 500 Hz
        float control;          // raw G of channel 1, against the reference of 10
        float drive;            // worked out by hand; the law left 0.1
        int limiting;
    };
    const float nan = std::nanf("");
    const float inf = INFINITY;
    const Case cases[] = {
        {"over its limit", 1, 2, 0, 0, 400, 45, 10, 30.0f / 450, 2},
        {"its rise carried on two steps", 1, 2, 0, 400, 400, 45, 10, 30.0f / (450 * 1.125f * 1.125f), 2},
        {"a rise past any sweep's is bounded", 1, 2, 0, 100, 400, 45, 10, 30.0f / (450 * 4), 2},
        {"under its limit the law's drive stands", 1, 2, 0, 0, 400, 20, 10, 0.1f, 0},
        {"in the notch the drive rises as it allows", 1, 2, 2, 0, 400, 20, 5, 30.0f / 200, 2},
        {"as far as the reference allows", 1, 2, 2, 0, 400, 10, 8, 10.0f / 80, 2},
        {"a channel reading nothing holds nothing", 1, 2, 0, 400, 400, 0, 10, 0.1f, 0},
        {"nor one read under no drive", 1, 2, 0, 400, 0, 45, 10, 0.1f, 0},
        {"nor a reading that is not a number", 1, 2, 0, 400, 400, nan, 10, 0.1f, 0},
        {"nor an infinite one", 1, 2, 0, 400, 400, inf, 10, 0.1f, 0},
        {"nothing is held with the servo off", 0, 2, 0, 400, 400, 90, 10, 0.1f, 0},
        {"nor in Manual", 1, 1, 0, 400, 400, 90, 10, 0.1f, 0},
    };
    c.P[Param::AcquisitionInterface] = 1.0f; // the board path
    c.P[Param::ControlCh1] = 2.0f;
    c.CurrentFrequency = 500.0f;
    for (const Case& k : cases) {
        c.ServoOn = k.servo;
        c.P[Param::ControlStrategy] = k.strategy;
        c.LimitingChannel = k.limitingBefore;
        c.LimitTransferRatio[2] = k.lastRatio;
        c.ControlTransferRatio = 0.0f;
        c.PreviousDriveWord = k.madeUnder;
        c.ChannelRawResponse[1] = k.control;
        c.ChannelRawResponse[2] = k.channel2;
        c.DriveOutput = 0.1f;
        HoldDriveUnderLimits(c);
        EXPECT_NEAR(c.DriveOutput, k.drive, k.drive * 1e-5f) << k.what;
        EXPECT_EQ(c.LimitingChannel, k.limiting) << k.what;
    }
}

struct LimitAbortTest : LimitChannelsTest {
    LimitAbortTest() {
        c.P[Param::OpenLoopTrip] = 0.5f;
        c.P[Param::LowGainTrip] = 20.0f;
        c.P[Param::MaxAcceleration] = 1.0f;
        c.P[Param::MaxDisplacement] = 1e6f;
        c.P[Param::MaxVelocity] = 1e6f;
        c.P[Param::ControlCh1] = 2.0f;
        c.Compression = 30.0f;
        c.Breakpoints[1] = {5, A, 10, 6, 0, ""};
        c.Breakpoints[2] = {5000, A, 10, 6, 0, ""};
        c.CurrentFrequency = 500.0f;
        c.SmoothedControlValue = 10.0f;
    }
};

TEST_F(LimitAbortTest, AChannelPastItsMarginAbortsNamingIt) {
    // 30 G and 3 dB: 30 x 10^(3/20) = 42.38 G.
    c.ChannelRawResponse[2] = 42.3f;
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 0.0f);
    c.ChannelRawResponse[2] = 42.45f;
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 8.0f);
    EXPECT_EQ(c.AbortMessage, " LIMIT ABORT CH#2 ");
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.Indicators.Item("lblAbort").text.rfind(" LIMIT ABORT CH#2  ", 0), 0u);
}

TEST_F(LimitAbortTest, NoUnderTestWhileAChannelLimitsButEveryOtherCheckStays) {
    c.SegmentStartTime = -100.0;   // past the grace after Servo On
    c.SmoothedControlValue = 2.0f; // far under the 6 dB band
    c.LimitingChannel = 2;
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 0.0f);
    c.SmoothedControlValue = 25.0f; // over it
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 5.0f);
}

TEST_F(LimitAbortTest, UnderTestAbortsOnceNoChannelLimits) {
    c.SegmentStartTime = -100.0;
    c.SmoothedControlValue = 2.0f;
    c.LimitingChannel = 0;
    CheckAlarms(c);
    EXPECT_EQ(c.AbortCode, 4.0f);
}

} // namespace
