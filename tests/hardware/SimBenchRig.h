#pragma once

#include "core/Clock.h"
#include "hardware/sim/SimBench.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

// Port-A values of the three serial words, bit by bit as the unit's protocol table
// lays them out; independent of the board layer's own encoder.
inline std::vector<int> FrequencyWordWrites(std::uint32_t word) {
    std::vector<int> writes;
    for (int bit = 0; bit < 16; ++bit) {
        const int b = static_cast<int>(word >> bit & 1U);
        writes.insert(writes.end(), {16 + 2 * b, 16 + 2 * b + 1, 16});
    }
    writes.insert(writes.end(), {48, 16});
    return writes;
}

inline std::vector<int> CurrentSourceWrites(std::uint32_t word) {
    std::vector<int> writes{16};
    for (int bit = 7; bit >= 0; --bit) {
        const int b = static_cast<int>(word >> bit & 1U);
        writes.insert(writes.end(), {16 + 2 * b, 16 + 2 * b + 8, 16});
    }
    return writes;
}

inline std::vector<int> DriveFrameWrites(std::uint32_t high, std::uint32_t low) {
    const std::uint32_t frame = (high & 0xFFFU) << 12 | (low & 0xFFFU);
    std::vector<int> writes{0};
    for (int bit = 23; bit >= 0; --bit) {
        const int b = static_cast<int>(frame >> bit & 1U);
        writes.insert(writes.end(), {2 * b, 2 * b + 1, 0});
    }
    writes.push_back(16);
    return writes;
}

// A bench whose table follows the drive exactly (resonances far outside the band), with
// no noise and no distortion, so block counts can be worked out by hand.
inline sim::BenchModel QuietBench() {
    sim::BenchModel model = sim::DefaultBenchModel();
    model.suspensionHz = 0.1;
    model.suspensionQ = 1.0;
    model.armatureHz = 1e5;
    model.armatureQ = 1.0;
    model.harmonics.clear();
    for (sim::SensorMounting& sensor : model.channels) {
        sensor = sim::SensorMounting{};
        sensor.noiseG = 0.0;
    }
    return model;
}

// Emulated boards brought up by library calls alone, the way the board layer does it,
// on a clock of their own.
template <class BoardsClock, class Boards>
struct BoardsRig {
    BoardsClock clock;
    Boards bench;
    std::vector<std::int16_t> dac = std::vector<std::int16_t>(8193, 32767);
    std::array<std::vector<std::int16_t>, 2> transfer{std::vector<std::int16_t>(8193), std::vector<std::int16_t>(8193)};
    std::vector<std::int16_t> block = std::vector<std::int16_t>(8193);

    template <class... Setting>
    explicit BoardsRig(Setting&&... setting) : bench(clock, std::forward<Setting>(setting)...) {}

    DaqHandle Bring(const char* device, std::array<std::int32_t, 8> gains) {
        const DaqHandle h = bench.daqOpen(device);
        if (h == NoDaqHandle) return h;
        auto& adc = transfer[static_cast<std::size_t>(h)];
        for (int output = 0; output < 2; ++output) {
            bench.daqDacSetOutputMode(h, 0, output, 2);
            bench.daqDacWaveSetBuffer(h, 0, output, dac, 4096, output == 0 ? 1 : 3);
            bench.daqDacTransferStart(h, 0, output);
        }
        bench.daqDacWaveArm(h, 0);
        int configuration = 0;
        bench.daqIOGet8255Conf(h, 0, 0, 1, 1, configuration);
        bench.daqIOWrite(h, 1, 3, 0, 1, configuration);
        Scan(h, gains);
        bench.daqAdcTransferSetBuffer(h, adc, 1024, 27);
        bench.daqAdcSetFreq(h, 10240.0f);
        bench.daqAdcTransferStart(h);
        bench.daqAdcArm(h);
        return h;
    }
    int Scan(DaqHandle h, std::array<std::int32_t, 8> gains) {
        const std::array<std::int32_t, 8> channels{0, 1, 2, 3, 4, 5, 6, 7};
        const std::array<std::int32_t, 8> flags{6, 6, 6, 6, 6, 6, 6, 6};
        return bench.daqAdcSetScan(h, channels, gains, flags, 8);
    }
    void PortA(DaqHandle h, const std::vector<int>& writes) {
        for (const int value : writes) bench.daqIOWrite(h, 1, 0, 0, 1, value);
    }
    void Drive(double hz, std::uint32_t high) {
        PortA(Boards::MasterHandle, FrequencyWordWrites(static_cast<std::uint32_t>(hz * 8.192)));
        PortA(Boards::MasterHandle, DriveFrameWrites(high, 0));
    }
    // The newest scans of a board; the count the library gave.
    int Read(DaqHandle h) {
        int returned = -1;
        bench.daqAdcTransferBufData(h, block, 1024, 1, returned);
        return returned;
    }
    std::vector<double> Channel(int place, int first, int count) const {
        std::vector<double> samples;
        for (int s = first; s < first + count; ++s)
            samples.push_back(block[static_cast<std::size_t>(s * 8 + place - 1)]);
        return samples;
    }
};

using BenchRig = BoardsRig<SimulatedClock, sim::SimBench>;

// The least-squares sine and cosine parts of a known frequency in samples taken at
// 10240 scans/s: samples ~ a sin(w n) + b cos(w n), exact even over part of a period.
inline std::pair<double, double> SineParts(const std::vector<double>& samples, double hz) {
    double ss = 0, sc = 0, cc = 0, xs = 0, xc = 0;
    for (std::size_t n = 0; n < samples.size(); ++n) {
        const double angle = 2.0 * std::numbers::pi * hz * static_cast<double>(n) / 10240.0;
        const double s = std::sin(angle), c = std::cos(angle);
        ss += s * s;
        sc += s * c;
        cc += c * c;
        xs += samples[n] * s;
        xc += samples[n] * c;
    }
    const double det = ss * cc - sc * sc;
    return {(xs * cc - xc * sc) / det, (xc * ss - xs * sc) / det};
}

inline double SineAmplitude(const std::vector<double>& samples, double hz) {
    const auto [a, b] = SineParts(samples, hz);
    return std::hypot(a, b);
}

// The phase (radians) of that sine at the first sample.
inline double SinePhase(const std::vector<double>& samples, double hz) {
    const auto [a, b] = SineParts(samples, hz);
    return std::atan2(b, a);
}
