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
using audiobench::DriveTracker;

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
        DriveTracker tracker(c.rate);
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
        const char* bench;
        double hz, drive;
        double samplePeak; // volts over full scale, after the coupling
        double trueG;
    };
    const std::string resonance = "shaker.full-drive-g 2\nshaker.suspension 0.1 1000\nshaker.armature 100 5\n";
    const std::string flat = "shaker.full-drive-g 1\nshaker.suspension 0.1 1000\nshaker.armature 100000 0.5\n";
    const double tenHz = 10000.0 / 9999.0;
    const Case cases[] = {
        {"channel 1 table 100", 100, 0.25, 0.25, 2.5},                        // 2.5 G x 0.1 V/G
        {"channel 1 table 100\naudio.full-scale-v 0.5", 100, 0.25, 0.5, 2.5}, // 0.25 V of 0.5 V
        {"channel 1 table 1000", 100, 0.25, 1.0, 2.5},                        // 2.5 V clipped at 1 V
        {"channel 1 table 1000\naudio.high-pass 10", 10, 0.5, 0.5 * tenHz / std::sqrt(2.0), 0.5 * tenHz}, // -3 dB
        {"channel 1 table 1000\naudio.high-pass 10", 100, 0.5, 0.5 / std::sqrt(1.01), 0.5}, // 1/sqrt(1+(10/100)^2)
    };
    const double rate = 48000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bench);
        std::istringstream file((c.hz == 100 && c.trueG == 2.5 ? resonance : flat) + "harmonics\nnoise-g 0\n" +
                                c.bench + "\n");
        BenchAudio bench(sim::ReadBenchFile(file), rate);
        // Two seconds let the coupling settle; the last of them is measured.
        std::vector<float> drive = Sine(rate, c.hz, c.drive, 2.0);
        std::vector<float> channel1(drive.size());
        float* outputs[] = {channel1.data()};
        std::vector<audiobench::TruthRow> truth;
        for (std::size_t at = 0; at < drive.size(); at += 256) {
            const std::size_t frames = std::min<std::size_t>(256, drive.size() - at);
            float* block[] = {outputs[0] + at};
            for (const auto& row : bench.Process(std::span(drive).subspan(at, frames), block)) truth.push_back(row);
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
        if (c.bench == std::string("channel 1 table 100")) {
            const std::vector<float> silence(8, 0.0F);
            std::vector<float> after(silence.size(), 1.0F);
            float* block[] = {after.data()};
            bench.Process(silence, block);
            EXPECT_TRUE(std::all_of(after.begin() + 2, after.end(), [](float x) { return x == 0.0F; }));
        }
    }
}

} // namespace

// A drive without steps gives an output without steps: across the armature's resonance
// (100 Hz, Q 5), where the response turns by 180 degrees, no sample of a fast sweep with a
// rising amplitude moves further than the plant's true sine can, A |H| w / rate, and 5 %:
// the response's own turn through the resonance speeds the output's phase by up to 3.5 %
// at this rate of sweep. A phase or amplitude that jumps at a block's edge breaks it.
TEST(BenchAudio, SweptDriveGivesOutputWithoutSteps) {
    std::istringstream file("shaker.full-drive-g 2\nshaker.suspension 0.1 1000\nshaker.armature 100 5\n"
                            "harmonics\nnoise-g 0\nchannel 1 table 100\n");
    const sim::BenchModel model = sim::ReadBenchFile(file);
    const sim::ShakerPlant plant(model);
    const double rate = 48000;
    BenchAudio bench(model, rate);
    std::vector<float> drive(2 * 48000), channel1(drive.size());
    std::vector<double> slopeBound(drive.size());
    double cycles = 0.0;
    for (std::size_t n = 0; n < drive.size(); ++n) {
        const double t = static_cast<double>(n) / rate, hz = 50.0 * std::pow(4.0, t / 2.0), a = 0.1 + 0.2 * t;
        drive[n] = static_cast<float>(a * std::sin(TwoPi * cycles));
        slopeBound[n] = a * std::abs(plant.ChannelResponse(1, hz)) * 0.1 * TwoPi * hz / rate * 1.05;
        cycles += hz / rate;
    }
    float* outputs[] = {channel1.data()};
    bench.Process(drive, outputs);
    for (std::size_t n = 4800; n + 1 < drive.size(); ++n)
        ASSERT_LE(std::abs(channel1[n + 1] - channel1[n]), slopeBound[n]) << "sample " << n;
}
