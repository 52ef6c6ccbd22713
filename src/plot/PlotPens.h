#pragma once

struct Controller;

// Where the live traces continue from after a stop: the trace x at the present
// frequency on the full 1..10000 Hz axis, and every trace from the bottom edge of the
// plot area.
void ResetPlotPens(Controller& c);
