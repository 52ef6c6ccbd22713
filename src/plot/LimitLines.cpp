#include "plot/LimitLines.h"

#include "core/Controller.h"
#include "core/LimitTable.h"
#include "core/ParameterNames.h"
#include "engine/ReferenceProfile.h"
#include "plot/PlotFrame.h"
#include "plot/PlotMapping.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace {

struct Pen {
    double x = 0.0;
    double y = 0.0;
};

// The line from `a` to `b` cut to the box (the Liang-Barsky clip): the page clamps each
// point into its box on its own, which would bend a line that leaves it.
std::optional<std::pair<Pen, Pen>> InsideBox(const PlotBox& box, Pen a, Pen b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double enter = 0.0;
    double leave = 1.0;
    // Each edge as p t <= q: the part of the line on the box's side of it.
    const std::pair<double, double> edges[] = {
        {-dx, a.x - box.left}, {dx, box.Right() - a.x}, {-dy, a.y - box.top}, {dy, box.Bottom() - a.y}};
    for (const auto& [p, q] : edges) {
        if (p == 0.0) {
            if (q < 0.0) return std::nullopt;
            continue;
        }
        const double t = q / p;
        if (p < 0.0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
    }
    if (!(enter <= leave)) return std::nullopt;
    return std::pair{Pen{a.x + enter * dx, a.y + enter * dy}, Pen{a.x + leave * dx, a.y + leave * dy}};
}

void DrawInBox(const PlotTarget& t, Pen a, Pen b, Rgb color) {
    if (const auto inside = InsideBox(t.mapping.box, a, b))
        t.canvas.Line(inside->first.x, inside->first.y, inside->second.x, inside->second.y, color);
}

// A row holds one acceleration, velocity or displacement over its segment, so its
// limit rises as a power of the frequency: a straight line on the plot's log-log axes,
// drawn as one line from the row's breakpoint to the next, then a step at that
// breakpoint to the next row's limit. The last row holds only at its own frequency.
void DrawChannel(const Controller& c, const PlotTarget& t, const PlotMapping& mapping, int channel) {
    const float multiplier = TraceMultiplier(TraceKind::Response, c.P[Param::AmplitudeRange]);
    const Rgb color = t.palette.Channel(channel);
    const std::vector<LimitRow> rows = RowsOfChannel(c.Limits, channel);
    std::optional<Pen> pen; // where the line goes on from
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const LimitRow& row = rows[i];
        const float next = i + 1 < rows.size() ? rows[i + 1].frequency : row.frequency;
        const std::optional<float> start = ModeLevelInG(c, row.mode, row.level, row.frequency);
        const std::optional<float> end = ModeLevelInG(c, row.mode, row.level, next);
        if (!start || !end) {
            pen.reset();
            continue;
        }
        const Pen first{mapping.X(static_cast<double>(row.frequency)),
                        mapping.Y(static_cast<double>(*start), multiplier)};
        const Pen last{mapping.X(static_cast<double>(next)), mapping.Y(static_cast<double>(*end), multiplier)};
        if (pen && pen->y != first.y) DrawInBox(t, *pen, first, color);
        if (row.frequency < next) DrawInBox(t, first, last, color);
        pen = last;
    }
}

} // namespace

void DrawLimitLinesOn(const Controller& c, const PlotTarget& t) {
    std::vector<int> drawn;
    for (int channel = 1; channel <= LimitTable::Channels; ++channel)
        if (ChannelLegendShown(c, channel) && !RowsOfChannel(c.Limits, channel).empty()) drawn.push_back(channel);
    // Without a limit to draw the canvas is not touched at all.
    if (drawn.empty()) return;
    // The lines are cut to the box here, so they are mapped without the page's clamp.
    PlotMapping mapping = t.mapping;
    mapping.clampToBox = false;
    t.canvas.SetPenWidth(1);
    t.canvas.SetLineStyle(LineStyle::Dashed);
    for (const int channel : drawn) DrawChannel(c, t, mapping, channel);
    t.canvas.SetLineStyle(LineStyle::Solid);
}

void DrawLimitLines(Controller& c) { DrawLimitLinesOn(c, ScreenTarget(c)); }
