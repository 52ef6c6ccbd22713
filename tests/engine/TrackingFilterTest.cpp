#include "engine/TrackingFilter.h"

#include "engine/ResponseMeasurement.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <tuple>
#include <vector>

namespace {

constexpr double ScanRate = 10240.0;

// A block of `scans` 8-sample scans: place 0 holds offset + amplitude sin(w s + phase)
// plus a second and a third harmonic, place 3 half of that, the other places nothing.
std::vector<std::int16_t> Block(int scans, double frequency, double amplitude, double second, double third,
                                double offset = 0.0, double phase = 0.0) {
    std::vector<std::int16_t> block(static_cast<std::size_t>(scans) * 8, 0);
    const double w = 2.0 * std::numbers::pi * frequency / ScanRate;
    for (int s = 0; s < scans; ++s) {
        const double x = offset + amplitude * std::sin(w * s + phase) + second * std::sin(2.0 * (w * s + phase)) +
                         third * std::sin(3.0 * (w * s + phase));
        block[static_cast<std::size_t>(s) * 8] = static_cast<std::int16_t>(std::lround(x));
        block[static_cast<std::size_t>(s) * 8 + 3] = static_cast<std::int16_t>(std::lround(x / 2.0));
    }
    return block;
}

double Radians(double frequency) { return 2.0 * std::numbers::pi * frequency / ScanRate; }

TEST(TrackingFilter, FindsTheFundamentalWhereTheRectifiedMeanCannot) {
    struct Case {
        double frequency, amplitude, second, third, offset, phase;
        int samples;
    };
    const Case cases[] = {
        {5.0, 1000, 0, 0, 200, 0.7, 600},     // under a third of a period, with an offset
        {8.0, 1000, 100, 50, 200, 0.7, 1023}, // harmonics over 0.8 of a period
        {100.0, 1000, 100, 50, 0, 0.3, 1023}, // 10 % second, 5 % third harmonic
        {2000.0, 8000, 0, 0, -50, 2.0, 512},
    };
    for (const Case& k : cases) {
        const auto block = Block(k.samples + 1, k.frequency, k.amplitude, k.second, k.third, k.offset, k.phase);
        const TrackedAmplitudes tracked = TrackAmplitudes(block, k.samples, Radians(k.frequency));
        ASSERT_TRUE(tracked.fitted) << k.frequency;
        // Rounding each sample to a count moves the fit by well under one count.
        EXPECT_NEAR(tracked.counts[0], k.amplitude, 1.0) << k.frequency;
        EXPECT_NEAR(tracked.counts[3], k.amplitude / 2.0, 1.0) << k.frequency;
        EXPECT_EQ(tracked.counts[5], 0) << k.frequency;
    }
    // The same 5 Hz block read by the rectified mean: far from 1000.
    const auto slow = Block(601, 5.0, 1000, 0, 0, 200, 0.7);
    EXPECT_GT(std::abs(DetectAmplitude(slow, 0, 600).rectifiedMean - 1000), 100);
}

TEST(TrackingFilter, RefusesAFitThatReadsNoiseAsResponse) {
    // Half the scan rate (sine column all but 0), a 20th and a 100th of a period (columns
    // nearly alike), then the lowest and highest frequency the drive is given.
    const std::array<std::tuple<double, double, bool>, 5> cases = {
        {{5120.0, 0, false}, {0.5, 0, false}, {0.1, 0, false}, {1.0, 1000, true}, {5110.0, 1000, true}}};
    for (const auto& [frequency, amplitude, fitted] : cases) {
        auto block = Block(1024, frequency, amplitude, 0, 0, 0, 0.3);
        for (std::size_t s = 0; s < 1024; ++s) // 3 counts of noise: a tone no fit here takes in
            block[s * 8] = static_cast<std::int16_t>(block[s * 8] + (s & 2 ? -3 : 3));
        const TrackedAmplitudes tracked = TrackAmplitudes(block, 1023, Radians(frequency));
        EXPECT_EQ(tracked.fitted, fitted) << frequency;
        // Rounding the samples moves a fit at 1 Hz (noise gain 2.2) by under 2 counts.
        EXPECT_NEAR(tracked.counts[0], fitted ? amplitude : 0, 2.0) << frequency;
    }
}

TEST(TrackingFilter, NoFrequencyNoFit) {
    const auto block = Block(600, 50.0, 1000, 0, 0);
    EXPECT_FALSE(TrackAmplitudes(block, 599, 0.0).fitted);
    EXPECT_FALSE(TrackAmplitudes(block, 599, std::nan("")).fitted);
    EXPECT_FALSE(TrackAmplitudes(block, 2, Radians(50.0)).fitted) << "three scans at least";
}

TEST(RmsDetector, ReadsThePeakOfASineOverWholePeriods) {
    // 80 Hz: 128 scans a period; scans 1..1024 hold eight whole periods.
    const auto block = Block(1025, 80.0, 1000, 0, 0);
    EXPECT_EQ(DetectAmplitude(block, 0, 1024).rms, 1000);
    EXPECT_EQ(DetectAmplitude(block, 3, 1024).rms, 500);
}

} // namespace
