#pragma once

#include "plot/PlotTarget.h"

struct Controller;

// The plot's frame: the scale factors for the axis ranges, the decade grid, the
// channel legends and the sub titles; and the full redraw of the plot area.

// The scale factors set from `FrequencyRange` and `AmplitudeRange`, the pens back to the bottom edge at
// the present frequency, then grid, legends and sub titles drawn.
void DrawPlotFrame(Controller& c);
// The full redraw: the area cleared to the background of `PlotBackground`, the frame, the
// reference and abort lines, the limit channels' limits, and the traces from the history, after which the average
// mask is rebuilt.
void RefreshPlot(Controller& c);

// The decade grid in the target's box: amplitude lines for `gridDecades` decades of the
// scale, frequency lines 1..9 of each decade up to the range `FrequencyRange` (at most 10000 Hz).
void DrawGrid(const PlotTarget& target, float frequencyRange, int gridDecades);

// Whether channel 1..16 has its legend: its response ticked and its group (`ChannelGroup`:
// 0 all, 1 channels 1..8, 2 channels 9..16) shown.
bool ChannelLegendShown(const Controller& c, int channel);
// The legend of channel 1..16 as the plot area prints it ("Ch#1---", "Ch#5 - -").
const char* ChannelLegend(int channel);
