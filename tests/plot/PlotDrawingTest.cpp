#include "plot/PlotFrame.h"
#include "plot/RecordedPlotTest.h"
#include "plot/ReferenceLines.h"
#include "plot/Traces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using Kind = RecordingCanvas::Kind;

struct PlotDrawingTest : RecordedPlotTest {
    void Tick(const char* item, int index, bool ticked = true) { c.Menu.SetChecked(item, index, ticked); }
    std::vector<RecordingCanvas::Op> LinesIn(Rgb color) const {
        std::vector<RecordingCanvas::Op> found;
        for (const auto& op : plot.Of(Kind::Line))
            if (op.color == color) found.push_back(op);
        return found;
    }
};

TEST_F(PlotDrawingTest, GridLinesOfEachRange) {
    struct Row {
        float frequencyRange, amplitudeRange;
        std::size_t across, up; // horizontal and vertical grid lines
    };
    for (const Row& row : {Row{3, 3, 30, 36}, Row{0, 0, 30, 36}, Row{2, 2, 20, 27}, Row{1, 1, 10, 18}}) {
        plot.ops.clear();
        c.P[51] = row.frequencyRange;
        c.P[52] = row.amplitudeRange;
        DrawPlotFrame(c);
        const auto grid = LinesIn(0x008080);
        const auto across = std::count_if(grid.begin(), grid.end(), [](const auto& op) { return op.y1 == op.y2; });
        EXPECT_EQ(static_cast<std::size_t>(across), row.across) << row.amplitudeRange;
        EXPECT_EQ(grid.size() - static_cast<std::size_t>(across), row.up) << row.frequencyRange;
    }
    EXPECT_EQ(c.P[51], 1.0f) << "0 became 3, then the last row set 1";

    plot.ops.clear();
    c.P[51] = 3.0f;
    c.P[52] = 3.0f;
    DrawPlotFrame(c);
    const auto grid = LinesIn(0x008080);
    // The first lines: 0.1 G on the bottom edge, then 0.2 G; 1 Hz on the left edge, then 2 Hz.
    EXPECT_DOUBLE_EQ(grid[0].y1, 600.0);
    EXPECT_NEAR(grid[1].y1, 545.31, 0.01);
    EXPECT_EQ(grid[0].x1, 0.0);
    EXPECT_EQ(grid[0].x2, 1000.0);
    EXPECT_DOUBLE_EQ(grid[30].x1, 0.0);
    EXPECT_NEAR(grid[31].x1, 75.276, 0.001);
    EXPECT_NEAR(grid[30 + 27].x1, 750.18, 0.01) << "1000 Hz";
    EXPECT_EQ(grid[31].y1, 0.0);
    EXPECT_EQ(grid[31].y2, 600.0);

    // A range the axis does not know keeps the last factors.
    c.P[52] = 7.0f;
    DrawPlotFrame(c);
    EXPECT_EQ(c.Plot.AmplitudeScale, 0.1315f);
    EXPECT_EQ(c.Plot.GridDecades, 3);
}

TEST_F(PlotDrawingTest, LegendsOnlyForTickedChannelsOnTheirOwnLines) {
    Tick("mnuViewResponse", 2);
    Tick("mnuViewResponse", 11);
    DrawPlotFrame(c);
    auto texts = plot.Of(Kind::Text);
    ASSERT_EQ(texts.size(), 5u) << "channels 1, 3, 12 and the two sub titles";
    EXPECT_EQ(texts[0].text, "Ch#1---");
    EXPECT_DOUBLE_EQ(texts[0].y1, 30.0);
    EXPECT_EQ(texts[1].text, "Ch#3 ---");
    EXPECT_DOUBLE_EQ(texts[1].y1, 78.0) << "channel 2's line stays empty";
    EXPECT_EQ(texts[1].color, 0x800000u);
    EXPECT_EQ(texts[2].text, "Ch#12 --");
    EXPECT_DOUBLE_EQ(texts[2].x1, 10.0);
    EXPECT_DOUBLE_EQ(texts[2].y1, 294.0);
    EXPECT_EQ(texts[2].color, 0x0000FFu);
    EXPECT_DOUBLE_EQ(texts[3].x1, 200.0) << "sub title 1";
    EXPECT_DOUBLE_EQ(texts[3].y1, 6.0);
    EXPECT_EQ(texts[4].color, 0xFFFFFFu) << "sub titles are white on either background";

    plot.ops.clear();
    c.P[109] = 2.0f;
    DrawPlotFrame(c);
    texts = plot.Of(Kind::Text);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "Ch#12 --") << "only channels 9..16";
}

TEST_F(PlotDrawingTest, LabelsBesideThePlotName) {
    c.P[55] = 3.0f;
    c.P[56] = 0.0f;
    Tick("mnuViewDrive", -1, false);
    DrawPlotFrame(c);
    EXPECT_EQ(c.Indicators.Item("Label41").text, "     ");
    EXPECT_EQ(c.Indicators.Item("Label45").text, "Ave.-- ");
    EXPECT_EQ(c.Indicators.Item("Label46").text, "     ");
    EXPECT_EQ(c.Indicators.Item("Label47").text, "     ");
}

// A two-point profile, 1 G from 10 to 1000 Hz with 6 dB abort limits: the reference at
// y = 418.33, the limits 600 x 6 / 66 = 54.55 above and below.
struct ReferenceLinesTest : PlotDrawingTest {
    ReferenceLinesTest() {
        c.P[1] = 10.0f;
        c.P[2] = 1000.0f;
        c.Breakpoints[1] = {10.0f, 3.0f, 1.0f, 6.0f, 0.0f, ""};
        c.Breakpoints[2] = {1000.0f, 3.0f, 1.0f, 6.0f, 0.0f, ""};
        c.Breakpoints[3].Frequency = 0.0f;
        DrawPlotFrame(c);
        plot.ops.clear();
    }
};

TEST_F(ReferenceLinesTest, StepsOfTwoPercentWithAbortPoints) {
    DrawReferenceLines(c);
    const auto lines = plot.Of(Kind::Line);
    // 10 x 1.021^k stays at or below 1000 for k up to 221.
    ASSERT_EQ(lines.size(), 222u);
    EXPECT_NEAR(lines[0].x1, 250.06, 0.01) << "10 Hz";
    EXPECT_DOUBLE_EQ(lines[0].y1, 600.0) << "from the bottom edge at the lower limit";
    EXPECT_NEAR(lines[0].y2, 418.326, 0.001);
    EXPECT_EQ(lines[0].color, 0xFFFFFFu);
    const auto points = plot.Of(Kind::Point);
    ASSERT_EQ(points.size(), 3u * 221u);
    EXPECT_EQ(points[0].color, 0xFFFF00u);
    EXPECT_NEAR(points[0].y1, 418.326 - 54.545, 0.001);
    EXPECT_NEAR(points[1].y1, 418.326 + 54.545, 0.001);
    EXPECT_EQ(points[2].color, 0xFFFFFFu) << "the reference point";
}

TEST_F(ReferenceLinesTest, BackgroundRangeAndAbortView) {
    c.P[53] = 1.0f;
    c.Breakpoints[1].Abort = 0.0f;
    c.P[52] = 2.0f;
    DrawPlotFrame(c);
    plot.ops.clear();
    DrawReferenceLines(c);
    EXPECT_EQ(plot.Of(Kind::Line)[5].color, 0x000000u) << "black on white";
    const auto points = plot.Of(Kind::Point);
    EXPECT_EQ(points[2].color, 0xFFFFFFu) << "the reference points stay white";
    EXPECT_EQ(points[0].y1, points[2].y1) << "no tolerance: the abort points on the line";

    plot.ops.clear();
    c.Menu.SetChecked("mnuViewAbort", false);
    DrawReferenceLines(c);
    EXPECT_EQ(plot.Of(Kind::Point).size(), 221u) << "reference points only";
}

// The live point at 100 Hz (x = 500.12) after a pen at (250, 600).
struct TracesTest : PlotDrawingTest {
    TracesTest() {
        DrawPlotFrame(c);
        plot.ops.clear();
        c.Plot.PenX = 250.0f;
        c.CurrentFrequency = 100.0f;
        c.ChannelResponse[1] = 1.0f;  // y 418.33
        c.ChannelResponse[2] = 10.0f; // y 236.65
        c.ChannelResponse[5] = 1.0f;
        c.DriveOutput = 0.5f; // y 600 - 78.9 ln 1000 = 54.97
        c.HistoryCount = 1;
    }
};

TEST_F(TracesTest, EachTraceFromItsLastPoint) {
    Tick("mnuViewResponse", 4);
    Tick("mnuViewAveResponse", 0);
    Tick("mnuViewAveResponse", 1);
    c.P[55] = 1.0f;
    Tick("mnuViewTransferOut", 1);
    Tick("mnuViewTransferIn", 8, false);
    Tick("mnuViewTransferIn", 0);
    c.P[56] = 2.0f;
    UpdateTraces(c);

    const auto red = LinesIn(0xFF0000);
    ASSERT_EQ(red.size(), 1u) << "channel 1 a line";
    EXPECT_EQ(red[0].x1, 250.0);
    EXPECT_EQ(red[0].y1, 600.0);
    EXPECT_NEAR(red[0].x2, 500.12, 0.01);
    EXPECT_NEAR(red[0].y2, 418.33, 0.01);
    EXPECT_EQ(red[0].penWidth, 2);
    const auto points = plot.Of(Kind::Point);
    ASSERT_EQ(points.size(), 1u) << "channel 5 a point";
    EXPECT_NEAR(points[0].y1, 418.33, 0.01);
    // The average of 1 and 10 G is taken over the heights: the geometric mean, 3.162 G.
    ASSERT_EQ(LinesIn(0x00FF00).size(), 1u);
    EXPECT_NEAR(LinesIn(0x00FF00)[0].y2, 327.49, 0.01);
    EXPECT_EQ(c.P[55], 1.0f) << "the drawing leaves the mask alone";
    RebuildAverageMask(c);
    EXPECT_EQ(c.P[55], 3.0f) << "the mask rebuilt from the ticks";
    EXPECT_NEAR(LinesIn(0xFFFF00)[0].y2, 54.97, 0.01) << "the drive";
    EXPECT_EQ(c.Plot.TransferRatio, 10.0f) << "channel 2 over channel 1";
    EXPECT_NEAR(LinesIn(0xFFFFFF)[0].y2, 236.65, 0.01);
}

TEST_F(TracesTest, AverageWithoutChannelsGoesToTheTopOnceAndStops) {
    c.P[55] = 4.0f;
    UpdateTraces(c);
    ASSERT_EQ(LinesIn(0x00FF00).size(), 1u);
    EXPECT_EQ(LinesIn(0x00FF00)[0].y2, 0.0);
    RebuildAverageMask(c);
    EXPECT_EQ(c.P[55], 0.0f);
    plot.ops.clear();
    UpdateTraces(c);
    EXPECT_TRUE(LinesIn(0x00FF00).empty());

    // The redraw of two stored points goes the same way: one segment, from the first.
    c.P[55] = 4.0f;
    c.HistoryCount = 3;
    c.History.at(1, 1) = 10.0f;
    c.History.at(2, 1) = 100.0f;
    plot.ops.clear();
    RefreshPlot(c);
    EXPECT_EQ(LinesIn(0x00FF00).size(), 1u);
    EXPECT_EQ(c.P[55], 0.0f);
}

TEST_F(TracesTest, TransferKeepsItsLastSourcesAndGroupsHideChannels) {
    Tick("mnuViewTransferOut", 1);
    Tick("mnuViewTransferIn", 8, false);
    Tick("mnuViewTransferIn", 0);
    UpdateTraces(c);
    Tick("mnuViewTransferOut", 1, false);
    Tick("mnuViewTransferIn", 0, false);
    c.ChannelResponse[1] = 0.0f;
    UpdateTraces(c);
    EXPECT_EQ(c.Plot.TransferRatio, 10.0f) << "with nothing ticked the last output and input stay";

    c.P[109] = 2.0f;
    plot.ops.clear();
    UpdateTraces(c);
    EXPECT_TRUE(LinesIn(0xFF0000).empty()) << "channel 1 is not in the group shown";
}

TEST_F(TracesTest, NothingNonFiniteIsDrawn) {
    c.ChannelResponse[1] = std::numeric_limits<float>::quiet_NaN();
    c.DriveOutput = 0.0f;
    UpdateTraces(c);
    EXPECT_EQ(LinesIn(0xFF0000)[0].y2, 600.0);
    EXPECT_EQ(LinesIn(0xFFFF00)[0].y2, 600.0);
    EXPECT_EQ(c.DriveOutput, 0.0f) << "the drawing leaves the drive alone";
    EXPECT_EQ(TransferDrive(c.DriveOutput), 0.0001f) << "the drive the transfer function took";
    for (const auto& op : plot.ops) EXPECT_TRUE(std::isfinite(op.x1) && std::isfinite(op.y1) && std::isfinite(op.y2));
}

TEST_F(TracesTest, RedrawStartsAtTheFirstBreakpointAndLeavesThePensAtTheLastRow) {
    c.HistoryCount = 3;
    c.History.at(1, 1) = 10.0f;
    c.History.at(1, 2) = 1.0f;
    c.History.at(2, 1) = 100.0f;
    c.History.at(2, 2) = 10.0f;
    c.P[53] = 1.0f;
    RefreshPlot(c);
    ASSERT_EQ(plot.ops[0].kind, Kind::Cls);
    EXPECT_EQ(plot.ops[0].color, 0xFFFFFFu);
    const auto red = LinesIn(0xFF0000);
    ASSERT_EQ(red.size(), 2u);
    EXPECT_NEAR(red[0].x1, 108.6 * std::log(5.0), 0.01) << "the first breakpoint, 5 Hz";
    EXPECT_EQ(red[0].y1, 600.0);
    EXPECT_NEAR(red[0].x2, 250.06, 0.01);
    EXPECT_NEAR(red[1].y2, 236.65, 0.01);
    EXPECT_NEAR(c.Plot.PenX, 500.12, 0.01);
    EXPECT_EQ(c.HistoryCount, 3) << "nothing stored";
}

} // namespace
