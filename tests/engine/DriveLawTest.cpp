#include "engine/DriveLaw.h"

#include "support/FakeBoard.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Inf = std::numeric_limits<float>::infinity();

struct DriveLawTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    FakeBoard board{c};

    // Average over channel 1, Medium rate, sweeping at 50 Hz.
    DriveLawTest() {
        c.ports.daq = &board;
        c.MasterBoardHandle = 0;
        c.BoardHandle = 0;
        c.P[0] = 2.0f;
        c.P[43] = 2.0f;
        c.P[6] = 2.0f;
        c.P[65] = 1.0f;
        c.DemoMode = 0.0f;
        c.ServoOn = 1.0f;
        c.SweepRunning = 1.0f;
        c.CurrentFrequency = 50.0f;
        c.ReferenceLevel = 1.0f;
    }

    // One pass of the law as the cycle runs it: gain first, then the drive.
    float DriveAfter(float drive, float controlValue) {
        c.DriveOutput = drive;
        c.ControlValue = controlValue;
        UpdateServoGain(c);
        UpdateDrive(c);
        return c.DriveOutput;
    }
};

// ---------------------------------------------------------------- servo gain

TEST_F(DriveLawTest, ServoGainFromRateFrequencyAndHold) {
    struct Case {
        float rate;
        float frequency;
        float running;
        float expected;
    };
    const Case cases[] = {
        {1.0f, 50.0f, 1.0f, 10.0f}, {2.0f, 50.0f, 1.0f, 18.0f}, {3.0f, 50.0f, 1.0f, 25.0f},
        {7.0f, 50.0f, 1.0f, 25.0f}, {2.0f, 20.0f, 1.0f, 18.0f}, {2.0f, 5.0f, 1.0f, 7.2f}, // 0.4 at 5 Hz
        {3.0f, 10.0f, 0.0f, 4.95f}, {1.0f, 50.0f, 0.0f, 3.3f},  {2.0f, 0.0f, 1.0f, 3.6f},
        {2.0f, -10.0f, 1.0f, 3.6f}, // below 0 Hz the gain stays at its 0 Hz value, never negative
    };
    for (const auto& k : cases) {
        c.P[6] = k.rate;
        c.CurrentFrequency = k.frequency;
        c.SweepRunning = k.running;
        UpdateServoGain(c);
        EXPECT_NEAR(c.ServoGain, k.expected, 1e-5) << k.rate << " at " << k.frequency << " Hz";
    }
}

TEST_F(DriveLawTest, ReferenceIsRaisedToItsSmallestLevel) {
    struct Case {
        float reference;
        float expected;
    };
    const Case cases[] = {{0.01f, 0.02f}, {0.02f, 0.02f}, {-3.0f, 0.02f}, {0.03f, 0.03f}, {5.0f, 5.0f}};
    for (const auto& k : cases) {
        c.ReferenceLevel = k.reference;
        UpdateServoGain(c);
        EXPECT_FLOAT_EQ(c.ReferenceLevel, k.expected) << k.reference;
    }
}

// ---------------------------------------------------------------- drive law

TEST_F(DriveLawTest, WorkedFiguresAtMediumRate) {
    struct Case {
        float controlValue; // of a reference of 1 G
        double factor;
    };
    const Case cases[] = {
        {0.0f, 2.188},                                  // no response: 1 + 36 x 0.033
        {0.95f, 1.0 + 18 * 0.66 * 0.033 * 0.05},        // 1.0196
        {0.98f, 1.0 + 18 * 0.66 * 0.33 * 0.033 * 0.02}, // 1.0026
        {1.0f, 1.0},
        {1.5f, 1.0 - 18 * 0.033 * 0.5},
    };
    for (const auto& k : cases) {
        EXPECT_NEAR(DriveAfter(0.01f, k.controlValue), 0.01 * k.factor, 1e-8) << k.controlValue;
    }
    EXPECT_NEAR(DriveAfter(0.0005f, 0.0f), 0.001094, 1e-9);
}

TEST_F(DriveLawTest, GainStepsNearTheReference) {
    struct Case {
        float controlValue;
        float expected;
    };
    const Case cases[] = {
        {0.05f, 36.0f},             // below a tenth of the reference: doubled
        {0.5f, 18.0f},              // far off: as it is
        {0.95f, 18.0f * 0.66f},     // within 6 %
        {0.975f, 18.0f * 0.2178f},  // within 3 %
        {0.995f, 18.0f * 0.02178f}, // within 1 %: the three cuts together
        {1.005f, 18.0f * 0.02178f},
    };
    for (const auto& k : cases) {
        DriveAfter(0.01f, k.controlValue);
        EXPECT_NEAR(c.ServoGain, k.expected, 1e-5) << k.controlValue;
    }
}

TEST_F(DriveLawTest, ErrorIsLimitedToPlusMinusOne) {
    c.P[6] = 3.0f; // Fast
    const float drive = DriveAfter(0.5f, 2.5f);
    EXPECT_FLOAT_EQ(c.ControlError, -1.0f);
    EXPECT_NEAR(drive, 0.5 * 0.175, 1e-7); // 1 - 25 x 0.033
    c.ReferenceLevel = 1.0f;
    DriveAfter(0.5f, -4.0f);
    EXPECT_FLOAT_EQ(c.ControlError, 1.0f);
}

TEST_F(DriveLawTest, DriveStaysWithinItsRange) {
    EXPECT_FLOAT_EQ(DriveAfter(0.9f, 0.0f), 1.0f);       // 0.9 x 2.188
    EXPECT_FLOAT_EQ(DriveAfter(0.0001f, 5.0f), 0.0001f); // 0.0001 x 0.406
    EXPECT_FLOAT_EQ(DriveAfter(NaN, 0.5f), 0.0001f);
    EXPECT_FLOAT_EQ(DriveAfter(Inf, 0.5f), 0.0001f);
    c.ReferenceLevel = NaN;
    EXPECT_FLOAT_EQ(DriveAfter(0.3f, 0.5f), 0.0001f);
    EXPECT_TRUE(std::isfinite(c.ControlError));
    c.ReferenceLevel = Inf;
    EXPECT_FLOAT_EQ(DriveAfter(0.3f, 0.5f), 0.0001f);
}

TEST_F(DriveLawTest, ManualDrivesInProportionToTheLevel) {
    c.P[0] = 1.0f;
    // 0.001 x (1 + 36 x 0.033), whatever the drive was.
    EXPECT_NEAR(DriveAfter(0.7f, 0.0f), 0.002188, 1e-9);
    SendDrive(c);
    EXPECT_EQ(c.DriveWord, 9); // 8.752
    c.ReferenceLevel = 100.0f;
    EXPECT_NEAR(DriveAfter(0.7f, 0.0f), 0.2188, 1e-7);
}

TEST_F(DriveLawTest, DemoDriveFollowsTheReferenceWhateverTheError) {
    c.DemoMode = 1.0f;
    c.ReferenceLevel = 2.0f;
    for (const float controlValue : {0.0f, 2.0f, 50.0f}) {
        EXPECT_FLOAT_EQ(DriveAfter(0.3f, controlValue), 0.002f) << controlValue;
    }
}

TEST_F(DriveLawTest, WithoutFeedbackTheDriveIsHeld) {
    struct Case {
        float strategy;
        float tick; // P[43]; P[44]..P[46] stay off
    };
    // Average or Extremal without a ticked channel, and a strategy the controller
    // does not know, measure nothing: no error to act on.
    const Case cases[] = {{2.0f, 1.0f}, {3.0f, 1.0f}, {0.0f, 2.0f}, {4.0f, 2.0f}};
    for (const auto& k : cases) {
        c.P[0] = k.strategy;
        c.P[43] = k.tick;
        EXPECT_FLOAT_EQ(DriveAfter(0.3f, 0.0f), 0.3f) << k.strategy;
        EXPECT_FLOAT_EQ(c.ControlError, 0.0f);
    }
}

// ---------------------------------------------------------------- words

TEST(DriveWordFor, RoundsTheDriveToFourThousandths) {
    struct Case {
        float drive;
        int word;
    };
    const Case cases[] = {
        {0.0001f, 0}, {0.0005f, 2}, {1.0f, 4000}, {0.002188f, 9}, {0.5f, 2000}, {0.0f, 0},
        {-1.0f, 0},   {5.0f, 4000}, {NaN, 0},     {Inf, 0},       {-Inf, 0},
    };
    for (const auto& k : cases) EXPECT_EQ(DriveWordFor(k.drive), k.word) << k.drive;
}

TEST(FrequencyWordFor, FitsSixteenBits) {
    struct Case {
        float frequency;
        float word;
    };
    const Case cases[] = {
        {100.0f, 819.2f}, {5000.0f, 40960.0f}, {7999.0f, 65527.808f}, {8000.0f, 65535.0f}, {10000.0f, 65535.0f},
        {0.0f, 0.0f},     {-5.0f, 0.0f},       {NaN, 0.0f},           {Inf, 0.0f},
    };
    for (const auto& k : cases) EXPECT_FLOAT_EQ(FrequencyWordFor(k.frequency), k.word) << k.frequency;
}

TEST_F(DriveLawTest, WordsReachTheGenerator) {
    c.CurrentFrequency = 100.0f;
    SendFrequency(c);
    c.CurrentFrequency = 10000.0f;
    SendFrequency(c);
    c.CurrentFrequency = NaN;
    SendFrequency(c);
    EXPECT_EQ(board.FrequencyWords(), (std::vector<std::uint32_t>{819, 65535, 0}));

    c.DriveWord = 7;
    c.DriveOutput = 0.0005f;
    SendDrive(c);
    EXPECT_EQ(c.PreviousDriveWord, 7);
    EXPECT_EQ(c.DriveWord, 2);
    EXPECT_EQ(c.DriveWordLow, 0);
    EXPECT_EQ(c.DriveWordHigh, 2);
    c.DriveOutput = NaN;
    SendDrive(c);
    c.DriveOutput = 1.0f;
    SendDrive(c);
    // The high half carries the word, the low half is 0.
    EXPECT_EQ(board.DriveFrames(), (std::vector<std::uint32_t>{2u << 12, 0u, 4000u << 12}));
}

TEST_F(DriveLawTest, NoWordsInDemoModeOrWithoutTheBoardPath) {
    c.DriveWord = 5;
    c.DriveOutput = 0.5f;
    c.DemoMode = 1.0f;
    SendFrequency(c);
    SendDrive(c);
    c.DemoMode = 0.0f;
    c.P[65] = 3.0f;
    SendFrequency(c);
    SendDrive(c);
    EXPECT_TRUE(board.portA.empty());
    EXPECT_EQ(c.DriveWord, 5);
}

TEST_F(DriveLawTest, ResonanceSearchLooksAtTheWordJustSent) {
    c.P[88] = 1000.0f;
    c.P[89] = 4000.0f;
    c.CurrentFrequency = 2000.0f;
    for (const float search : {0.0f, 1.0f}) {
        c.P[90] = search;
        c.SweepDirection = 2.0f;
        c.DriveWord = 10;
        c.DriveOutput = 0.005f; // word 20: grew by more than one count
        SendDrive(c);
        EXPECT_FLOAT_EQ(c.SweepDirection, search == 1.0f ? 1.0f : 2.0f) << search;
    }
}

} // namespace
