#include "plot/PlotDrawing.h"

#include "plot/SweepHistory.h"

// Plot frame, reference lines and traces; built with the plot.
void DrawPlotFrame(Controller&) {}
void DrawReferenceLines(Controller&) {}
void RefreshPlot(Controller&) {}
// The live traces are drawn with the plot; the history grows here already.
void UpdateTraces(Controller& c) { AppendHistoryPoint(c); }
void PlaceFrequencyAxisLabels(Controller&) {}
void WriteAmplitudeAxisLabels(Controller&) {}
