#pragma once

#include "plot/PlotTarget.h"

struct Controller;

// The reference profile across the frequency axis from the lower to the upper limit,
// in steps of 2.1 %, with its abort limits: on screen a line with a point at each
// step, the abort limits as points while Abort Limits is ticked; on the page as lines.
void DrawReferenceLines(Controller& c);
void DrawReferenceLinesOn(const Controller& c, const PlotTarget& target);
