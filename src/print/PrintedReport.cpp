#include "print/PrintedReport.h"

#include "core/Controller.h"

#include <cmath>

namespace {
// The printed plot box spans 0.15..0.9 of the page width and ends at 0.7 of its height.
constexpr float PlotBoxLeft = 0.15f;
constexpr float PlotBoxBottom = 0.7f;
// x per unit of ln(f) as a fraction of the page width.
constexpr float PageFrequencyScale = 0.0814f;
} // namespace

// Printed report; built with the print adapter.
void PrintReport(Controller&) {}

void ResetPrintPens(Controller& c) {
    c.PrintPenPositions[0] = PrintableWidth * (std::log(c.P[1]) * PageFrequencyScale + PlotBoxLeft);
    for (int i = 1; i <= 4; ++i) c.PrintPenPositions[static_cast<std::size_t>(i)] = PrintableHeight * PlotBoxBottom;
}
