#pragma once

#include "plot/PlotTarget.h"

struct Controller;
struct PlotState;

// The traces of the plot: each shown channel as lines or points in its colour, the
// average of chosen channels, the drive and a transfer function, drawn at the present
// frequency as the test runs and redrawn from the sweep history.

// One point of every trace at the present values, then the point stored in the
// history when the sweep has moved far enough.
void UpdateTraces(Controller& c);
// Every stored point again, continuing from the frame's pens; afterwards the pens
// stand at the last stored point, so the live drawing continues from there.
void RedrawTraces(Controller& c);
// The same onto another target with its own pens (the printed page).
void RedrawTracesOn(Controller& c, const PlotTarget& target, PlotState& pens);

// output / input when the input is above 0, else 1; kept within 0.01 .. 200.
float ComputeTransferRatio(float output, float input);
