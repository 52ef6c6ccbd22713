// How long the plot takes to draw on a large window's picture: the full redraw of a
// whole history after a zoom or a resize (at most 10 ms), and the live point of one
// control cycle (at most 0.5 ms).

#include "BusyPlot.h"
#include "plot/PlotFrame.h"
#include "plot/Traces.h"

#include <benchmark/benchmark.h>

namespace {

void BM_RefreshPlotOfAFullHistory(benchmark::State& state) {
    EnsureApplication();
    BusyPlot plot;
    for (auto _ : state) {
        RefreshPlot(plot.c);
        benchmark::DoNotOptimize(plot.picture.Image().constBits());
    }
}
BENCHMARK(BM_RefreshPlotOfAFullHistory)->Unit(benchmark::kMillisecond);

void BM_UpdateTraces(benchmark::State& state) {
    EnsureApplication();
    BusyPlot plot;
    RefreshPlot(plot.c);
    for (auto _ : state) {
        UpdateTraces(plot.c);
        // The window copies the picture to the screen after each cycle.
        benchmark::DoNotOptimize(plot.picture.Image().constBits());
    }
}
BENCHMARK(BM_UpdateTraces)->Unit(benchmark::kMicrosecond);

} // namespace
