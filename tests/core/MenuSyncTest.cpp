#include "core/MenuSync.h"
#include "core/Defaults.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

namespace {

struct MenuSyncTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    MenuSyncTest() { SetDefaults(c); }
};

// The three switch encodings and the two computed groups, where a mix-up would go unseen.
TEST_F(MenuSyncTest, CheckMarksReadEachEncodingExactly) {
    c.P[34] = 0.1f; // on/off: only exactly 1 is on
    c.P[90] = 1.0f;
    c.P[12] = 2.0f;  // check-mark: 2 is on, 1 off
    c.P[118] = 2.0f; // channel 16's current source
    c.P[22] = 2.0f;  // enumeration
    c.P[55] = 5.2f;  // rounds to 5: Average Response items 0 and 2
    c.P[56] = 10.0f; // transfer items hold channel k + 1
    SyncMenusToTable(c);
    EXPECT_FALSE(c.Menu.Checked("mnuTestAutoSave"));
    EXPECT_TRUE(c.Menu.Checked("mnuSweepResonanceEnabled"));
    EXPECT_FALSE(c.Menu.Checked("mnuInputsCurrent", 0));
    EXPECT_TRUE(c.Menu.Checked("mnuInputsCurrent", 1));
    EXPECT_TRUE(c.Menu.Checked("mnuInputsCurrent", 15));
    EXPECT_TRUE(c.Menu.Checked("mnuSystemUnitsHybrid"));
    EXPECT_FALSE(c.Menu.Checked("mnuSystemUnitsEnglish"));
    for (int k = 0; k < 8; ++k) EXPECT_EQ(c.Menu.Checked("mnuViewAveResponse", k), k == 0 || k == 2) << k;
    EXPECT_TRUE(c.Menu.Checked("mnuViewTransferOut", 9));
    EXPECT_TRUE(c.Menu.Checked("mnuViewTransferIn", 8)) << "P[57] is 9 by default";
    EXPECT_FALSE(c.Menu.Checked("mnuViewTransferIn", 9));
}

TEST_F(MenuSyncTest, LoadedTableBringsItsSeparatorBackgroundAndChannelRange) {
    c.P[62] = 1.0f;
    c.P[53] = 1.0f;
    c.P[109] = 2.0f;
    SyncMenusToTable(c);
    EXPECT_EQ(c.DecimalSeparator, ",");
    EXPECT_TRUE(c.Menu.Checked("mnuSystemSepsReversed"));
    EXPECT_FALSE(c.Menu.Checked("mnuSystemSepsEnglish"));
    EXPECT_EQ(c.Indicators.Item("picPlot").backColor, 0xFFFFFFu);
    EXPECT_TRUE(c.Menu.Checked("mnuViewPlotColorWhite"));
    EXPECT_TRUE(c.Menu.Checked("mnuViewChannelsUpper"));
    EXPECT_FALSE(c.Menu.Checked("mnuViewChannelsAll"));
    c.P[62] = 0.0f;
    c.P[53] = 0.0f;
    SyncMenusToTable(c);
    EXPECT_EQ(c.DecimalSeparator, ".");
    EXPECT_EQ(c.Indicators.Item("picPlot").backColor, 0x000000u);
    EXPECT_TRUE(c.Menu.Checked("mnuViewPlotColorBlack"));
}

TEST_F(MenuSyncTest, DwellItemsAndDemoMode) {
    c.P[110] = 2.5f;
    SyncMenusToTable(c);
    EXPECT_TRUE(c.Menu.Enabled("mnuSweepDwellFreq", 1));
    EXPECT_FALSE(c.Menu.Enabled("mnuSweepDwellTime", 2));
    c.P[110] = -1.0f;
    SyncMenusToTable(c);
    EXPECT_TRUE(c.Menu.Enabled("mnuSweepDwellTime", 1)) << "a negative count leaves the items as they are";
    c.P[110] = 0.0f;
    SyncMenusToTable(c);
    for (int k = 0; k < 10; ++k) EXPECT_FALSE(c.Menu.Enabled("mnuSweepDwellFreq", k)) << k;

    c.DemoMode = 1.0f;
    c.EightChannelMode = 0;
    SyncMenusToTable(c);
    EXPECT_TRUE(c.Menu.Checked("mnuRunDemo"));
    EXPECT_EQ(c.EightChannelMode, 1);
    EXPECT_TRUE(c.Menu.Checked("mnuViewResponse", 5));
    EXPECT_EQ(c.P[80], 1.0f) << "the table keeps its own choice";
}

} // namespace
