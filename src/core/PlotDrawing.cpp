#include "core/Steps.h"

// Plot frame, reference lines and traces; built with the plot.
void DrawPlotFrame(Controller&) {}
void DrawReferenceLines(Controller&) {}
void RefreshPlot(Controller&) {}
void UpdateTraces(Controller&) {}
void PlaceFrequencyAxisLabels(Controller&) {}
void WriteAmplitudeAxisLabels(Controller&) {}
