#pragma once

#include "core/Canvas.h"
#include "plot/PlotMapping.h"

#include <array>

// The colours a plot is drawn in. The screen's follow the background; a monochrome
// page draws everything black.
struct PlotPalette {
    Rgb grid = 0x008080;           // dark cyan
    Rgb reference = 0xFFFFFF;      // the reference profile line
    Rgb referencePoint = 0xFFFFFF; // its points between the abort points
    Rgb abortPoint = 0xFFFF00;
    std::array<Rgb, 4> channels = {0xFF0000, 0xFF00FF, 0x800000, 0x0000FF}; // channel k: (k - 1) mod 4
    Rgb average = 0x00FF00;
    Rgb drive = 0xFFFF00;
    Rgb transfer = 0xFFFFFF;
    Rgb subTitle = 0xFFFFFF;

    Rgb Channel(int channel) const { return channels[static_cast<std::size_t>((channel - 1) % 4)]; }
};

// The screen's colours on the background `PlotBackground` (0 black, 1 white): only the reference
// line turns black on white.
PlotPalette ScreenPalette(float background);

// Where and how one drawing goes: the canvas, the box the mapping fills, the colours,
// and the rules of the medium.
struct PlotTarget {
    Canvas& canvas;
    PlotMapping mapping;
    PlotPalette palette;
    // The page draws the abort limits as continuous lines, whether or not the view
    // shows them; the screen draws them as points while Abort Limits is ticked.
    bool abortLimitsAsLines = false;
};

struct Controller;

// The plot area picPlot as a target: the whole area, its size taken as whole numbers
// now, the scale factors of the last frame drawing.
PlotTarget ScreenTarget(const Controller& c);
