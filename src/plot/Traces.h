#pragma once

#include "plot/PlotTarget.h"

struct Controller;
struct PlotState;

// The traces of the plot: each shown channel as lines or points in its colour, the
// average of chosen channels, the drive and a transfer function, drawn at the present
// frequency as the test runs and redrawn from the sweep history.

// The drawings change nothing but their canvas and their pens. What a drawing of the
// traces leaves to the shared state is done by its caller afterwards: the average mask
// (RebuildAverageMask), and in the control cycle the drive the transfer function took
// (TransferDrive) and the history point.

// One point of every trace at the present values, each from where it last ended.
void UpdateTraces(Controller& c);
// Every stored point again, continuing from the frame's pens; afterwards the pens
// stand at the last stored point, so the live drawing continues from there.
void RedrawTraces(Controller& c);
// The same onto another target with its own pens (the printed page).
void RedrawTracesOn(const Controller& c, const PlotTarget& target, PlotState& pens);

// After a drawing of at least one point: while the average is on (`AverageMask` above 0)
// its mask becomes that of the ticked Average channels. A drawing reads `AverageMask` as it
// stood, so the average switched on with no channel ticked draws one segment to the
// top edge; the mask is then 0 and no more are drawn.
void RebuildAverageMask(Controller& c);

// The drive as the transfer function takes it: at least 0.0001 of full output.
float TransferDrive(float drive);

// output / input when the input is above 0, else 1; kept within 0.01 .. 200.
float ComputeTransferRatio(float output, float input);
