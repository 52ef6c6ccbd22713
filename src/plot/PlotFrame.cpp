#include "plot/PlotFrame.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "plot/LimitLines.h"
#include "plot/PlotMapping.h"
#include "plot/ReferenceLines.h"
#include "plot/Traces.h"

#include <array>
#include <cmath>

namespace {

constexpr const char* BlankLabel = "     ";

void SetScaleFactors(Controller& c) {
    if (const auto axis = AmplitudeAxisFor(c.P[Param::AmplitudeRange])) {
        c.Plot.AmplitudeScale = axis->scale;
        c.Plot.GridDecades = axis->gridDecades;
    }
    if (c.P[Param::FrequencyRange] == 0.0f) c.P[Param::FrequencyRange] = 3.0f;
    c.Plot.FrequencyScale = FrequencyScaleFor(c.P[Param::FrequencyRange]);
}

// The trace x at the present frequency, every trace's height on the bottom edge.
void ResetPensToFrame(Controller& c, const PlotTarget& t) {
    c.Plot.PenX = static_cast<float>(t.mapping.X(static_cast<double>(c.CurrentFrequency)));
    const auto bottom = static_cast<float>(t.mapping.box.Bottom());
    c.Plot.PenY.fill(bottom);
    c.Plot.PenAverageY = bottom;
    c.Plot.PenDriveY = bottom;
    c.Plot.PenTransferY = bottom;
}

// Each channel's legend on its own line, printed only while its response is shown;
// an unticked channel leaves its line empty.
void DrawLegends(const Controller& c, const PlotTarget& t) {
    const PlotBox& box = t.mapping.box;
    for (int k = 1; k <= 16; ++k) {
        if (!ChannelLegendShown(c, k)) continue;
        t.canvas.Text(box.left + 0.01 * box.width, box.top + (0.05 + 0.04 * (k - 1)) * box.height, ChannelLegend(k),
                      t.palette.Channel(k));
    }
}

void WriteLegendLabels(Controller& c) {
    Panel& panel = c.Indicators;
    for (const char* name : {"Label41", "Label42", "Label43", "Label44"}) panel.SetText(name, BlankLabel);
    panel.SetText("Label45", c.P[Param::AverageMask] > 0.0f ? "Ave.-- " : BlankLabel);
    panel.SetText("Label46", c.Menu.Checked("mnuViewDrive") ? "Drive-" : BlankLabel);
    panel.SetText("Label47", c.P[Param::TransferOutput] > 0.0f ? "Trans-" : BlankLabel);
}

} // namespace

bool ChannelLegendShown(const Controller& c, int channel) {
    const float group = c.P[Param::ChannelGroup];
    const bool groupShown = channel <= 8 ? (group == 0.0f || group == 1.0f) : (group == 0.0f || group == 2.0f);
    return groupShown && c.Menu.Checked("mnuViewResponse", channel - 1);
}

const char* ChannelLegend(int channel) {
    static constexpr std::array<const char*, 16> legends = {
        "Ch#1---", "Ch#2 ---", "Ch#3 ---", "Ch#4 ---", "Ch#5 - -",  "Ch#6 - -",  "Ch#7 - -",  "Ch#8 - -",
        "Ch#9---", "Ch#10 --", "Ch#11 --", "Ch#12 --", "Ch#13 - -", "Ch#14 - -", "Ch#15 - -", "Ch#16 - -"};
    return channel >= 1 && channel <= 16 ? legends[static_cast<std::size_t>(channel - 1)] : "";
}

void DrawGrid(const PlotTarget& t, float frequencyRange, int gridDecades) {
    const PlotBox& box = t.mapping.box;
    t.canvas.SetPenWidth(1);
    for (int decade = 0; decade < gridDecades; ++decade) {
        for (int step = 1; step <= 10; ++step) {
            const double y = t.mapping.YOfRatio(std::pow(10.0, decade) * step);
            t.canvas.Line(box.left, y, box.Right(), y, t.palette.grid);
        }
    }
    // A range beyond 3 (a damaged profile) would only add lines far right of the area.
    for (int decade = 0; decade <= 3 && static_cast<float>(decade) <= frequencyRange; ++decade) {
        for (int digit = 1; digit <= 9; ++digit) {
            const double x = t.mapping.X(std::pow(10.0, decade) * digit);
            t.canvas.Line(x, box.top, x, box.Bottom(), t.palette.grid);
        }
    }
}

void DrawPlotFrame(Controller& c) {
    SetScaleFactors(c);
    const PlotTarget t = ScreenTarget(c);
    ResetPensToFrame(c, t);
    DrawGrid(t, c.P[Param::FrequencyRange], c.Plot.GridDecades);
    WriteLegendLabels(c);
    DrawLegends(c, t);
    const PlotBox& box = t.mapping.box;
    t.canvas.Text(box.left + 0.2 * box.width, box.top + 0.01 * box.height, c.SubTitle1, t.palette.subTitle);
    t.canvas.Text(box.left + 0.2 * box.width, box.top + 0.05 * box.height, c.SubTitle2, t.palette.subTitle);
}

void RefreshPlot(Controller& c) {
    c.ports.plot->Cls(IsOn(c.P[Param::PlotBackground]) ? 0xFFFFFF : 0x000000);
    DrawPlotFrame(c);
    DrawReferenceLines(c);
    DrawLimitLines(c);
    if (c.HistoryCount > 1) {
        RedrawTraces(c);
        RebuildAverageMask(c);
    }
}
