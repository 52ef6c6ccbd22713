#pragma once

#include "plot/PlotTarget.h"

struct Controller;

// Each limit channel's limit as a dashed line in its channel's colour, from its first
// to its last breakpoint, in the units of the response traces. A channel's limit is
// drawn while its trace is: the legend is what ties a colour to a channel (channels 1,
// 5, 9 and 13 share one), and a limit is read against its own channel's response.
void DrawLimitLines(Controller& c);
void DrawLimitLinesOn(const Controller& c, const PlotTarget& target);
