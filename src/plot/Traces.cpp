#include "plot/Traces.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "plot/PlotMapping.h"

#include <array>
#include <optional>
#include <string>

namespace {

// The transfer function takes no drive below the smallest one the drive law sends.
constexpr float SmallestDrive = 0.0001f;

// The values one point of the traces is drawn from: live, or a row of the history.
struct TraceValues {
    float frequency = 0.0f;
    std::array<float, 17> response{}; // channels 1..16
    float drive = 0.0f;
    float reference = 0.0f;
};

TraceValues LiveValues(const Controller& c) {
    return {c.CurrentFrequency, c.ChannelResponse, c.DriveOutput, c.ReferenceLevel};
}

TraceValues HistoryValues(const Controller& c, int row) {
    TraceValues v;
    v.frequency = c.History.at(row, 1);
    for (int k = 1; k <= 8; ++k) v.response[static_cast<std::size_t>(k)] = c.History.at(row, 1 + k);
    for (int k = 9; k <= 16; ++k) v.response[static_cast<std::size_t>(k)] = c.History.at(row, 4 + k);
    v.drive = c.History.at(row, 10);
    v.reference = c.History.at(row, 11);
    return v;
}

bool Ticked(const Controller& c, const char* item, int index) { return c.Menu.Checked(item, index); }

// The ticked items of the Average menu, channels 1..8.
std::array<bool, 9> AverageTicks(const Controller& c) {
    std::array<bool, 9> ticked{};
    for (int j = 1; j <= 8; ++j) ticked[static_cast<std::size_t>(j)] = Ticked(c, "mnuViewAveResponse", j - 1);
    return ticked;
}

// The average mask of `AverageMask`: 2^(j - 1) for each ticked channel j.
float AverageMaskOf(const std::array<bool, 9>& ticked) {
    float mask = 0.0f;
    for (int j = 1; j <= 8; ++j) {
        if (ticked[static_cast<std::size_t>(j)]) mask += static_cast<float>(1 << (j - 1));
    }
    return mask;
}

// The last ticked item of a transfer menu, if any.
std::optional<int> TickedTransferItem(const Controller& c, const char* menu) {
    std::optional<int> ticked;
    for (int item = 0; item <= 9; ++item)
        if (Ticked(c, menu, item)) ticked = item;
    return ticked;
}

bool GroupShown(float channelsShown, int channel) {
    const bool lower = channelsShown == 0.0f || channelsShown == 1.0f;
    const bool upper = channelsShown == 0.0f || channelsShown == 2.0f;
    return channel <= 8 ? lower : upper;
}

TraceSelection SelectionOf(const Controller& c) {
    TraceSelection s;
    for (int k = 1; k <= 16; ++k)
        s.response[static_cast<std::size_t>(k)] =
            GroupShown(c.P[Param::ChannelGroup], k) && Ticked(c, "mnuViewResponse", k - 1);
    s.average = AverageTicks(c);
    s.drive = Ticked(c, "mnuViewDrive", -1);
    s.output = TickedTransferItem(c, "mnuViewTransferOut");
    s.input = TickedTransferItem(c, "mnuViewTransferIn");
    return s;
}

// The selection as the menus stand now, read again only when they or the channel group
// have changed since the cycle last read it.
const TraceSelection& CurrentSelection(Controller& c) {
    const std::pair<std::uint64_t, float> now{c.Menu.Revision(), c.P[Param::ChannelGroup]};
    if (c.Plot.SelectionFor != now) {
        c.Plot.Selection = SelectionOf(c);
        c.Plot.SelectionFor = now;
    }
    return c.Plot.Selection;
}

// The source value of Output or Input item 0..9: channel 1..8, five times the drive, the test level.
float TransferSource(const TraceValues& v, int item) {
    if (item < 8) return v.response[static_cast<std::size_t>(item + 1)];
    return item == 8 ? 5.0f * TransferDrive(v.drive) : v.reference;
}

// Channels 1..4 and 9..12 are drawn as lines, 5..8 and 13..16 as single points.
bool DrawnAsLine(int channel) { return (channel - 1) % 8 < 4; }

// The new heights of every trace for this point; a range `AmplitudeRange` the plot does not
// know leaves them where they were.
void MovePens(const Controller& c, const TraceSelection& s, const PlotTarget& t, PlotState& pens,
              const TraceValues& v) {
    const float range = c.P[Param::AmplitudeRange];
    if (!AmplitudeAxisFor(range)) return;
    const float responseK = TraceMultiplier(TraceKind::Response, range);
    for (std::size_t k = 1; k <= 16; ++k)
        pens.PenY[k] = static_cast<float>(t.mapping.Y(static_cast<double>(v.response[k]), responseK));
    pens.PenDriveY =
        static_cast<float>(t.mapping.Y(static_cast<double>(v.drive), TraceMultiplier(TraceKind::Drive, range)));
    if (s.output) pens.TransferOutput = TransferSource(v, *s.output);
    if (s.input) pens.TransferInput = TransferSource(v, *s.input);
    pens.TransferRatio = ComputeTransferRatio(pens.TransferOutput, pens.TransferInput);
    pens.PenTransferY = static_cast<float>(
        t.mapping.Y(static_cast<double>(pens.TransferRatio), TraceMultiplier(TraceKind::Transfer, range)));
}

// The geometric mean of the ticked Average channels, as a mean of their heights; with
// none ticked the segment goes to the top edge.
void DrawAverage(const TraceSelection& s, const PlotTarget& t, PlotState& pens, float fromX, float fromY) {
    float sum = 0.0f;
    int count = 0;
    for (int j = 1; j <= 8; ++j) {
        if (!s.average[static_cast<std::size_t>(j)]) continue;
        count += 1;
        sum += pens.PenY[static_cast<std::size_t>(j)];
    }
    pens.PenAverageY = count > 0 ? sum / static_cast<float>(count) : static_cast<float>(t.mapping.box.top);
    t.canvas.Line(fromX, fromY, pens.PenX, pens.PenAverageY, t.palette.average);
}

// One point of every shown trace at x, each segment from where its trace last ended;
// the average when `average` says so.
void DrawPoint(const Controller& c, const TraceSelection& s, const PlotTarget& t, PlotState& pens, const TraceValues& v,
               float x, bool average) {
    const PlotState before = pens;
    pens.PenX = x;
    MovePens(c, s, t, pens, v);

    t.canvas.SetPenWidth(2);
    for (int k = 1; k <= 16; ++k) {
        const auto at = static_cast<std::size_t>(k);
        if (!s.response[at]) continue;
        if (DrawnAsLine(k))
            t.canvas.Line(before.PenX, before.PenY[at], x, pens.PenY[at], t.palette.Channel(k));
        else
            t.canvas.Point(x, pens.PenY[at], t.palette.Channel(k));
    }
    if (average) DrawAverage(s, t, pens, before.PenX, before.PenAverageY);
    if (s.drive) t.canvas.Line(before.PenX, before.PenDriveY, x, pens.PenDriveY, t.palette.drive);
    if (c.P[Param::TransferOutput] > 0.0f)
        t.canvas.Line(before.PenX, before.PenTransferY, x, pens.PenTransferY, t.palette.transfer);
    t.canvas.SetPenWidth(1);
}

float XOf(const PlotTarget& t, float frequency) {
    return static_cast<float>(t.mapping.X(static_cast<double>(frequency)));
}

} // namespace

float TransferDrive(float drive) { return drive < SmallestDrive ? SmallestDrive : drive; }

float ComputeTransferRatio(float output, float input) {
    float ratio = input > 0.0f ? output / input : 1.0f;
    if (ratio < 0.01f) ratio = 0.01f;
    if (ratio > 200.0f) ratio = 200.0f;
    // Not a number (an output that is not one) is no ratio at all.
    return ratio == ratio ? ratio : 1.0f;
}

void UpdateTraces(Controller& c) {
    const PlotTarget target = ScreenTarget(c);
    const TraceValues live = LiveValues(c);
    DrawPoint(c, CurrentSelection(c), target, c.Plot, live, XOf(target, live.frequency),
              c.P[Param::AverageMask] > 0.0f);
}

void RedrawTracesOn(const Controller& c, const PlotTarget& target, PlotState& pens) {
    const TraceSelection selection = SelectionOf(c);
    // The average goes by `AverageMask` as it stands for the first point, and from then on by
    // the mask that RebuildAverageMask will make of the ticks.
    bool average = c.P[Param::AverageMask] > 0.0f;
    for (int row = 1; row < c.HistoryCount && row < HistoryTable::Rows; ++row) {
        // The first segment starts at the profile's first breakpoint.
        if (row == 1) pens.PenX = XOf(target, c.Breakpoints[1].Frequency);
        const TraceValues stored = HistoryValues(c, row);
        DrawPoint(c, selection, target, pens, stored, XOf(target, stored.frequency), average);
        average = average && AverageMaskOf(selection.average) > 0.0f;
    }
}

void RebuildAverageMask(Controller& c) {
    if (c.P[Param::AverageMask] > 0.0f) c.P[Param::AverageMask] = AverageMaskOf(CurrentSelection(c).average);
}

void RedrawTraces(Controller& c) { RedrawTracesOn(c, ScreenTarget(c), c.Plot); }
