#include "plot/PlotPens.h"

#include "core/Controller.h"

#include <cmath>

namespace {
// x per unit of ln(f) as a fraction of the width, on the axis from 1 Hz to about 10000 Hz.
constexpr double FullAxisFrequencyScale = 0.1086;
} // namespace

void ResetPlotPens(Controller& c) {
    const double width = c.ports.plot != nullptr ? c.ports.plot->Width() : 0.0;
    const double height = c.ports.plot != nullptr ? c.ports.plot->Height() : 0.0;
    const double horizontal = std::log(static_cast<double>(c.CurrentFrequency)) * FullAxisFrequencyScale * width;
    c.Plot.PenX = std::isfinite(horizontal) ? static_cast<float>(horizontal) : 0.0f;
    const auto bottom = static_cast<float>(height);
    c.Plot.PenY.fill(bottom);
    c.Plot.PenAverageY = bottom;
    c.Plot.PenDriveY = bottom;
    c.Plot.PenTransferY = bottom;
}
