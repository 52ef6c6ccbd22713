#include "hardware/jack/SineMeter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void SineMeter::Arm(double hz, double sampleRate, std::int64_t first, std::int64_t count) {
    cyclesPerFrame_ = hz / sampleRate;
    first_ = first;
    count_ = std::max<std::int64_t>(count, 0);
    taken_ = 0;
    sums_ = {};
}

void SineMeter::Feed(std::span<const float> frames, std::int64_t firstFrame) {
    const auto total = static_cast<std::int64_t>(frames.size() / Width);
    const std::int64_t from = std::max(first_ + taken_, firstFrame);
    const std::int64_t to = std::min(first_ + count_, firstFrame + total);
    for (std::int64_t n = from; n < to; ++n) {
        // The cycles of a whole measurement stay small, so the phase keeps its precision.
        const double turns = cyclesPerFrame_ * static_cast<double>(n - first_);
        const std::complex<double> back = std::polar(1.0, -2.0 * std::numbers::pi * (turns - std::floor(turns)));
        const float* frame = frames.data() + (n - firstFrame) * Width;
        for (std::size_t k = 0; k < sums_.size(); ++k) sums_[k] += static_cast<double>(frame[k]) * back;
    }
    if (to > from) taken_ = to - first_;
}

SineMeter::Phasors SineMeter::Measured() const {
    // A sin(x + phi) is A/2i (e^(i(x + phi)) - e^(-i(x + phi))): the sum over whole cycles
    // keeps count A / 2i e^(i phi).
    Phasors phasors{};
    const std::complex<double> scale(0.0, 2.0 / static_cast<double>(std::max<std::int64_t>(count_, 1)));
    for (std::size_t k = 0; k < sums_.size(); ++k) phasors[k] = sums_[k] * scale;
    return phasors;
}
