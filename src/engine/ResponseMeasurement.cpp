#include "core/Steps.h"

// Response measurement and smoothing; built with the engine.
void MeasureResponses(Controller&) {}
void ScaleAndSmoothResponses(Controller&) {}
