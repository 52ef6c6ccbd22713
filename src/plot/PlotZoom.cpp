#include "plot/PlotZoom.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "plot/PlotFrame.h"

#include <algorithm>

namespace {
void StepRange(Controller& c, int entry, float step, float lowest, float highest) {
    // A range that is not finite (a damaged profile) comes back into the band too.
    const float range = c.P[entry] + step;
    c.P[entry] = range >= lowest ? std::min(range, highest) : lowest;
    RefreshPlot(c);
}
} // namespace

void ZoomFrequencyIn(Controller& c) { StepRange(c, Param::FrequencyRange, -1.0f, 1.0f, 3.0f); }
void ZoomFrequencyOut(Controller& c) { StepRange(c, Param::FrequencyRange, 1.0f, 1.0f, 3.0f); }
void ZoomAmplitudeIn(Controller& c) { StepRange(c, Param::AmplitudeRange, -1.0f, 0.0f, 3.0f); }
void ZoomAmplitudeOut(Controller& c) { StepRange(c, Param::AmplitudeRange, 1.0f, 0.0f, 3.0f); }
