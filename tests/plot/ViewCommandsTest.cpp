#include "core/Commands.h"
#include "plot/RecordedPlotTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct ViewCommandsTest : RecordedPlotTest {
    // True when the command redrew the plot.
    bool Run(const std::string& name, int index = -1) {
        plot.ops.clear();
        EXPECT_TRUE(RunMenuCommand(c, name, index)) << name;
        return !plot.ops.empty() && plot.ops.front().kind == RecordingCanvas::Kind::Cls;
    }
    bool Ticked(const char* name, int index = -1) const { return c.Menu.Checked(name, index); }
};

TEST_F(ViewCommandsTest, ChannelGroupsAndTraceSwitches) {
    EXPECT_FALSE(c.Menu.Enabled("mnuViewChannelsUpper")) << "only with 16 channels";
    c.Menu.SetEnabled("mnuViewChannelsUpper", -1, true);
    EXPECT_TRUE(Run("mnuViewChannelsUpper"));
    EXPECT_EQ(c.P[109], 2.0f);
    EXPECT_TRUE(Ticked("mnuViewChannelsUpper"));
    EXPECT_FALSE(Ticked("mnuViewChannelsAll"));
    EXPECT_TRUE(Run("mnuViewChannelsAll"));
    EXPECT_EQ(c.P[109], 0.0f);

    const bool before = Ticked("mnuViewResponse", 3);
    EXPECT_TRUE(Run("mnuViewResponse", 3));
    EXPECT_NE(Ticked("mnuViewResponse", 3), before);
    EXPECT_EQ(c.P[50], 1.0f) << "the view, not the table";

    EXPECT_TRUE(Run("mnuViewDrive"));
    EXPECT_FALSE(Ticked("mnuViewDrive"));

    EXPECT_FALSE(Run("mnuViewAbort")) << "no redraw: the points go at the next one";
    EXPECT_FALSE(Ticked("mnuViewAbort"));

    EXPECT_TRUE(Run("mnuViewRefresh"));
}

TEST_F(ViewCommandsTest, AverageAndTransferSwitchTheirTraceOn) {
    EXPECT_TRUE(Run("mnuViewAveResponse", 2));
    EXPECT_EQ(c.P[55], 1.0f) << "ticking adds one; the drawing rebuilds the mask";
    EXPECT_TRUE(Run("mnuViewAveResponse", 2));
    EXPECT_FALSE(Ticked("mnuViewAveResponse", 2));

    EXPECT_TRUE(Run("mnuViewTransferOut", 4));
    EXPECT_EQ(c.P[56], 5.0f);
    EXPECT_TRUE(Ticked("mnuViewTransferOut", 4));
    EXPECT_TRUE(Run("mnuViewTransferOut", 7));
    EXPECT_FALSE(Ticked("mnuViewTransferOut", 4)) << "one Output item at a time";
    EXPECT_TRUE(Run("mnuViewTransferOut", 7));
    EXPECT_FALSE(Ticked("mnuViewTransferOut", 7));
    EXPECT_EQ(c.P[56], 8.0f) << "unticked, the transfer trace stays on";

    EXPECT_TRUE(Run("mnuViewTransferIn", 9));
    EXPECT_EQ(c.P[57], 10.0f);
    EXPECT_FALSE(Ticked("mnuViewTransferIn", 8));
}

TEST_F(ViewCommandsTest, PlotBackground) {
    EXPECT_TRUE(Run("mnuViewPlotColorWhite"));
    EXPECT_EQ(plot.ops.front().color, 0xFFFFFFu);
    EXPECT_EQ(c.P[53], 1.0f);
    EXPECT_TRUE(Ticked("mnuViewPlotColorWhite"));
    EXPECT_FALSE(Ticked("mnuViewPlotColorBlack"));
    EXPECT_EQ(c.Indicators.Item("picPlot").backColor, 0xFFFFFFu);
    EXPECT_TRUE(Run("mnuViewPlotColorBlack"));
    EXPECT_EQ(plot.ops.front().color, 0x000000u);
    EXPECT_EQ(c.P[53], 0.0f);
}

TEST_F(ViewCommandsTest, ZoomStepsStopAtTheEndsAndRedraw) {
    struct Step {
        const char* item;
        int entry;
        float before, after;
    };
    for (const Step& s :
         {Step{"mnuViewXaxisOut", 51, 3, 3}, Step{"mnuViewXaxisIn", 51, 1, 1}, Step{"mnuViewYaxisIn", 52, 3, 2},
          Step{"mnuViewYaxisIn", 52, 0, 0}, Step{"mnuViewYaxisOut", 52, 3, 3}}) {
        c.P[s.entry] = s.before;
        EXPECT_TRUE(Run(s.item)) << s.item;
        EXPECT_EQ(c.P[s.entry], s.after) << s.item << " from " << s.before;
    }
}

struct CursorTest : ViewCommandsTest {
    CursorTest() { RunMenuCommand(c, "mnuViewRefresh"); }
    const std::string& Readout() const { return c.Indicators.Item("lblCursor").text; }
};

TEST_F(CursorTest, TheBottomLeftCornerReadsOneHertzAndTheBottomOfTheScale) {
    struct Row {
        float units, range;
        const char* text;
    };
    for (const Row& row : {Row{0, 3, "  Freq. = 1. Hz. , Acc = .1"}, Row{0, 0, "  Freq. = 1. Hz. , G = .01"},
                           Row{1, 3, "  Freq. = 1. Hz. , Acc = .96"}, Row{1, 0, "  Freq. = 1. Hz. , G = .1"},
                           Row{2, 2, "  Freq. = 1. Hz. , Acc = .1"}}) {
        c.P[22] = row.units;
        c.P[52] = row.range;
        PressOnPlot(c, 0.0, 600.0);
        EXPECT_EQ(Readout(), row.text) << row.units << " " << row.range;
    }
    c.Indicators.SetVisible("lblCursor", false);
    c.P[22] = 5.0f;
    PressOnPlot(c, 100.0, 100.0);
    EXPECT_EQ(Readout(), "  Freq. = 1. Hz. , Acc = .1") << "units it does not know leave the text";
    EXPECT_TRUE(c.Indicators.Item("lblCursor").visible) << "shown all the same";
}

TEST_F(CursorTest, AClickOnAGridLineReadsThatLine) {
    // 1000 x 600 on 1 .. 10000 Hz: f at x = 108.6 ln f; 10 G (K v = 100) at 600 - 78.9 ln 100.
    PressOnPlot(c, 108.6 * std::log(1000.0), 236.65);
    EXPECT_EQ(Readout(), "  Freq. = 1000. Hz. , Acc = 10.");
    PressOnPlot(c, 108.6 * std::log(100.0), 600.0);
    EXPECT_EQ(Readout(), "  Freq. = 100. Hz. , Acc = .1");
}

TEST_F(CursorTest, CopyTellsWhatItDoesThenCopiesThePicture) {
    EXPECT_TRUE(RunMenuCommand(c, "mnuCut"));
    ASSERT_EQ(t.dialogs.History().size(), 1u);
    EXPECT_EQ(t.dialogs.History()[0].title, "Copy To Clipboard");
    EXPECT_EQ(t.clipboard.images, 1);
}

} // namespace
