#include "hardware/audiobench/BenchAudio.h"
#include "hardware/audiobench/DriveTracker.h"
#include "hardware/sim/BenchFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>
#include <vector>

namespace {

using audiobench::BenchAudio;

constexpr double TwoPi = 2.0 * std::numbers::pi;

// A sine drive starting at 0.3 rad, not at a zero crossing: the tracker has to forget the
// silence before it.
std::vector<float> Sine(double rate, double hz, double amplitude, double seconds) {
    std::vector<float> drive(static_cast<std::size_t>(seconds * rate));
    for (std::size_t n = 0; n < drive.size(); ++n)
        drive[n] = static_cast<float>(amplitude * std::sin(0.3 + TwoPi * hz * static_cast<double>(n) / rate));
    return drive;
}

TEST(DriveTracker, LocksWithinTenPeriodsToFrequencyAmplitudeAndPhase) {
    struct Case {
        double rate, hz, amplitude;
    };
    for (const Case c : {Case{48000, 100, 0.5}, Case{44100, 5, 0.02}, Case{96000, 8000, 0.9}}) {
        SCOPED_TRACE(testing::Message() << c.hz << " Hz at " << c.rate);
        const std::vector<float> drive = Sine(c.rate, c.hz, c.amplitude, 10.0 / c.hz);
        audiobench::DriveTracker tracker(c.rate);
        for (const float x : drive) tracker.Push(x);
        EXPECT_NEAR(tracker.FrequencyHz(), c.hz, c.hz * 1e-4);
        // The estimate is of the sample before the last: A e^{i theta} with x = A sin(theta).
        const double theta = 0.3 + TwoPi * c.hz * static_cast<double>(drive.size() - 2) / c.rate;
        EXPECT_LT(std::abs(tracker.Analytic() - std::polar(c.amplitude, theta)), c.amplitude * 1e-4);
    }
}

// What channel 1 puts out for a steady sine drive, worked by hand from the bench file.
// The shaker's suspension sits far below the test (0.1 Hz, Q 1000: a factor of
// r^2 / (1 - r^2) with r = f / 0.1 Hz, -1 to a millionth at 100 Hz, -10000/9999 at 10 Hz)
// and the armature either at 100 Hz with Q 5 (a factor of -5i at 100 Hz) or far above
// (1), so 2 G at full drive give 10 G peak per unit drive at 100 Hz, and 1 G per unit
// drive at 10 Hz; volts = G x sensitivity.
TEST(BenchAudio, ChannelAmplitudeIsResponseTimesDriveTimesSensitivity) {
    struct Case {
        std::string bench;
        double hz, drive, samplePeak, trueG; // the peak in volts over full scale, after the coupling
    };
    const std::string resonance = "shaker.full-drive-g 2\nshaker.suspension 0.1 1000\nshaker.armature 100 5\n";
    const std::string flat = "shaker.full-drive-g 1\nshaker.suspension 0.1 1000\nshaker.armature 100000 0.5\n";
    const double tenHz = 10000.0 / 9999.0;
    const Case cases[] = {
        {resonance + "channel 1 table 100", 100, 0.25, 0.25, 2.5}, // 2.5 G x 0.1 V/G
        {resonance + "channel 1 table 100\naudio.full-scale-v 0.5", 100, 0.25, 0.5, 2.5},
        {resonance + "channel 1 table 1000", 100, 0.25, 1.0, 2.5}, // 2.5 V clipped at 1 V
        {flat + "channel 1 table 1000\naudio.high-pass 10", 10, 0.5, 0.5 * tenHz / std::sqrt(2.0), 0.5 * tenHz},
        {flat + "channel 1 table 1000\naudio.high-pass 10", 100, 0.5, 0.5 / std::sqrt(1.01), 0.5}, // 1/sqrt(1+0.1^2)
    };
    const double rate = 48000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bench);
        std::istringstream file(c.bench + "\nharmonics\nnoise-g 0\n");
        BenchAudio bench(sim::ReadBenchFile(file), rate);
        // Two seconds let the coupling settle; the last of them is measured.
        std::vector<float> drive = Sine(rate, c.hz, c.drive, 2.0);
        std::vector<float> channel1(drive.size());
        std::vector<audiobench::TruthRow> truth;
        for (std::size_t at = 0; at < drive.size(); at += 256) { // 2 s are 375 periods of 256 samples
            float* block[] = {channel1.data() + at};
            for (const auto& row : bench.Process(std::span(drive).subspan(at, 256), block)) truth.push_back(row);
        }
        const auto lastSecond = channel1.end() - static_cast<std::ptrdiff_t>(rate);
        const double peak = std::abs(
            *std::max_element(lastSecond, channel1.end(), [](float a, float b) { return std::abs(a) < std::abs(b); }));
        EXPECT_NEAR(peak, c.samplePeak, 2e-4);
        ASSERT_EQ(truth.size(), 20U); // one row each 0.1 s
        EXPECT_NEAR(truth.back().seconds, 1.9, 1e-9);
        EXPECT_NEAR(truth.back().frequencyHz, c.hz, 1e-3);
        EXPECT_NEAR(truth.back().fundamentalG[0], c.trueG, c.trueG * 1e-4);

        // A drive that stops leaves nothing but the noise, here none, two samples on: the
        // tracker is one sample behind and reads the quadrature part across it.
        if (&c == &cases[0]) {
            const std::vector<float> silence(8, 0.0F);
            std::vector<float> after(silence.size(), 1.0F);
            float* block[] = {after.data()};
            bench.Process(silence, block);
            EXPECT_TRUE(std::all_of(after.begin() + 2, after.end(), [](float x) { return x == 0.0F; }));
        }
    }
}

} // namespace
