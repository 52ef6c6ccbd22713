#include "plot/PlotFrame.h"
#include "plot/RecordedPlotTest.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Op = RecordingCanvas::Op;

constexpr Rgb Magenta = 0xFF00FF; // channel 2
constexpr Rgb Maroon = 0x800000;  // channel 3
constexpr Rgb Blue = 0x0000FF;    // channel 4

// Channel 2 holds 20 G from 100 to 200 Hz, then 3.0725 in/s (10 G at 200 Hz, 20 G at
// 400 Hz), its last row at 400 Hz. On the widest axes x = 108.6 ln f and
// y = 600 - 78.9 ln(10 v): x 500.12 (100 Hz), 575.40 (200 Hz), 650.67 (400 Hz);
// y 181.96 (20 G), 236.65 (10 G).
struct LimitLinesTest : RecordedPlotTest {
    LimitLinesTest() {
        c.Limits.rows = {{2, 100.0f, 3.0f, 20.0f, 3.0f},   {2, 200.0f, 2.0f, 3.0725f, 3.0f},
                         {2, 400.0f, 3.0f, 20.0f, 3.0f},   {3, 50.0f, 3.0f, 5.0f, 1.0f},
                         {3, 60.0f, 3.0f, 5.0f, 1.0f},     {4, 100.0f, 1.0f, 200.0f, 3.0f},
                         {4, 200.0f, 3.0f, 1000.0f, 3.0f}, {4, 300.0f, 3.0f, 1000.0f, 3.0f}};
    }
    std::vector<Op> LinesIn(Rgb color) const {
        std::vector<Op> found;
        for (const Op& op : plot.Of(RecordingCanvas::Kind::Line))
            if (op.color == color) found.push_back(op);
        return found;
    }
};

TEST_F(LimitLinesTest, EachRowAStraightDashedLineStepsBetweenRowsOnlyForShownChannels) {
    c.Menu.SetChecked("mnuViewResponse", 1, true);
    RefreshPlot(c);
    const std::vector<Op> lines = LinesIn(Magenta);
    struct Expected {
        double x1, y1, x2, y2;
    };
    const Expected expected[] = {{500.12, 181.96, 575.40, 181.96},  // the A row
                                 {575.40, 181.96, 575.40, 236.65},  // the step to the V row
                                 {575.40, 236.65, 650.67, 181.96}}; // the V row: one segment
    ASSERT_EQ(lines.size(), 3u) << "nothing before 100 Hz, nothing past 400 Hz";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NEAR(lines[i].x1, expected[i].x1, 0.01) << i;
        EXPECT_NEAR(lines[i].y1, expected[i].y1, 0.01) << i;
        EXPECT_NEAR(lines[i].x2, expected[i].x2, 0.01) << i;
        EXPECT_NEAR(lines[i].y2, expected[i].y2, 0.01) << i;
        EXPECT_EQ(lines[i].style, LineStyle::Dashed) << i;
        EXPECT_EQ(lines[i].penWidth, 1) << i;
    }
    EXPECT_TRUE(LinesIn(Maroon).empty()) << "channel 3's trace is not shown";

    // Above the top edge (200.73 G) nothing is drawn, and a line that leaves the box is
    // cut where it does: 200 mils p-p is 100^2 x 200 / 19560 = 102.25 G at 100 Hz
    // (y 53.22) and reaches 200.73 G at 140.11 Hz (x 536.75).
    c.Menu.SetChecked("mnuViewResponse", 3, true);
    plot.ops.clear();
    RefreshPlot(c);
    ASSERT_EQ(LinesIn(Blue).size(), 1u);
    EXPECT_NEAR(LinesIn(Blue)[0].x1, 500.12, 0.01);
    EXPECT_NEAR(LinesIn(Blue)[0].y1, 53.22, 0.01);
    EXPECT_NEAR(LinesIn(Blue)[0].x2, 536.75, 0.01);
    EXPECT_NEAR(LinesIn(Blue)[0].y2, 0.0, 1e-9);
    plot.Line(0, 0, 1, 1, 0x000000);
    EXPECT_EQ(plot.ops.back().style, LineStyle::Solid) << "what is drawn next is solid again";

    // Past the axis's end (about 100.31 Hz on the range 1 .. 100 Hz, x = 217 ln f) the
    // line is cut at the edge, not squeezed against it.
    plot.ops.clear();
    c.P[51] = 1.0f;
    RefreshPlot(c);
    ASSERT_EQ(LinesIn(Magenta).size(), 1u);
    EXPECT_NEAR(LinesIn(Magenta)[0].x1, 999.32, 0.01) << "100 Hz";
    EXPECT_NEAR(LinesIn(Magenta)[0].x2, 1000.0, 0.01);
    EXPECT_NEAR(LinesIn(Magenta)[0].y2, 181.96, 0.01);
}

} // namespace
