#pragma once

struct Controller;

// The View menu's choices of what the plot shows; each redraws the plot but Abort
// Limits, whose points come or go at the next redraw.

// 0 all channels, 1 channels 1..8, 2 channels 9..16 (`ChannelGroup`).
void ShowChannelGroup(Controller& c, float group);
// Channel item 0..15 of Response, on or off.
void ToggleResponseTrace(Controller& c, int item);
// Channel item 0..7 of the average; ticking one switches the average on (`AverageMask`),
// whose mask the next drawing rebuilds from the ticks.
void ToggleAverageChannel(Controller& c, int item);
void ToggleDriveTrace(Controller& c);
// Item 0..9 of the transfer function's Output or Input, the only one ticked or none;
// ticking an Output item switches the transfer trace on (`TransferOutput`), and unticking it
// leaves it on with the last output value. The Input item is kept in `TransferInput`.
void SelectTransferOutput(Controller& c, int item);
void SelectTransferInput(Controller& c, int item);
void ToggleAbortLimits(Controller& c);
// Black (`PlotBackground` 0) or white (1) behind the plot.
void SetPlotBackground(Controller& c, bool white);
