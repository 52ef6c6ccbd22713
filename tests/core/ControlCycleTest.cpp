#include "core/ControlCycle.h"
#include "core/AfterCycle.h"
#include "core/CycleDriver.h"
#include "core/Defaults.h"
#include "core/SimulatedLoop.h"
#include "support/FakeLabNetwork.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct StepLog final : CycleObserver {
    std::vector<std::string> steps;
    std::function<void(const std::string&)> onStep;
    void StepRunning(const char* step) override {
        steps.emplace_back(step);
        if (onStep) onStep(step);
    }
    int Count(const std::string& step) const {
        int n = 0;
        for (const auto& s : steps) n += s == step ? 1 : 0;
        return n;
    }
};

struct ControlCycleTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    StepLog log;

    ControlCycleTest() {
        SetDefaults(c);
        c.P[65] = 0.0f; // no board interface: the cycle itself is under test
        c.cycleObserver = &log;
    }
};

TEST(CycleInterval, IsTheRoundedPeriodOfTheCycleRate) {
    EXPECT_EQ(CycleIntervalMs(10.0f), 100);
    EXPECT_EQ(CycleIntervalMs(3.0f), 333);
    EXPECT_EQ(CycleIntervalMs(400.0f), 2); // 2.5 rounds to even
    EXPECT_EQ(CycleIntervalMs(80.0f), 12); // 12.5 rounds to even
    EXPECT_EQ(CycleIntervalMs(16.0f), 62); // 62.5 as well
    EXPECT_EQ(CycleIntervalMs(6.0f), 167);
}

TEST(CycleInterval, UnusableRatesFallBackToTheDefaultPeriod) {
    EXPECT_EQ(CycleIntervalMs(0.0f), 100);
    EXPECT_EQ(CycleIntervalMs(-5.0f), 100);
    EXPECT_EQ(CycleIntervalMs(std::numeric_limits<float>::quiet_NaN()), 100);
    EXPECT_EQ(CycleIntervalMs(std::numeric_limits<float>::infinity()), 100);
    // Below one cycle a second or above a thousand: no rate a profile means.
    EXPECT_EQ(CycleIntervalMs(0.001f), 100);
    EXPECT_EQ(CycleIntervalMs(1e-30f), 100);
    EXPECT_EQ(CycleIntervalMs(0.999f), 100);
    EXPECT_EQ(CycleIntervalMs(1000.5f), 100);
    EXPECT_EQ(CycleIntervalMs(1e9f), 100);
    EXPECT_EQ(CycleIntervalMs(1.0f), 1000);
    EXPECT_EQ(CycleIntervalMs(1000.0f), 1);
}

TEST_F(ControlCycleTest, StepsRunInTheirFixedOrder) {
    c.ServoOn = 1.0f;
    c.SweepRunning = 1.0f;
    c.P[20] = 2.0f;
    c.P[30] = 1.0f;
    c.CycleCounter = 2; // this pass is cycle 3
    c.Limits.rows = {{2, 20.0f, 3.0f, 30.0f, 3.0f}};
    FakeLabNetwork network;
    c.ports.network = &network;
    ControlCycle(c);
    const std::vector<std::string> expected = {"StartCycle",       "CountRunCycle",     "ComputeReference",
                                               "SweepStep",        "SendFrequency",     "UpdateServoGain",
                                               "SendDrive",        "MeasureResponses",  "ScaleAndSmoothResponses",
                                               "ApplyLimits",      "UpdateDrive",       "HoldDriveUnderLimits",
                                               "CheckAlarms",      "MarkChannels",      "WriteRecordRow",
                                               "TallyTestSummary", "PollRunInputs",     "ExchangeRemoteControlFile",
                                               "ExchangeNetwork",  "UpdateRunTime",     "RefreshStatusPanel",
                                               "UpdateRunTime",    "RefreshStatusPanel"};
    EXPECT_EQ(log.steps, expected);
}

TEST_F(ControlCycleTest, GatedStepsStayOutWhenTheirConditionFails) {
    c.P[20] = 1.0f;
    c.P[30] = 0.0f;
    c.P[99] = 0.0f;
    ControlCycle(c);
    const std::vector<std::string> expected = {
        "StartCycle", "ComputeReference", "SendFrequency",          "UpdateServoGain",
        "SendDrive",  "MeasureResponses", "ScaleAndSmoothResponses"};
    EXPECT_EQ(log.steps, expected);
}

TEST_F(ControlCycleTest, CounterRunsTwoToTenThenOne) {
    std::vector<int> seen;
    for (int i = 0; i < 11; ++i) {
        ControlCycle(c);
        seen.push_back(c.CycleCounter);
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2}));
    EXPECT_EQ(c.RunCycleCount, 1.0); // not sweeping
    c.SweepRunning = 1.0f;
    ControlCycle(c);
    EXPECT_EQ(c.RunCycleCount, 2.0);
}

TEST_F(ControlCycleTest, StatusPanelOnCycleThreeOrEveryCycleWhileP99IsOne) {
    c.P[99] = 0.0f;
    for (int i = 0; i < 10; ++i) ControlCycle(c);
    EXPECT_EQ(log.Count("RefreshStatusPanel"), 1);
    log.steps.clear();
    c.P[99] = 1.0f;
    for (int i = 0; i < 10; ++i) ControlCycle(c);
    EXPECT_EQ(log.Count("RefreshStatusPanel"), 11); // every cycle, twice on cycle 3
    EXPECT_EQ(log.Count("UpdateRunTime"), 11) << "the run time moves with each refresh";
}

TEST_F(ControlCycleTest, TracesOnCycleSixOnlyWithServoOnOrManual) {
    c.P[0] = 2.0f;
    for (int i = 0; i < 10; ++i) ControlCycle(c);
    EXPECT_EQ(log.Count("UpdateTraces"), 0);
    c.P[0] = 1.0f;
    for (int i = 0; i < 10; ++i) ControlCycle(c);
    EXPECT_EQ(log.Count("UpdateTraces"), 1);
    c.P[0] = 2.0f;
    c.ServoOn = 1.0f;
    for (int i = 0; i < 10; ++i) ControlCycle(c);
    EXPECT_EQ(log.Count("UpdateTraces"), 2);
}

TEST_F(ControlCycleTest, TheTracesCycleRaisesADriveBelowTheFloor) {
    struct Case {
        float range; // P[52]
        float drive; // after the traces' cycle
    };
    // Manual with the servo off: nothing else moves the drive. The frequency stands 2 %
    // above the last stored point, so the traces' cycle stores a row going up.
    for (const Case& k : {Case{3.0f, 0.0001f}, Case{0.0f, 0.0001f}, Case{7.0f, 0.00002f}}) {
        c.P[0] = 1.0f;
        c.P[52] = k.range;
        c.CycleCounter = 4;
        c.DriveOutput = 0.00002f;
        c.SweepDirection = 2.0f;
        c.CurrentFrequency = 102.0f;
        c.LastStoredFrequency = 100.0f;
        c.HistoryCount = 1;
        ControlCycle(c);
        EXPECT_EQ(c.DriveOutput, 0.00002f) << "cycle 5 leaves it";
        ControlCycle(c);
        EXPECT_EQ(c.DriveOutput, k.drive) << k.range;
        ASSERT_EQ(c.HistoryCount, 2);
        EXPECT_EQ(c.History.at(1, 10), k.drive) << "the row keeps the raised drive";
    }
}

TEST_F(ControlCycleTest, TheEndOfTestRunsRightAfterTheSweepStepThatFoundIt) {
    c.ServoOn = 1.0f;
    c.SweepRunning = 1.0f;
    c.P[5] = 1.0f;
    c.SweepCounter = 1.5f;
    c.CurrentFrequency = c.P[1]; // back at the lower limit: the half sweep that ends it
    float sentFrequency = 0.0f;
    float servoAtSend = -1.0f;
    log.onStep = [&](const std::string& step) {
        if (step != "SendFrequency") return;
        sentFrequency = c.CurrentFrequency;
        servoAtSend = c.ServoOn;
    };
    ControlCycle(c);
    ASSERT_GE(log.steps.size(), 6u);
    EXPECT_EQ(log.steps[3], "SweepStep");
    EXPECT_EQ(log.steps[4], "EndOfTest");
    EXPECT_EQ(sentFrequency, c.P[1]);
    EXPECT_EQ(servoAtSend, 0.0f) << "the later steps see the test stopped";
    EXPECT_EQ(log.Count("UpdateDrive"), 0);
    EXPECT_EQ(c.SweepCounter, 0.5f);
    log.steps.clear();
    ControlCycle(c);
    EXPECT_EQ(log.Count("EndOfTest"), 0) << "once";
}

TEST_F(ControlCycleTest, RemoteOverridesReplaceLevelAndFrequency) {
    c.RemoteDriveOverride = 1.0f;
    c.RemoteDriveLevel = 3.5f;
    c.RemoteFrequencyOverride = 1.0f;
    c.RemoteFrequency = 123.0f;
    c.P[0] = 1.0f; // Manual: the profile leaves the level alone
    c.ReferenceLevel = 0.2f;
    ControlCycle(c);
    EXPECT_EQ(c.ReferenceLevel, 0.2f); // drive override only with the servo on
    EXPECT_EQ(c.CurrentFrequency, 123.0f);
    c.ServoOn = 1.0f;
    ControlCycle(c);
    EXPECT_EQ(c.ReferenceLevel, 3.5f);
}

TEST(CycleDriverPeriod, KeepsThePeriodOfTheCycleRate) {
    for (const auto& [rate, cycles] : {std::pair{10.0f, 60u}, {3.0f, 19u}, {400.0f, 3000u}, {1e-30f, 60u}}) {
        TestController t;
        SetDefaults(t.c);
        t.c.P[66] = rate;
        CycleDriver driver(t.c);
        RunSimulated(driver, t.clock, 6000); // cycles at 0, period, 2 periods ... below 6000 ms
        EXPECT_EQ(driver.CyclesRun(), cycles) << rate;
    }
}

TEST_F(ControlCycleTest, CycleStartsOnItsDueTime) {
    CycleDriver driver(c);
    EXPECT_EQ(driver.Service(), 100); // the first cycle runs at once
    t.clock.AdvanceMs(40);
    EXPECT_EQ(driver.Service(), 60);
    EXPECT_EQ(driver.CyclesRun(), 1u);
    t.clock.AdvanceMs(60);
    EXPECT_EQ(driver.Service(), 100);
    EXPECT_EQ(driver.CyclesRun(), 2u);
    EXPECT_EQ(c.CycleStartMs, 100);
}

TEST_F(ControlCycleTest, LateCycleStartsTheNextAtOnce) {
    CycleDriver driver(c);
    log.onStep = [&](const std::string& step) {
        if (step == "MeasureResponses") t.clock.AdvanceMs(150); // a slow block transfer
    };
    EXPECT_EQ(driver.Service(), 0);
    EXPECT_EQ(driver.Service(), 0);
    EXPECT_EQ(driver.CyclesRun(), 2u);
    EXPECT_EQ(c.CycleStartMs, 150);
}

// What a step tells the operator waits for the end of the cycle under a driver that
// defers it, and is done in place under one that does not (the headless runner).
TEST_F(ControlCycleTest, WorkAskedInACycleWaitsForItsEndWhereDeferred) {
    for (const bool defer : {true, false}) {
        CycleDriver driver(c, defer);
        bool done = false;
        log.onStep = [&](const std::string& step) {
            if (step == "SendDrive") DoAfterCycle(c, [&](Controller&) { done = true; });
        };
        t.clock.AdvanceMs(1000);
        driver.Service();
        EXPECT_EQ(done, !defer);
        EXPECT_EQ(c.WorkAfterCycle, nullptr);
        for (auto& work : driver.TakeWorkAfterCycle()) work(c);
        EXPECT_TRUE(done);
        EXPECT_TRUE(driver.TakeWorkAfterCycle().empty());
    }
}

TEST_F(ControlCycleTest, CycleNeverReentersItself) {
    CycleDriver driver(c);
    std::int64_t nested = 0;
    log.onStep = [&](const std::string& step) {
        if (step == "SendDrive") nested = driver.Service(); // an event loop run from inside a step
    };
    driver.Service();
    EXPECT_EQ(nested, CycleDriver::Suspended);
    EXPECT_EQ(driver.CyclesRun(), 1u);
}

TEST_F(ControlCycleTest, FailingStepDoesNotStopTheLoop) {
    CycleDriver driver(c);
    log.onStep = [&](const std::string& step) {
        if (step == "MeasureResponses") throw std::runtime_error("block transfer failed");
    };
    RunSimulated(driver, t.clock, 1000);
    EXPECT_EQ(driver.CyclesRun(), 10u);
    EXPECT_EQ(driver.LastFault(), "block transfer failed");
}

TEST_F(ControlCycleTest, TimerTickKeepsOnlyItsBookkeeping) {
    c.P[16] = 20.0f;
    const int counter = c.CycleCounter;
    UpdateTimerTick(c);
    EXPECT_EQ(c.TimerInterval, 50);
    EXPECT_EQ(c.CycleCounter, counter);
    EXPECT_TRUE(log.steps.empty());
}

} // namespace
