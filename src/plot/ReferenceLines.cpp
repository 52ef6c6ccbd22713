#include "plot/ReferenceLines.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "engine/ReferenceProfile.h"
#include "plot/PlotMapping.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int MostSteps = 400;
constexpr float StepRatio = 1.021f;
constexpr float LevelWithoutSegment = 0.1f; // G

// The profile segment f falls in: the first row i with F(i) <= f < F(i + 1), else row 100.
int SegmentOf(const Controller& c, float f) {
    int i = 1;
    while (!(c.Breakpoints[i].Frequency <= f && f < c.Breakpoints[i + 1].Frequency) && i < 100) ++i;
    return i;
}

// The height of `dB` of abort tolerance: the plot spans 20 dB a decade plus 6 dB, or
// 66 dB at range 0.
double AbortOffset(double height, float abortDb, float range) {
    const double span = range == 0.0f ? 66.0 : 20.0 * static_cast<double>(range) + 6.0;
    const double offset = height * static_cast<double>(abortDb) / span;
    return std::isfinite(offset) ? offset : 0.0;
}

} // namespace

void DrawReferenceLinesOn(const Controller& c, const PlotTarget& t) {
    const PlotBox& box = t.mapping.box;
    const float multiplier = TraceMultiplier(TraceKind::Response, c.P[Param::AmplitudeRange]);
    const bool abortPoints = c.Menu.Checked("mnuViewAbort");
    double penX = t.mapping.X(static_cast<double>(c.P[Param::LowerLimit]));
    double penY = box.Bottom();
    double upperPen = penY;
    double lowerPen = penY;
    float f = c.P[Param::LowerLimit];
    for (int step = 0; step < MostSteps; ++step) {
        const int i = SegmentOf(c, f);
        const float level = ProfileLevelAt(c, i, f).value_or(LevelWithoutSegment);
        const double x = t.mapping.X(static_cast<double>(f));
        const double y = t.mapping.Y(static_cast<double>(level), multiplier);
        const double offset = AbortOffset(box.height, c.Breakpoints[i].Abort, c.P[Param::AmplitudeRange]);
        const double lower = std::min(y + offset, box.Bottom());
        const double upper = std::max(y - offset, box.top);

        t.canvas.Line(penX, penY, x, y, t.palette.reference);
        if (t.abortLimitsAsLines && step > 0) {
            t.canvas.Line(penX, upperPen, x, upper, t.palette.abortPoint);
            t.canvas.Line(penX, lowerPen, x, lower, t.palette.abortPoint);
        }
        penX = x;
        penY = y;
        upperPen = upper;
        lowerPen = lower;

        f = f * StepRatio;
        if (f > c.P[Param::UpperLimit]) return;
        if (abortPoints && !t.abortLimitsAsLines) {
            t.canvas.Point(x, upper, t.palette.abortPoint);
            t.canvas.Point(x, lower, t.palette.abortPoint);
        }
        if (!t.abortLimitsAsLines) t.canvas.Point(x, y, t.palette.referencePoint);
    }
}

void DrawReferenceLines(Controller& c) { DrawReferenceLinesOn(c, ScreenTarget(c)); }
