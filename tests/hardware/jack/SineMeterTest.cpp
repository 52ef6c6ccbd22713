#include "hardware/jack/SineMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

// At 48 kHz one cycle of 50 Hz is 960 frames. in1 carries 0.3 sin(2 pi 50 t + 0.5) on an
// offset of 0.2, in2 nothing; three cycles measured from frame 960 (a whole cycle in, so
// the phase there is 0.5 again), fed in periods of 256 frames that straddle both ends.
TEST(SineMeter, MeasuresAmplitudeAndPhaseOverWholeCyclesFreeOfTheOffset) {
    constexpr double Rate = 48000.0, Hz = 50.0;
    SineMeter meter;
    meter.Arm(Hz, Rate, 960, 2880);
    std::vector<float> period(256 * SineMeter::Width);
    for (std::int64_t first = 0; first < 4096; first += 256) {
        EXPECT_EQ(meter.Done(), first >= 3840) << first;
        for (std::int64_t n = 0; n < 256; ++n)
            period[static_cast<std::size_t>(n) * SineMeter::Width] = static_cast<float>(
                0.2 + 0.3 * std::sin(2.0 * std::numbers::pi * Hz * static_cast<double>(first + n) / Rate + 0.5));
        meter.Feed(period, first);
    }
    ASSERT_TRUE(meter.Done());
    const SineMeter::Phasors measured = meter.Measured();
    EXPECT_NEAR(std::abs(measured[0]), 0.3, 1e-6);
    EXPECT_NEAR(std::arg(measured[0]), 0.5, 1e-6);
    EXPECT_EQ(std::abs(measured[1]), 0.0);
}
