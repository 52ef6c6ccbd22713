#include "core/CycleDriver.h"
#include "core/RunCommands.h"
#include "core/SimulatedLoop.h"
#include "core/StartUp.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The whole controller on the simulated clock, without an acquisition library: it
// starts in demo mode and runs the default profile against the demo plant.
TEST(DemoRun, DefaultProfileEndsAfterOneSweepUpAndDownAtTheConfiguredRate) {
    TestController t;
    Controller& c = t.c;
    c.WorkingFolder = "/nonexistent-zek8-folder";
    StartUp(c);
    ASSERT_EQ(c.DemoMode, 1.0f);
    ASSERT_EQ(c.CurrentFrequency, 5.0f);

    CycleDriver driver(c);
    StartServo(c);
    RunSweep(c);
    const double startSeconds = t.clock.MonotonicSeconds();

    float highest = 0.0f;
    double endSeconds = 0.0;
    while (t.clock.MonotonicSeconds() - startSeconds < 1000.0) {
        RunSimulated(driver, t.clock, t.clock.TickMs() + 100);
        highest = std::max(highest, c.CurrentFrequency);
        if (!IsOn(c.SweepRunning)) {
            endSeconds = t.clock.MonotonicSeconds();
            break;
        }
    }
    ASSERT_GT(endSeconds, 0.0) << "the test never ended";
    EXPECT_EQ(driver.LastFault(), "");
    EXPECT_EQ(c.AbortCode, 0.0f);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.TestStarted, 0.0f);
    EXPECT_EQ(c.CurrentFrequency, 5.0f);
    EXPECT_EQ(c.SweepCounter, 0.5f);
    EXPECT_EQ(highest, 5000.0f);

    // 3 octaves a minute over log2(5000 / 5) = 9.966 octaves, up and down: 398.6 s.
    const double expected = 2.0 * std::log2(1000.0) / 3.0 * 60.0;
    EXPECT_NEAR(endSeconds - startSeconds, expected, expected * 0.02);
}

} // namespace
