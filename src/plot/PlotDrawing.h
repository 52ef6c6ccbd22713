#pragma once

struct Controller;

// The plot area: its frame, the reference and abort lines and the live traces, drawn
// onto the plot canvas; and the axis labels beside it.

// The scale factors set, the pens reset, the grid, legends and sub titles drawn.
void DrawPlotFrame(Controller& c);
// The reference profile and its abort limits across the frequency axis.
void DrawReferenceLines(Controller& c);
// The full redraw: cleared, frame, reference lines, and the traces from the history.
void RefreshPlot(Controller& c);
// One cycle's segment of each trace shown, and the sweep point stored in the history.
void UpdateTraces(Controller& c);
// The axis labels beside the plot, rewritten by every status refresh: the decade
// labels of the frequency axis placed for P[51], and the value labels of the
// amplitude axis for P[52] and the units (the unit label itself is the panel's).
void PlaceFrequencyAxisLabels(Controller& c);
void WriteAmplitudeAxisLabels(Controller& c);
