#pragma once

struct Controller;

// Where the live traces continue from (`PlotPenPositions`): the trace x and the
// starting y of the five line traces. After a stop the x stands at the present
// frequency on the full 1..10000 Hz axis and every line trace starts again from the
// bottom edge of the plot area.
void ResetPlotPens(Controller& c);
