#include "plot/PlotTarget.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"

PlotPalette ScreenPalette(float background) {
    PlotPalette palette;
    if (IsOn(background)) palette.reference = 0x000000;
    return palette;
}

PlotTarget ScreenTarget(const Controller& c) {
    Canvas& canvas = *c.ports.plot;
    const PlotBox box{0.0, 0.0, static_cast<double>(canvas.Width()), static_cast<double>(canvas.Height())};
    return PlotTarget{canvas, PlotMapping{box, c.Plot.FrequencyScale, c.Plot.AmplitudeScale},
                      ScreenPalette(c.P[Param::PlotBackground])};
}
