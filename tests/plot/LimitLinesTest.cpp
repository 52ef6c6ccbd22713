#include "plot/PlotFrame.h"
#include "plot/RecordedPlotTest.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Op = RecordingCanvas::Op;

// Channel 2 holds 20 G from 100 to 200 Hz, then 3.0725 in/s (10 G at 200 Hz, 20 G at
// 400 Hz), its last row at 400 Hz. On the widest axes x = 108.6 ln f and
// y = 600 - 78.9 ln(10 v): x 500.12 (100 Hz), 575.40 (200 Hz), 650.67 (400 Hz);
// y 181.96 (20 G), 236.65 (10 G). Channel 4's 200 mils p-p is 100^2 x 200 / 19560 =
// 102.25 G at 100 Hz (y 53.22) and reaches the top edge (200.73 G) at 140.11 Hz
// (x 536.75); its rows at 1000 G lie wholly above it. On the range 1 .. 100 Hz
// (x = 217 ln f) the axis ends at about 100.31 Hz.
struct Line {
    double x1, y1, x2, y2;
};
struct Case {
    const char* what;
    int shown; // channel
    float frequencyRange;
    Rgb color;
    std::vector<Line> lines;
};

class LimitLinesTest : public RecordedPlotTest, public ::testing::WithParamInterface<Case> {};

TEST_P(LimitLinesTest, EachRowAStraightDashedLineInItsChannelsColourCutToTheBox) {
    const Case& k = GetParam();
    c.Limits.rows = {{2, 100.0f, 3.0f, 20.0f, 3.0f},   {2, 200.0f, 2.0f, 3.0725f, 3.0f},
                     {2, 400.0f, 3.0f, 20.0f, 3.0f},   {3, 50.0f, 3.0f, 5.0f, 1.0f},
                     {3, 60.0f, 3.0f, 5.0f, 1.0f},     {4, 100.0f, 1.0f, 200.0f, 3.0f},
                     {4, 200.0f, 3.0f, 1000.0f, 3.0f}, {4, 300.0f, 3.0f, 1000.0f, 3.0f}};
    c.Menu.SetChecked("mnuViewResponse", k.shown - 1, true);
    c.P[51] = k.frequencyRange;
    RefreshPlot(c);
    std::vector<Op> lines;
    for (const Op& op : plot.Of(RecordingCanvas::Kind::Line))
        if (op.color == k.color) lines.push_back(op);
    ASSERT_EQ(lines.size(), k.lines.size()) << k.what;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NEAR(lines[i].x1, k.lines[i].x1, 0.01) << k.what << i;
        EXPECT_NEAR(lines[i].y1, k.lines[i].y1, 0.01) << k.what << i;
        EXPECT_NEAR(lines[i].x2, k.lines[i].x2, 0.01) << k.what << i;
        EXPECT_NEAR(lines[i].y2, k.lines[i].y2, 0.01) << k.what << i;
        EXPECT_EQ(lines[i].style, LineStyle::Dashed) << k.what << i;
    }
    plot.Line(0, 0, 1, 1, 0x000000);
    EXPECT_EQ(plot.ops.back().style, LineStyle::Solid) << "what is drawn next is solid again";
}

INSTANTIATE_TEST_SUITE_P(
    Limits, LimitLinesTest,
    ::testing::Values(
        Case{"an A row, the step, a V row; nothing outside 100 .. 400 Hz",
             2,
             3.0f,
             0xFF00FF,
             {{500.12, 181.96, 575.40, 181.96}, {575.40, 181.96, 575.40, 236.65}, {575.40, 236.65, 650.67, 181.96}}},
        Case{"channel 3's trace is not shown", 2, 3.0f, 0x800000, {}},
        Case{"cut at the top edge", 4, 3.0f, 0x0000FF, {{500.12, 53.22, 536.75, 0.0}}},
        Case{"cut at the right edge", 2, 1.0f, 0xFF00FF, {{999.32, 181.96, 1000.0, 181.96}}}));

} // namespace
