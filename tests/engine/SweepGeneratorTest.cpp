#include "engine/SweepGenerator.h"
#include "core/Defaults.h"
#include "core/RunCommands.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr float Down = 1.0f;
constexpr float Up = 2.0f;

struct SweepGeneratorTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;

    SweepGeneratorTest() {
        SetDefaults(c);
        // A linear sweep of 1 Hz per cycle between 10 and 20 Hz.
        c.P[1] = 10.0f;
        c.P[2] = 20.0f;
        c.P[3] = 2.0f;
        c.P[4] = 10.0f;
        c.P[5] = 1.0f;
        c.CycleRate = 10.0f;
        c.CurrentFrequency = 10.0f;
        c.ServoOn = 1.0f;
        c.SweepRunning = 1.0f;
        c.TestStarted = 1.0f;
    }

    void SetDwell(int row, float frequency, float seconds) {
        c.Breakpoints[row].Frequency = frequency;
        c.Breakpoints[row].Mode = seconds;
    }

    // The sweep step of one cycle and, when it found the test's end, the end of the
    // test that the cycle runs right after it.
    void Step() {
        SweepStep(c);
        if (c.EndOfTestDue) EndOfTest(c);
    }

    // Runs sweep steps until the test ends, with RunSeconds = cycle / 10; returns
    // the cycle on which it ended.
    int RunToEndOfTest(int maxCycles) {
        for (int cycle = 1; cycle <= maxCycles; ++cycle) {
            c.RunSeconds = cycle / 10.0;
            Step();
            if (!IsOn(c.SweepRunning)) return cycle;
        }
        return -1;
    }
};

TEST_F(SweepGeneratorTest, OneSweepEndsWhenTheFrequencyComesBackToTheLowerLimit) {
    std::vector<float> path;
    std::vector<float> counts;
    for (int cycle = 1; cycle <= 30 && IsOn(c.SweepRunning); ++cycle) {
        Step();
        path.push_back(c.CurrentFrequency);
        counts.push_back(c.SweepCounter);
    }
    ASSERT_EQ(path.size(), 21u);
    EXPECT_EQ(path[0], 11.0f);
    EXPECT_EQ(path[9], 20.0f);  // cycle 10 reaches UL
    EXPECT_EQ(counts[9], 1.0f); // counted at LL on cycle 1
    EXPECT_EQ(path[10], 19.0f); // cycle 11 counts the half sweep and turns down
    EXPECT_EQ(counts[10], 1.5f);
    EXPECT_EQ(path[19], 10.0f); // cycle 20 is back at LL
    // Cycle 21 counts 2.0 and ends the test.
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.CurrentFrequency, 10.0f);
    EXPECT_EQ(c.LastStoredFrequency, 10.0f);
    EXPECT_EQ(c.SweepCounter, 0.5f);
}

TEST_F(SweepGeneratorTest, EndsOnTheCycleTheCounterReachesSweepsPlusOne) {
    for (const auto& [sweeps, lastCycle] : {std::pair{1.0f, 21}, std::pair{2.0f, 41}, std::pair{3.0f, 61}}) {
        SCOPED_TRACE(sweeps);
        c.P[5] = sweeps;
        c.SweepRunning = 1.0f;
        c.SweepDirection = Up;
        EXPECT_EQ(RunToEndOfTest(100), lastCycle);
        EXPECT_EQ(c.CurrentFrequency, 10.0f);
        EXPECT_EQ(c.SweepCounter, 0.5f);
    }
}

TEST_F(SweepGeneratorTest, AMidBandStartCountsOnlyOnReachingALimit) {
    c.CurrentFrequency = 15.0f;
    for (int cycle = 1; cycle <= 5; ++cycle) SweepStep(c);
    EXPECT_EQ(c.CurrentFrequency, 20.0f);
    EXPECT_EQ(c.SweepCounter, 0.5f);
    SweepStep(c);
    EXPECT_EQ(c.SweepCounter, 1.0f);
    EXPECT_EQ(c.SweepDirection, Down);
}

TEST_F(SweepGeneratorTest, AnOvershootIsClampedAndTurnsOnTheNextCycle) {
    c.CurrentFrequency = 19.5f;
    SweepStep(c);
    EXPECT_EQ(c.CurrentFrequency, 20.0f);
    EXPECT_EQ(c.SweepCounter, 0.5f);
    SweepStep(c);
    EXPECT_EQ(c.SweepCounter, 1.0f);
    EXPECT_EQ(c.CurrentFrequency, 19.0f);

    c.CurrentFrequency = 10.5f;
    SweepStep(c);
    EXPECT_EQ(c.CurrentFrequency, 10.0f);
}

struct StepCase {
    const char* name;
    float type;
    float rate;
    float direction;
    float from;
    float to;
};

TEST_F(SweepGeneratorTest, StepSizesByTypeAndDirection) {
    const StepCase cases[] = {
        {"log up 3 oct/min", 1.0f, 3.0f, Up, 100.0f, 100.3465f}, // x (1 + 3 x 0.01155 / 10)
        {"log down 3 oct/min", 1.0f, 3.0f, Down, 100.0f, 99.6535f},
        {"log up 1 oct/min", 1.0f, 1.0f, Up, 1000.0f, 1001.155f},
        {"linear up 2 Hz/s", 2.0f, 2.0f, Up, 100.0f, 100.2f},
        {"linear down 2 Hz/s", 2.0f, 2.0f, Down, 100.0f, 99.8f},
        {"unknown type holds", 4.0f, 2.0f, Up, 100.0f, 100.0f},
    };
    c.P[1] = 10.0f;
    c.P[2] = 5000.0f;
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        c.P[3] = k.type;
        c.P[4] = k.rate;
        c.SweepDirection = k.direction;
        c.CurrentFrequency = k.from;
        SweepStep(c);
        EXPECT_NEAR(c.CurrentFrequency, k.to, 1e-4f * k.to);
        EXPECT_EQ(c.PreviousFrequency, k.from);
    }
}

TEST_F(SweepGeneratorTest, StepFollowsTheMeasuredCycleRate) {
    struct RateCase {
        double cycles;
        double seconds;
        float rate;
    };
    const RateCase cases[] = {
        {50.0, 2.5, 20.0f}, // measured
        {20.0, 2.5, 10.0f}, // too few cycles: nominal rate kept
        {50.0, 2.0, 10.0f}, // too short a run
        {21.0, 4.2, 5.0f},
    };
    c.P[2] = 5000.0f;
    c.P[4] = 2.0f;
    for (const auto& k : cases) {
        SCOPED_TRACE(k.cycles);
        c.CycleRate = 10.0f;
        c.RunCycleCount = k.cycles;
        c.RunSeconds = k.seconds;
        c.SweepDirection = Up;
        c.CurrentFrequency = 100.0f;
        SweepStep(c);
        EXPECT_FLOAT_EQ(c.CycleRate, k.rate);
        EXPECT_NEAR(c.CurrentFrequency, 100.0f + 2.0f / k.rate, 1e-4f);
    }
}

TEST_F(SweepGeneratorTest, NoUnusableValueReachesTheFrequency) {
    c.P[2] = 5000.0f;
    c.CurrentFrequency = 100.0f;
    c.CycleRate = 0.0f; // only a damaged profile holds this
    SweepStep(c);
    EXPECT_EQ(c.CurrentFrequency, 100.0f);

    c.CycleRate = 10.0f;
    c.P[4] = std::numeric_limits<float>::max();
    SweepStep(c);
    EXPECT_EQ(c.CurrentFrequency, 5000.0f);

    c.CurrentFrequency = std::numeric_limits<float>::quiet_NaN(); // e.g. a remote override
    SweepStep(c);
    EXPECT_EQ(c.CurrentFrequency, 10.0f);
}

// Dwell points.

TEST_F(SweepGeneratorTest, AStepAcrossTwoDwellPointsStopsAtTheFirstOneMet) {
    c.P[2] = 100.0f;
    c.P[4] = 50.0f; // 5 Hz per cycle
    c.CurrentFrequency = 20.0f;
    c.SweepDirection = Up;
    SetDwell(101, 24.0f, 7.0f);
    SetDwell(102, 22.0f, 3.0f);
    c.RunSeconds = 12.0;
    SweepStep(c);
    EXPECT_EQ(c.CurrentFrequency, 22.0f);
    EXPECT_EQ(c.DwellActive, 1);
    EXPECT_EQ(c.DwellDuration, 3.0f);
    EXPECT_EQ(c.DwellStartTime, 12.0);

    c.RunSeconds = 14.9;
    SweepStep(c);
    EXPECT_EQ(c.CurrentFrequency, 22.0f); // still waiting

    c.RunSeconds = 15.0;
    SweepStep(c); // 22 -> 27 meets the second point
    EXPECT_EQ(c.CurrentFrequency, 24.0f);
    EXPECT_EQ(c.DwellDuration, 7.0f);
    EXPECT_EQ(c.DwellStartTime, 15.0);
}

TEST_F(SweepGeneratorTest, DownSweepsMeetTheHighestDwellPointFirst) {
    c.P[2] = 100.0f;
    c.P[4] = 50.0f;
    c.CurrentFrequency = 27.0f;
    c.SweepDirection = Down;
    SetDwell(101, 22.0f, 3.0f);
    SetDwell(102, 24.0f, 7.0f);
    SweepStep(c);
    EXPECT_EQ(c.CurrentFrequency, 24.0f);
    EXPECT_EQ(c.DwellDuration, 7.0f);
}

TEST_F(SweepGeneratorTest, DwellPointEdgeCases) {
    c.P[2] = 100.0f;
    c.P[4] = 50.0f;
    c.SweepDirection = Up;

    // Reached exactly by the step.
    SetDwell(105, 25.0f, 4.0f);
    c.CurrentFrequency = 20.0f;
    SweepStep(c);
    EXPECT_EQ(c.DwellActive, 1);
    EXPECT_EQ(c.CurrentFrequency, 25.0f);

    // Two rows at one frequency: the later row's duration.
    c.DwellActive = 0;
    SetDwell(105, 0.0f, 0.0f);
    SetDwell(103, 28.0f, 3.0f);
    SetDwell(108, 28.0f, 9.0f);
    SweepStep(c);
    EXPECT_EQ(c.CurrentFrequency, 28.0f);
    EXPECT_EQ(c.DwellDuration, 9.0f);

    // Starting on a dwell frequency does not dwell there again.
    c.DwellActive = 0;
    SweepStep(c);
    EXPECT_EQ(c.CurrentFrequency, 33.0f);
    EXPECT_EQ(c.DwellActive, 0);
}

TEST_F(SweepGeneratorTest, ADwellAtTheUpperLimitCountsItsArrivalOnce) {
    SetDwell(101, 20.0f, 5.0f);
    // Cycle 10 reaches UL and starts the dwell at 1.0 s; cycles 11..59 wait until
    // RunSeconds reaches 6.0; cycle 60 counts the half sweep and leaves downward.
    for (int cycle = 1; cycle <= 59; ++cycle) {
        c.RunSeconds = cycle / 10.0;
        SweepStep(c);
    }
    EXPECT_EQ(c.CurrentFrequency, 20.0f);
    EXPECT_EQ(c.SweepCounter, 1.0f);
    EXPECT_TRUE(IsOn(c.SweepRunning));
    c.RunSeconds = 6.0;
    SweepStep(c);
    EXPECT_EQ(c.SweepCounter, 1.5f);
    EXPECT_EQ(c.CurrentFrequency, 19.0f);
    EXPECT_EQ(c.DwellActive, 0);
}

TEST_F(SweepGeneratorTest, ADwellAtTheLowerLimitEndsTheTestAfterItsWait) {
    SetDwell(110, 10.0f, 2.0f);
    // Up 1..10, down 11..20 reaching LL at 2.0 s; the wait lasts to 4.0 s (cycle 40).
    EXPECT_EQ(RunToEndOfTest(200), 40);
    EXPECT_EQ(c.CurrentFrequency, 10.0f);
}

// The stepped sweep.

struct MilStepTest : SweepGeneratorTest {
    MilStepTest() {
        c.P[1] = 10.0f;
        c.P[2] = 30.0f;
        c.P[3] = 3.0f;
        c.P[4] = 5.0f;
        c.P[7] = 2.0f;
        c.StepStartTime = t.clock.MonotonicSeconds();
    }

    // Frequency changes over `seconds` of cycles 100 ms apart, as (second, frequency).
    std::vector<std::pair<double, float>> Run(int seconds) {
        std::vector<std::pair<double, float>> changes;
        const double start = t.clock.MonotonicSeconds();
        for (int cycle = 1; cycle <= seconds * 10 && IsOn(c.SweepRunning); ++cycle) {
            t.clock.AdvanceMs(100);
            const float before = c.CurrentFrequency;
            Step();
            if (c.CurrentFrequency != before)
                changes.emplace_back(t.clock.MonotonicSeconds() - start, c.CurrentFrequency);
        }
        return changes;
    }
};

TEST_F(MilStepTest, StepsEveryIntervalAndCountsOnlyAtTheLimits) {
    const auto changes = Run(20 * 60);
    const std::vector<std::pair<double, float>> expected = {
        {120.0, 15.0f},  {240.0, 20.0f},  {360.0, 25.0f}, {480.0, 30.0f}, // counter 1.0 at UL
        {600.0, 25.0f},  {720.0, 20.0f},  {840.0, 15.0f}, {960.0, 10.0f}, // counter 1.5 at LL
        {1080.0, 15.0f}, {1200.0, 20.0f},
    };
    ASSERT_EQ(changes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(changes[i].first, expected[i].first, 1e-6);
        EXPECT_EQ(changes[i].second, expected[i].second);
    }
    EXPECT_EQ(c.SweepCounter, 1.5f);
    EXPECT_TRUE(IsOn(c.SweepRunning));
    // The counter only moves on steps that reach a limit: the second arrival at UL
    // (1440 s) makes it 2.0, and the next cycle ends the test.
    Run(241);
    EXPECT_FALSE(IsOn(c.SweepRunning));
    EXPECT_EQ(c.CurrentFrequency, 10.0f);
}

TEST_F(MilStepTest, AStepOverTheLimitIsCountedAndClamped) {
    c.CurrentFrequency = 28.0f;
    Run(120);
    EXPECT_EQ(c.CurrentFrequency, 30.0f);
    EXPECT_EQ(c.SweepCounter, 1.0f);
}

// End of test and the resonance search.

TEST_F(SweepGeneratorTest, EndOfTestStopsAndReturnsToTheLowerLimit) {
    c.CurrentFrequency = 17.0f;
    c.SweepCounter = 2.5f;
    c.LastStoredFrequency = 17.0f;
    c.DwellActive = 1;
    t.clock.AdvanceMs(5000);
    EndOfTest(c);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.SweepRunning, 0.0f);
    EXPECT_EQ(c.TestStarted, 0.0f);
    EXPECT_EQ(c.DwellActive, 0);
    EXPECT_EQ(c.StepStartTime, 5.0);
    EXPECT_EQ(c.CurrentFrequency, 10.0f);
    EXPECT_EQ(c.LastStoredFrequency, 10.0f);
    EXPECT_EQ(c.SweepCounter, 0.5f);
}

struct ReversalCase {
    const char* name;
    float enabled; // P[90]
    float frequency;
    std::int16_t word;
    std::int16_t previousWord;
    float direction;
    float expected;
};

TEST_F(SweepGeneratorTest, ResonanceSearchTurnsWhenTheDriveGrowsInsideTheBand) {
    const ReversalCase cases[] = {
        {"growth of 2 turns up to down", 1.0f, 2000.0f, 102, 100, Up, Down},
        {"growth of 2 turns down to up", 1.0f, 2000.0f, 1502, 1500, Down, Up},
        {"growth of 1 is not enough", 1.0f, 2000.0f, 101, 100, Up, Up},
        {"falling drive", 1.0f, 2000.0f, 90, 100, Up, Up},
        {"lower band edge", 1.0f, 1000.0f, 110, 100, Up, Down},
        {"upper band edge", 1.0f, 4000.0f, 110, 100, Up, Down},
        {"below the band", 1.0f, 999.9f, 110, 100, Up, Up},
        {"above the band", 1.0f, 4000.5f, 110, 100, Up, Up},
        {"search off", 0.0f, 2000.0f, 110, 100, Up, Up},
        {"leftover value is off", 200.0f, 2000.0f, 110, 100, Up, Up},
        {"other direction left alone", 1.0f, 2000.0f, 110, 100, 3.0f, 3.0f},
        {"no overflow on extreme words", 1.0f, 2000.0f, 32767, -32768, Up, Down},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        c.P[90] = k.enabled;
        c.CurrentFrequency = k.frequency;
        c.DriveWord = k.word;
        c.PreviousDriveWord = k.previousWord;
        c.SweepDirection = k.direction;
        ResonanceReversal(c);
        EXPECT_EQ(c.SweepDirection, k.expected);
    }
}

} // namespace
