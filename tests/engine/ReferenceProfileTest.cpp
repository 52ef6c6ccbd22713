#include "engine/ReferenceProfile.h"
#include "core/Defaults.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

struct Row {
    float frequency;
    float mode;
    float level;
};

struct ReferenceProfileTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;

    ReferenceProfileTest() {
        SetDefaults(c);
        c.ServoOn = 1.0f;
    }

    // Replaces profile rows 1.. with `rows`; every later row is emptied.
    void SetProfile(const std::vector<Row>& rows) {
        for (int i = 1; i <= 100; ++i) c.Breakpoints[i] = BreakpointRow{};
        int i = 1;
        for (const Row& row : rows) {
            c.Breakpoints[i].Frequency = row.frequency;
            c.Breakpoints[i].Mode = row.mode;
            c.Breakpoints[i].Level = row.level;
            ++i;
        }
    }

    float ReferenceAt(float frequency) {
        c.CurrentFrequency = frequency;
        ComputeReference(c);
        return c.ReferenceLevel;
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& shown : t.dialogs.History()) texts.push_back(shown.text);
        return texts;
    }
};

constexpr float D = 1.0f;
constexpr float V = 2.0f;
constexpr float A = 3.0f;
constexpr float S = 4.0f;

struct DefaultProfileCase {
    float frequency;
    float reference; // G
    float mode;
};

TEST_F(ReferenceProfileTest, FollowsTheDefaultProfile) {
    const DefaultProfileCase cases[] = {
        {5.0f, 0.639059f, D},  // 25 x 500 / 19560, first breakpoint
        {10.0f, 2.556237f, D}, // 100 x 500 / 19560
        {20.0f, 10.0f, A},     // the segment starting at a breakpoint, not the D segment before it
        {30.0f, 10.0f, A},      {44.3f, 10.033180f, D}, // 44.3^2 x 100 / 19560
        {50.0f, 12.781186f, D},                         // 2500 x 100 / 19560
        {1000.0f, 20.0f, A},    {5000.0f, 20.0f, A},    // at UL, the last breakpoint is taken by the upper-limit rule
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.frequency);
        EXPECT_NEAR(ReferenceAt(k.frequency), k.reference, k.reference * 1e-5f);
        EXPECT_EQ(c.ProfileLevel, c.ReferenceLevel);
        EXPECT_EQ(c.ActiveMode, k.mode);
    }
}

TEST_F(ReferenceProfileTest, ScalesByTheLevelFactorOnlyWhileTheServoIsOn) {
    c.LevelFactor = 0.5f;
    EXPECT_FLOAT_EQ(ReferenceAt(30.0f), 5.0f);
    EXPECT_FLOAT_EQ(c.ProfileLevel, 10.0f);

    c.ServoOn = 0.0f;
    EXPECT_FLOAT_EQ(ReferenceAt(1000.0f), 0.01f);
    EXPECT_FLOAT_EQ(c.ProfileLevel, 20.0f);
}

TEST_F(ReferenceProfileTest, ManualControlLeavesEverythingAlone) {
    c.P[0] = 1.0f;
    c.ReferenceLevel = 3.25f;
    c.ProfileLevel = 1.5f;
    c.ActiveMode = 2.0f;
    EXPECT_EQ(ReferenceAt(30.0f), 3.25f);
    EXPECT_EQ(c.ProfileLevel, 1.5f);
    EXPECT_EQ(c.ActiveMode, 2.0f);
}

struct UnitsCase {
    const char* name;
    float units; // P[22]
    Row row;     // segment 10 Hz .. 1000 Hz, evaluated at 100 Hz
    float reference;
};

TEST_F(ReferenceProfileTest, EachModeInEachUnitSystem) {
    const UnitsCase cases[] = {
        {"English D mils", 0.0f, {10.0f, D, 2.0f}, 1.022495f}, // 10^4 x 2 / 19560
        {"Metric D mm", 1.0f, {10.0f, D, 2.0f}, 40.322581f},   // 10^4 x 2 / 496
        {"Hybrid D mm", 2.0f, {10.0f, D, 2.0f}, 40.322581f},
        {"English V in/s", 0.0f, {10.0f, V, 10.0f}, 16.273393f}, // 100 x 10 / 61.45
        {"Metric V cm/s", 1.0f, {10.0f, V, 10.0f}, 6.410256f},   // 100 x 10 / 156
        {"Hybrid V cm/s", 2.0f, {10.0f, V, 10.0f}, 6.410256f},
        {"English A G", 0.0f, {10.0f, A, 10.0f}, 10.0f},
        {"Metric A m/s2", 1.0f, {10.0f, A, 98.07f}, 10.0f}, // 98.07 / 9.807
        {"Hybrid A G", 2.0f, {10.0f, A, 10.0f}, 10.0f},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        c.P[22] = k.units;
        SetProfile({k.row, {1000.0f, A, 1.0f}});
        EXPECT_NEAR(ReferenceAt(100.0f), k.reference, k.reference * 1e-5f);
    }
}

TEST_F(ReferenceProfileTest, SlopeRunsFromThePreviousLevelInEveryUnitSystem) {
    struct SlopeCase {
        const char* name;
        float units;
        float previousLevel; // 5 G in the units of the system
    };
    const SlopeCase cases[] = {
        {"English", 0.0f, 5.0f},
        {"Metric", 1.0f, 49.035f}, // 5 G in m/s2
        {"Hybrid", 2.0f, 5.0f},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        c.P[22] = k.units;
        // +6 dB per octave from 20 Hz, -3 dB per octave from 200 Hz.
        SetProfile({{10.0f, A, k.previousLevel},
                    {20.0f, S, 6.0f},
                    {100.0f, A, k.previousLevel},
                    {200.0f, S, -3.0f},
                    {1000.0f, A, 1.0f}});
        EXPECT_NEAR(ReferenceAt(20.0f), 5.0f, 5e-5f);
        EXPECT_NEAR(ReferenceAt(40.0f), 9.977768f, 1e-4f); // 5 x 10^(6 x 0.07215 x ln 2)
        EXPECT_EQ(c.ActiveMode, S);
        EXPECT_NEAR(ReferenceAt(400.0f), 3.539471f, 1e-4f); // 5 x 10^(-3 x 0.07215 x ln 2)
    }
}

TEST_F(ReferenceProfileTest, RowsWithoutAUsableLevelKeepThePreviousReference) {
    struct NothingCase {
        const char* name;
        std::vector<Row> rows;
        float frequency;
    };
    const float huge = std::numeric_limits<float>::max();
    const NothingCase cases[] = {
        {"level 0", {{5.0f, A, 0.0f}, {5000.0f, A, 20.0f}}, 100.0f},
        {"above the last breakpoint below UL", {{5.0f, A, 3.0f}, {1000.0f, A, 4.0f}}, 2000.0f},
        {"breakpoint below 0 Hz", {{-5.0f, D, 500.0f}, {5000.0f, A, 20.0f}}, 100.0f},
        {"slope that overflows", {{5.0f, A, 10.0f}, {10.0f, S, 1e30f}, {5000.0f, A, 20.0f}}, 100.0f},
        {"displacement that overflows", {{5.0f, D, huge}, {5000.0f, A, 20.0f}}, 100.0f},
        {"unknown mode", {{5.0f, 7.0f, 10.0f}, {5000.0f, A, 20.0f}}, 100.0f},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        SetProfile(k.rows);
        c.ReferenceLevel = 3.25f;
        c.ProfileLevel = 3.25f;
        EXPECT_EQ(ReferenceAt(k.frequency), 3.25f);
        EXPECT_EQ(c.ProfileLevel, 3.25f);
    }
}

TEST_F(ReferenceProfileTest, NeverHandsOnANonFiniteReference) {
    c.ReferenceLevel = 3.25f;
    c.LevelFactor = std::numeric_limits<float>::infinity();
    EXPECT_EQ(ReferenceAt(30.0f), 3.25f);

    c.LevelFactor = 1.0f;
    EXPECT_EQ(ReferenceAt(std::numeric_limits<float>::quiet_NaN()), 3.25f);
}

TEST_F(ReferenceProfileTest, UsesRowsBeyondTheCheckedOnesUpToRow99) {
    std::vector<Row> rows;
    for (int i = 1; i <= 100; ++i) rows.push_back({static_cast<float>(10 * i), A, static_cast<float>(i)});
    SetProfile(rows);
    c.P[2] = 5000.0f;
    EXPECT_FLOAT_EQ(ReferenceAt(985.0f), 98.0f);
    EXPECT_FLOAT_EQ(ReferenceAt(995.0f), 99.0f);
    // Row 100 only closes segment 99; beyond it nothing applies below UL.
    EXPECT_FLOAT_EQ(ReferenceAt(1005.0f), 99.0f);
}

// The profile check.

const std::string InitialBelowLL = "The initial point must be equal to or greater than the Lower Limit.";
const std::string InitialAboveLL =
    "The initial point is greater than the Lower Limit: the Lower Limit will be changed to agree.";
const std::string AboveUL = "Illegal Frequency; the last point must be less than or equal to the upper limit.";
const std::string LastBelowUL =
    "The last point is less than the Upper Limit; the Upper Limit will be changed to agree.";
const std::string DisplacementLimit = " Test specified Displacement > System D Limit ";
const std::string VelocityLimit = " Test specified Velocity > System V Limit ";
const std::string AccelerationLimit = " Test specified Acceleration > System A Limit ";

TEST_F(ReferenceProfileTest, DefaultProfilePassesTheCheckSilently) {
    CheckProfile(c);
    EXPECT_TRUE(t.dialogs.History().empty());
    EXPECT_FLOAT_EQ(c.PeakProfileAcceleration, 20.0f);
    EXPECT_EQ(c.ProfileLastFrequency, 5000.0f);
    EXPECT_EQ(c.P[1], 5.0f);
    EXPECT_EQ(c.P[2], 5000.0f);
}

TEST_F(ReferenceProfileTest, FirstPointBelowTheLowerLimitIsRaisedToIt) {
    c.Breakpoints[1].Frequency = 2.0f;
    CheckProfile(c);
    EXPECT_EQ(Messages(), std::vector<std::string>{InitialBelowLL});
    EXPECT_EQ(c.Breakpoints[1].Frequency, 5.0f);
    EXPECT_EQ(c.P[1], 5.0f);
    const auto& box = t.dialogs.History().front();
    EXPECT_EQ(box.title, ""); // the application's title
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_EQ(box.icon, MessageIcon::None);
}

TEST_F(ReferenceProfileTest, FirstPointAboveTheLowerLimitMovesTheLimit) {
    c.Breakpoints[1].Frequency = 8.0f;
    CheckProfile(c);
    EXPECT_EQ(Messages(), std::vector<std::string>{InitialAboveLL});
    EXPECT_EQ(c.P[1], 8.0f);
    EXPECT_EQ(c.Breakpoints[1].Frequency, 8.0f);
    c.Breakpoints[1].Frequency = 6000.0f;
    CheckProfile(c);
    EXPECT_EQ(c.P[1], 5110.0f) << "held where the responses can be measured";
}

TEST_F(ReferenceProfileTest, PointsAboveTheUpperLimitAreClippedAndAShortProfileShrinksIt) {
    SetProfile({{5.0f, A, 1.0f}, {100.0f, A, 1.0f}, {6000.0f, A, 1.0f}});
    CheckProfile(c);
    EXPECT_EQ(Messages(), std::vector<std::string>{AboveUL});
    EXPECT_EQ(c.Breakpoints[3].Frequency, 5000.0f);
    EXPECT_EQ(c.ProfileLastFrequency, 5000.0f);

    SetProfile({{5.0f, A, 1.0f}, {1000.0f, A, 1.0f}});
    CheckProfile(c);
    EXPECT_EQ(Messages().back(), LastBelowUL);
    EXPECT_EQ(c.P[2], 1000.0f);
    CheckProfile(c); // nothing left to shrink
    EXPECT_EQ(Messages().size(), 2u);

    c.P[2] = 3000.0f; // the operator raises UL again; the next Servo On shrinks it again
    CheckProfile(c);
    EXPECT_EQ(Messages().size(), 3u);
    EXPECT_EQ(c.P[2], 1000.0f);
}

TEST_F(ReferenceProfileTest, SystemLimitsOnlyWarnInRowOrder) {
    c.P[18] = 400.0f; // row 1: 500 mils
    c.P[19] = 5.0f;
    c.P[21] = 15.0f; // rows 4 and 5: 20 G
    c.Breakpoints[3] = {44.3f, V, 10.0f, 6.0f, 0.0f, ""};
    CheckProfile(c);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{DisplacementLimit, VelocityLimit, AccelerationLimit, AccelerationLimit}));
    EXPECT_EQ(c.Breakpoints[1].Level, 500.0f);
    EXPECT_EQ(c.P[18], 400.0f);
}

struct PeakCase {
    const char* name;
    float units;
    std::vector<Row> rows;
    float peak;
};

TEST_F(ReferenceProfileTest, PeakAccelerationUsesTheUnitsInForce) {
    const PeakCase cases[] = {
        {"English V", 0.0f, {{5.0f, A, 1.0f}, {100.0f, V, 10.0f}, {5000.0f, A, 1.0f}}, 16.273393f},
        {"English D", 0.0f, {{5.0f, A, 1.0f}, {100.0f, D, 2.0f}, {5000.0f, A, 1.0f}}, 1.022495f},
        {"Metric D", 1.0f, {{5.0f, A, 1.0f}, {100.0f, D, 2.0f}, {5000.0f, A, 1.0f}}, 40.322581f},
        {"Hybrid V", 2.0f, {{5.0f, A, 1.0f}, {100.0f, V, 10.0f}, {5000.0f, A, 1.0f}}, 6.410256f},
        {"Metric A", 1.0f, {{5.0f, A, 1.0f}, {100.0f, A, 98.07f}, {5000.0f, A, 1.0f}}, 10.0f},
        {"Hybrid A", 2.0f, {{5.0f, A, 1.0f}, {100.0f, A, 10.0f}, {5000.0f, A, 1.0f}}, 10.0f},
        {"slope counts nothing", 0.0f, {{5.0f, A, 1.0f}, {100.0f, S, 500.0f}, {5000.0f, A, 1.0f}}, 1.0f},
    };
    c.P[18] = c.P[19] = c.P[21] = 1e6f;
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        c.P[22] = k.units;
        SetProfile(k.rows);
        CheckProfile(c);
        EXPECT_NEAR(c.PeakProfileAcceleration, k.peak, k.peak * 1e-5f);
    }
    EXPECT_TRUE(t.dialogs.History().empty());
}

TEST_F(ReferenceProfileTest, RowsBeyond32AreNotChecked) {
    std::vector<Row> rows;
    for (int i = 1; i <= 32; ++i) rows.push_back({static_cast<float>(5 * i), A, 1.0f});
    rows.push_back({6000.0f, A, 500.0f});
    SetProfile(rows);
    c.P[2] = 160.0f;
    CheckProfile(c);
    EXPECT_TRUE(t.dialogs.History().empty());
    EXPECT_EQ(c.Breakpoints[33].Frequency, 6000.0f);
    EXPECT_FLOAT_EQ(c.PeakProfileAcceleration, 1.0f);
    EXPECT_EQ(c.ProfileLastFrequency, 160.0f);
}

TEST_F(ReferenceProfileTest, LastFrequencyIsTheLastRisingBreakpoint) {
    SetProfile({{5.0f, A, 1.0f}, {3000.0f, A, 1.0f}, {200.0f, A, 1.0f}});
    c.P[2] = 3000.0f;
    CheckProfile(c);
    EXPECT_EQ(c.ProfileLastFrequency, 3000.0f);
    EXPECT_TRUE(t.dialogs.History().empty());
}

} // namespace
