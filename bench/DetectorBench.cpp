// How long the tracking filter takes over the blocks of one control cycle: 16 channels
// (two boards of 8) of 1023 samples each, at most 30 us: at 137 Hz, and at 8 Hz where the
// block holds under a period and the second and third harmonics are fitted too.

#include "engine/TrackingFilter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

void BM_TrackingFilterOfSixteenChannels(benchmark::State& state) {
    constexpr int Scans = 1024;
    const double radians = 2.0 * std::numbers::pi * static_cast<double>(state.range(0)) / 10240.0;
    std::vector<std::int16_t> block(Scans * 8);
    for (int s = 0; s < Scans; ++s)
        for (int place = 0; place < 8; ++place)
            block[static_cast<std::size_t>(s * 8 + place)] =
                static_cast<std::int16_t>(std::lround(1000.0 * (place + 1) * std::sin(radians * s)));
    for (auto _ : state) {
        for (int board = 0; board < 2; ++board) benchmark::DoNotOptimize(TrackAmplitudes(block, Scans - 1, radians));
    }
}
BENCHMARK(BM_TrackingFilterOfSixteenChannels)->Arg(137)->Arg(8)->Arg(2000)->Unit(benchmark::kMicrosecond);

} // namespace
