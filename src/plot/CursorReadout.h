#pragma once

struct Controller;

// Reading the plot back, and handing its picture on.

// A mouse button pressed on the plot area at (x, y) in its own units: the frequency and
// amplitude there shown in `lblCursor` until the first status refresh 3 s later.
void ShowCursorReadout(Controller& c, double x, double y);
// After a word on what it does, the plot area's picture on the clipboard as a bitmap.
void CopyPlotToClipboard(Controller& c);
