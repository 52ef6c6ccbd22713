#include "hardware/jack/DriveRamp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// 48 kHz and a 20 ms ramp: 960 samples from one aim to the next.
constexpr double Rate = 48000.0;
constexpr double RampSeconds = 0.02;

std::vector<float> Play(DriveRamp& ramp, int samples) {
    std::vector<float> out(static_cast<std::size_t>(samples));
    ramp.Render(out);
    return out;
}

} // namespace

TEST(DriveRamp, ReachesEachAimAlongAStraightRamp) {
    DriveRamp ramp(Rate, RampSeconds, 1.0);
    ramp.Aim(1000.0, 0.5);
    Play(ramp, 480);
    EXPECT_NEAR(ramp.Amplitude(), 0.25, 1e-12);
    EXPECT_NEAR(ramp.Hz(), 500.0, 1e-9);
    EXPECT_FALSE(ramp.Settled());
    Play(ramp, 480);
    EXPECT_TRUE(ramp.Settled());
    EXPECT_EQ(ramp.Amplitude(), 0.5);
    EXPECT_EQ(ramp.Hz(), 1000.0);
}

// From 20 Hz at 0.5 to 30 Hz at 0.8: a sine of 30 Hz at 0.8 moves at most
// 2 pi 30 / 48000 x 0.8 = 0.0031 a sample; its slope bends by at most
// (2 pi 30 / 48000)^2 = 1.5e-5, and the start of the amplitude ramp bends it by at
// most 0.3 / 960 = 3.1e-4. A jump of phase of 1 mrad or more would bend it further.
TEST(DriveRamp, ChangesFrequencyAndLevelWithoutStepOrJumpOfPhase) {
    DriveRamp ramp(Rate, RampSeconds, 1.0);
    ramp.Aim(20.0, 0.5);
    std::vector<float> out = Play(ramp, 4800);
    ramp.Aim(30.0, 0.8);
    const std::vector<float> after = Play(ramp, 4800);
    out.insert(out.end(), after.begin(), after.end());
    for (std::size_t n = 2; n < out.size(); ++n) {
        ASSERT_LE(std::abs(out[n] - out[n - 1]), 0.01) << n;
        ASSERT_LE(std::abs(out[n] - 2.0f * out[n - 1] + out[n - 2]), 5e-4) << n;
    }
}

TEST(DriveRamp, KeepsTheDriveWithinItsLimitsWhateverTheAim) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        double hz, amplitude, limit;
        double settledHz, settledAmplitude;
    } const cases[] = {
        {"above the safety limit", 100.0, 2.0, 0.25, 100.0, 0.25},
        {"negative", 100.0, -0.5, 1.0, 100.0, 0.0},
        {"not a number", nan, nan, 1.0, 100.0, 0.0}, // the frequency stays
        {"above half the sample rate", 30000.0, 0.5, 1.0, 24000.0, 0.5},
        {"a limit that is not a number", 100.0, 0.5, nan, 100.0, 0.0},
    };
    for (const Case& k : cases) {
        DriveRamp ramp(Rate, RampSeconds, k.limit);
        ramp.Aim(100.0, 0.1);
        Play(ramp, 960);
        ramp.Aim(k.hz, k.amplitude);
        const std::vector<float> out = Play(ramp, 2000);
        EXPECT_EQ(ramp.Hz(), k.settledHz) << k.name;
        EXPECT_EQ(ramp.Amplitude(), k.settledAmplitude) << k.name;
        for (const float sample : out) ASSERT_LE(std::abs(sample), std::max(0.1, k.settledAmplitude) + 1e-6) << k.name;
    }
}
