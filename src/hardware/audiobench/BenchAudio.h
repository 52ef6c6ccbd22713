#pragma once

#include "hardware/audiobench/DriveTracker.h"
#include "hardware/sim/BenchSetup.h"
#include "hardware/sim/ShakerPlant.h"

#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>

namespace audiobench {

// The true motion under every sensor at one moment: the fundamental of each channel in
// G peak, as the plant makes it from the drive it follows.
struct TruthRow {
    double seconds = 0.0; // sample time since the bench started
    double frequencyHz = 0.0;
    double drive = 0.0; // amplitude, fraction of full drive
    std::array<double, sim::BenchChannels> fundamentalG{};
};

// The simulated bench's plant played as audio: a block of drive samples in (1 = full
// drive), a block of every channel's samples out, in volts of its sensor over the
// inputs' full scale, clipped to the interface's range. Each channel is the plant's
// response at the tracked frequency applied to the tracked sine, with the harmonics
// and noise of the bench's sensors, through the AC coupling of the inputs if the bench
// has one. Real-time safe: no allocation, no lock, no system call.
class BenchAudio {
public:
    static constexpr double TruthIntervalSeconds = 0.1;
    // Enough rows for a block of 8192 samples at 44.1 kHz, and four times over.
    static constexpr std::size_t MaxTruthRowsPerBlock = 8;
    static constexpr std::size_t MaxHarmonics = 32;

    BenchAudio(const sim::BenchModel& model, double sampleRate);

    // `channels` holds up to 16 outputs, channel k at k - 1, each `frames` long (null: not
    // wanted). Returns the rows of truth due within the block, valid until the next call.
    std::span<const TruthRow> Process(std::span<const float> drive, std::span<float* const> channels);

private:
    void UpdateResponses();
    double ChannelG(std::size_t k, std::complex<double> unitPhasor, double amplitude);
    TruthRow Truth() const;

    sim::ShakerPlant plant_;
    double sampleRate_;
    DriveTracker tracker_;
    std::mt19937 noise_;
    std::normal_distribution<double> unitNoise_{0.0, 1.0};
    std::size_t orders_; // the fundamental and each harmonic

    // Each channel's complex response per order at the tracked frequency, moving in a
    // straight line to the newest value over a stride so the output has no steps.
    using Responses = std::array<std::array<std::complex<double>, MaxHarmonics + 1>, sim::BenchChannels>;
    Responses response_{};
    Responses responseStep_{};
    std::size_t strideLeft_ = 0;

    // The first-order high-pass of AC-coupled inputs: y = gain (x - x1) + feedback y1.
    double highPassGain_ = 1.0;
    double highPassFeedback_ = 0.0;
    std::array<double, sim::BenchChannels> lastVolts_{};
    std::array<double, sim::BenchChannels> lastCoupled_{};

    std::int64_t sample_ = 0;
    double nextTruthSample_ = 0.0;
    std::array<TruthRow, MaxTruthRowsPerBlock> truth_{};
};

} // namespace audiobench
