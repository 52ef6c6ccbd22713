#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <span>

// The amplitude and phase of one frequency in every input, over a run of captured frames
// given to it as they come: the sum of each input times a unit phasor turning backwards
// at that frequency. Over whole cycles the sum holds the sine alone, free of an offset.
class SineMeter {
public:
    static constexpr int Width = 16;
    using Phasors = std::array<std::complex<double>, Width>;

    // Measures frames [first, first + count) at `hz`, frames numbered as Feed numbers them.
    void Arm(double hz, double sampleRate, std::int64_t first, std::int64_t count);
    // `frames`: whole frames, Width samples each, the first of them numbered `firstFrame`.
    void Feed(std::span<const float> frames, std::int64_t firstFrame);
    bool Armed() const { return count_ > 0; }
    bool Done() const { return count_ > 0 && taken_ == count_; }
    // Once done: each input as A e^(i phi) for a reading of A sin(2 pi hz t + phi), t from
    // the first frame.
    Phasors Measured() const;

private:
    double cyclesPerFrame_ = 0.0;
    std::int64_t first_ = 0, count_ = 0, taken_ = 0;
    Phasors sums_{};
};
