#include "print/ReportPage.h"

#include "core/Defaults.h"
#include "core/MenuSync.h"
#include "support/RecordingCanvas.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

using Kind = RecordingCanvas::Kind;
constexpr Rgb Black = 0x000000;

// A page of 10000 x 7500 units: fractions times 10000 across and 7500 down. The plot
// box spans x 1500..9000 and y 750..5250; on the widest axes
// x = 10000 (0.15 + 0.75 x 0.1086 ln f), y = 7500 (0.7 - 0.6 x 0.1315 ln(10 v)).
struct ReportPageTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    RecordingCanvas page{10000, 7500};

    ReportPageTest() {
        SetDefaults(c);
        SyncMenusToTable(c);
        c.HistoryCount = 1;
    }
    void StoreRow(int row, float frequency, float channel1) {
        c.History.at(row, 1) = frequency;
        c.History.at(row, 2) = channel1;
        c.HistoryCount = row + 1;
    }
    bool HasText(const std::string& text, double x, double y) const {
        for (const auto& op : page.Of(Kind::Text))
            if (op.text == text && std::abs(op.x1 - x) < 0.5 && std::abs(op.y1 - y) < 0.5) return true;
        return false;
    }
};

TEST_F(ReportPageTest, FramesTableAndTextsStandAtTheirFractions) {
    c.Indicators.SetText("lblLL", " L.LIMIT = 5. Hz.");
    c.Indicators.SetText("Label17", "DEFAULT PROFILE");
    c.Indicators.SetText("lblTestTitle", "Bracket qualification");
    c.AccelModel = "352C33";
    DrawReportPage(c, page);

    const auto boxes = page.Of(Kind::Box);
    ASSERT_EQ(boxes.size(), 3u + 16u); // two page frames, the plot box, the table
    const double frames[3][4] = {{100, 75, 9900, 7425}, {250, 187.5, 9750, 7312.5}, {1500, 750, 9000, 5250}};
    for (int k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(boxes[k].x1, frames[k][0]);
        EXPECT_DOUBLE_EQ(boxes[k].y1, frames[k][1]);
        EXPECT_DOUBLE_EQ(boxes[k].x2, frames[k][2]);
        EXPECT_DOUBLE_EQ(boxes[k].y2, frames[k][3]);
    }
    // Table column 3, row 2: x 0.074 + 3 x 0.2217, y 0.75 + 2 x 0.05, 0.2 x 0.04.
    EXPECT_NEAR(boxes[3 + 11].x1, 7391.0, 1e-6);
    EXPECT_NEAR(boxes[3 + 11].y2, 6675.0, 1e-6);
    for (const auto& box : boxes) EXPECT_EQ(box.penWidth, 3);

    EXPECT_TRUE(HasText(" L.LIMIT = 5. Hz.", 750, 5662.5));
    EXPECT_TRUE(HasText(" CH#1 = 10. MV/G", 7401, 5662.5));
    EXPECT_TRUE(HasText(" LIMITS = 6 DB.", 5184, 6412.5));
    EXPECT_TRUE(HasText(" ACC. MODEL# 352C33", 7401, 6412.5));
    EXPECT_TRUE(HasText("DEFAULT PROFILE", 5184, 6787.5));
    EXPECT_TRUE(HasText("Bracket qualification", 2000, 525));
    EXPECT_TRUE(HasText("10000 Hz.", 8660, 5325));
    EXPECT_TRUE(HasText("Ch#1---", 1550, 1125));
}

TEST_F(ReportPageTest, EmptyHistoryInMonochromeIsAllBlackWithoutTraces) {
    c.PrintColorMode = 1;
    DrawReportPage(c, page);
    for (const auto& op : page.ops) EXPECT_EQ(op.color, Black) << op.text;
    // Frame, grid, reference and texts only: every thin line lies in the plot box.
    for (const auto& line : page.Of(Kind::Line)) {
        if (line.penWidth != 1) continue;
        EXPECT_GE(line.x1, 1500.0);
        EXPECT_LE(line.x2, 9000.0);
    }
    EXPECT_TRUE(page.Of(Kind::Point).empty());
}

TEST_F(ReportPageTest, TracesInColourAreMappedAndKeptInsideTheBox) {
    c.PrintColorMode = 2;
    StoreRow(1, 100.0f, 10.0f);  // x 5250.91, y 2524.89
    StoreRow(2, 20000.0f, 1e3f); // beyond both edges: (9000, 750)
    DrawReportPage(c, page);
    std::vector<RecordingCanvas::Op> red;
    for (const auto& line : page.Of(Kind::Line))
        if (line.color == 0xFF0000) red.push_back(line);
    ASSERT_EQ(red.size(), 2u) << "the rows beyond the stored points draw nothing";
    EXPECT_NEAR(red[0].x2, 5250.91, 0.05);
    EXPECT_NEAR(red[0].y2, 2524.89, 0.05);
    EXPECT_DOUBLE_EQ(red[1].x2, 9000.0);
    EXPECT_DOUBLE_EQ(red[1].y2, 750.0);
    // The first segment starts on the bottom of the box at the first breakpoint, 5 Hz.
    EXPECT_NEAR(red[0].x1, 10000 * (0.15 + 0.75 * 0.1086 * std::log(5.0)), 0.05);
    EXPECT_DOUBLE_EQ(red[0].y1, 5250.0);
    EXPECT_EQ(page.Of(Kind::Box)[0].color, 0x008080u);
}

TEST(PageLegends, LinesAndPointsTellTheChannelsApart) {
    EXPECT_EQ(PageChannelLegend(1), "Ch#1---");
    EXPECT_EQ(PageChannelLegend(4), "Ch#4---");
    EXPECT_EQ(PageChannelLegend(5), "Ch#5- -");
    EXPECT_EQ(PageChannelLegend(12), "Ch#12---");
    EXPECT_EQ(PageChannelLegend(16), "Ch#16- -");
    EXPECT_EQ(PageChannelLegend(17), "");
}

TEST_F(ReportPageTest, TheSerialIsKeptInItsBoxAndAFullHistoryIsSaid) {
    c.AccelSerial = "S";
    std::tie(c.HistoryCount, c.HistoryFirstSweep, c.HistoryLastSweep, c.History.at(900, 1)) =
        std::tuple{901, 1.0f, 1.0f, 1513.4f};
    DrawReportPage(c, page);
    EXPECT_TRUE(HasText(" HISTORY FULL: SWEEP# 1 OF 1, LAST POINT 1513.4 HZ.", 750.0, 7125.0));
    for (const auto& op : page.Of(Kind::Text)) // the last column ends at 0.074 + 3 x 0.2217 + 0.2
        if (op.text == " ACC. SERIAL# S") {
            EXPECT_NEAR(op.x2, 9391.0, 1e-6);
        }
}

TEST_F(ReportPageTest, LimitChannelsListedBeneathTheSettingsAndDrawnDashed) {
    c.Limits.rows = {{2, 100.0f, 3.0f, 20.0f, 3.0f},
                     {2, 200.0f, 2.0f, 3.0725f, 3.0f},
                     {2, 400.0f, 3.0f, 20.0f, 3.0f},
                     {5, 20.0f, 1.0f, 12.5f, 0.5f}};
    c.Menu.SetChecked("mnuViewResponse", 1, true);
    const std::vector<std::string> cells = {" CH#2 100 HZ A 20 G +3 DB", " CH#2 200 HZ V 3.0725 IPS +3 DB",
                                            " CH#2 400 HZ A 20 G +3 DB", " CH#5 20 HZ D 12.5 MILS +0.5 DB"};
    EXPECT_EQ(LimitTableCells(c), cells);
    DrawReportPage(c, page);

    // One limit row makes five rows in the room of four: each 0.8 of its height. Table
    // column 3, row 2 (x 0.074 + 3 x 0.2217, y 0.75 + 2 x 0.04, 0.2 x 0.032) and the
    // limit row beneath at y 0.75 + 4 x 0.04, its text 0.004 lower.
    const auto boxes = page.Of(Kind::Box);
    ASSERT_EQ(boxes.size(), 3u + 16u + 4u);
    EXPECT_NEAR(boxes[3 + 11].y1, 6225.0, 1e-6);
    EXPECT_NEAR(boxes[3 + 11].y2, 6465.0, 1e-6);
    EXPECT_NEAR(boxes[3 + 19].x1, 7391.0, 1e-6);
    EXPECT_NEAR(boxes[3 + 19].y1, 6825.0, 1e-6);
    EXPECT_TRUE(HasText(cells[3], 7401.0, 6855.0));

    const auto lines = page.Of(Kind::Line);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const auto& op) { return op.style == LineStyle::Dashed; }),
              3)
        << "channel 2's three lines; channel 5's trace is not shown";

    // Metric levels in their units; what the page has no room for is counted.
    c.P[22] = 1.0f;
    c.Limits.rows.clear();
    for (int k = 1; k <= 13; ++k) c.Limits.rows.push_back({k, 100.0f, 3.0f, 98.07f, 3.0f});
    const std::vector<std::string> metric = LimitTableCells(c);
    ASSERT_EQ(metric.size(), 12u);
    EXPECT_EQ(metric[0], " CH#1 100 HZ A 98.07 M/S^2 +3 DB");
    EXPECT_EQ(metric[11], " +2 MORE LIMIT ROWS");
}

} // namespace
