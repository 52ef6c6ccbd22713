#include "files/ProfileGrid.h"

#include "core/Commands.h"
#include "core/Defaults.h"
#include "core/MenuSync.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

namespace {

struct ProfileGridTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    ProfileEditorState& grid = c.Editor;

    ProfileGridTest() {
        SetDefaults(c);
        SyncMenusToTable(c);
        c.DemoMode = 1.0f;
    }
    void Type(int row, int column, const std::string& text) {
        SelectCell(c.Editor, row, column);
        grid.text = text;
        AcceptCellValue(c.Editor);
    }
};

TEST(ProfileGridCells, NumbersAndModesReadAsTheEditorReadsThem) {
    const std::pair<const char*, float> numbers[] = {
        {"  2.5", 2.5f},    {"2,5", 2.5f},
        {"  12abc", 12.0f}, {"abc", 0.0f},
        {"", 0.0f},         {"  1e39", 0.0f},
        {"  nan", 0.0f},    {" .", 0.0f},
        {" ,", 0.0f},       {"  -3.5e2x", -350.0f},
        {"  1e", 1.0f},     {"  123456789,5", 123456789.0f}, // the comma is the 12th character: it ends the number
    };
    for (const auto& [text, value] : numbers) EXPECT_EQ(CellNumber(text), value) << '"' << text << '"';
    const std::pair<const char*, float> modes[] = {{"  D", 1}, {"V", 2}, {"  S", 4}, {"d", 3},
                                                   {"a", 3},   {"", 3},  {"D ", 3},  {"  A", 3}};
    for (const auto& [text, mode] : modes) EXPECT_EQ(CellMode(text), mode) << '"' << text << '"';
}

TEST_F(ProfileGridTest, OpensFilledFromTheTableWithTheLegendAndTheLastCellInTheEditBox) {
    c.PromptDecimalPoint = ',';
    c.Breakpoints[5] = {0.5f, 7.0f, 2.0f, 6.0f, 0.0f, "note"};
    c.Breakpoints[105].Level = 3.0f;
    c.Breakpoints[100].Comment = "last";
    RunMenuCommand(c, "mnuTestModify");
    ASSERT_TRUE(grid.open);
    const ProfileEditorState::Row headings = {" POINT #", " FREQ.-Hz. ", " MODE (DVA)", "   LEVEL",
                                              " ABORT",   " SLOPE",      " COMMENTS "};
    EXPECT_EQ(grid.cells[0], headings);
    const ProfileEditorState::Row row5 = {"  5", "  0,5", "    ", "  2", "  6", "  3", "  note"};
    EXPECT_EQ(grid.cells[5], row5);
    EXPECT_EQ(grid.Cell(1, 6), " English units ");
    EXPECT_EQ(grid.Cell(2, 6), " ( G-pk, IPS, MILS p-p )");
    EXPECT_EQ(grid.Cell(4, 6), "S = Slope in Db/Octave");
    EXPECT_EQ(grid.text, "  last");
    EXPECT_EQ(grid.selectedRow * 10 + grid.selectedColumn, 11);

    CloseProfileEditor(c);
    c.P[22] = 1.0f;
    RunMenuCommand(c, "mnuTestModify");
    EXPECT_EQ(grid.Cell(1, 6), " Metric Units ) ");
    EXPECT_EQ(grid.Cell(2, 6), " ( M/S^2, CM/S, MM p-p ) ");
}

TEST_F(ProfileGridTest, UpdateTakesTheGridOverAndCommentsGrowTwoBlanksEachTime) {
    ShowProfileEditor(c);
    Type(1, 1, "4,5");
    Type(6, 2, "");
    Type(6, 3, "2,5");
    Type(6, 4, "3");
    Type(6, 5, "-6");
    Type(6, 6, "note");
    UpdateProfileFromGrid(c);
    const BreakpointRow& row = c.Breakpoints[6];
    EXPECT_EQ(row.Mode, 3.0f) << "an empty mode is A";
    EXPECT_EQ(row.Level, 2.5f);
    EXPECT_EQ(row.Abort, 3.0f);
    EXPECT_EQ(c.Breakpoints[106].Level, -6.0f);
    EXPECT_EQ(row.Comment, "  note");
    EXPECT_EQ(c.Breakpoints[1].Comment, " English units ");
    // Row 1 below the lower limit of 5 Hz: the profile check moves it up to the limit.
    EXPECT_EQ(c.Breakpoints[1].Frequency, 5.0f);
    EXPECT_EQ(c.CurrentFrequency, 5.0f);

    CloseProfileEditor(c);
    ShowProfileEditor(c);
    UpdateProfileFromGrid(c);
    EXPECT_EQ(c.Breakpoints[6].Comment, "    note");
}

TEST_F(ProfileGridTest, BreakpointsWriteCrossoversOfRowsTwoToThirtyOne) {
    ShowProfileEditor(c);
    for (int row = 1; row <= 31; ++row) {
        Type(row, 1, "0");
        Type(row, 2, "A");
    }
    Type(1, 2, "D"); // 10 mils, then 1 in/s: 318.3 x 1 / 10
    Type(1, 3, "10");
    Type(2, 2, "V");
    Type(2, 3, "1");
    // V 1 -> D at 0, raised to 0.001: 318.3 x 1 / 0.001 in single precision, where 318.3
    // is 318.2999878 and 0.001 is 0.00100000005: 318299.97.
    Type(3, 2, "D");
    Type(3, 3, "0");
    Type(4, 2, "V"); // D at level 0 -> V: no crossover, the frequency stays
    Type(4, 1, "44,3");
    Type(5, 2, "A"); // V 2 -> A 20: 61.45 x 20 / 2
    Type(4, 3, "2");
    Type(5, 3, "20");
    Type(6, 2, "S"); // a slope: no crossover
    Type(6, 1, "7");
    ComputeCrossovers(c);
    const char* expected[] = {" 31.83", " 318299.97", " 44.3", " 614.5", " 7.", " ."};
    for (int row = 2; row <= 7; ++row) EXPECT_EQ(grid.Cell(row, 1), expected[row - 2]) << "row " << row;
    EXPECT_EQ(CellNumber(grid.Cell(7, 1)), 0.0f);
    EXPECT_EQ(grid.Cell(1, 1), "  0") << "row 1 is not rewritten";

    c.P[22] = 1.0f; // Metric: D 1 mm -> A 9.807 m/s2: 7.117 x sqrt(9.807 / 1)
    Type(1, 2, "D");
    Type(1, 3, "1");
    Type(2, 2, "A");
    Type(2, 3, "9.807");
    ComputeCrossovers(c);
    EXPECT_EQ(grid.Cell(2, 1), " 22.29");
}

// After a level of 0 or below the relations give 0 Hz or less: the typed frequency stays.
TEST_F(ProfileGridTest, BreakpointsKeepTheFrequencyAfterALevelOfZeroOrBelow) {
    const char* cases[][3] = {{"V", "0", "D"}, {"A", "0", "D"}, {"A", "0", "V"}, {"V", "-1", "D"}, {"A", "-.5", "V"}};
    ShowProfileEditor(c);
    Type(2, 3, "2.59");
    for (const auto& [before, level, mode] : cases) {
        Type(1, 2, before);
        Type(1, 3, level);
        Type(2, 2, mode);
        Type(2, 1, "44,3");
        ComputeCrossovers(c);
        EXPECT_EQ(grid.Cell(2, 1), " 44.3") << before << ' ' << level << " -> " << mode;
    }
}

TEST_F(ProfileGridTest, NewProfileWhileOpenKeepsTheGridUntilItIsOpenedAgain) {
    ShowProfileEditor(c);
    Type(3, 3, "99");
    RunMenuCommand(c, "mnuFileNew");
    EXPECT_EQ(grid.Cell(3, 3), "  99");
    EXPECT_EQ(grid.raiseRequests, 1u);
    EXPECT_EQ(c.Breakpoints[3].Level, 1.0f);
    CloseProfileEditor(c);
    RunMenuCommand(c, "mnuTestModify");
    EXPECT_EQ(grid.Cell(3, 3), "  1");
    EXPECT_EQ(grid.Cell(2, 1), "  5000");
}

TEST_F(ProfileGridTest, PastedBlocksFillFromTheSelectedCellAndEnterMovesDown) {
    ShowProfileEditor(c);
    SelectCell(c.Editor, 2, 1);
    PasteIntoGrid(c.Editor, "10\tD\t1\r\n20\tV\t2,5\n");
    EXPECT_EQ(grid.cells[2][1] + grid.cells[2][2] + grid.cells[2][3], "  10  D  1");
    EXPECT_EQ(grid.cells[3][1] + grid.cells[3][2] + grid.cells[3][3], "  20  V  2.5");
    SelectCell(c.Editor, 100, 5);
    PasteIntoGrid(c.Editor, "1,2,3\n4,5,6");
    EXPECT_EQ(grid.Cell(100, 5) + grid.Cell(100, 6), "  1  2") << "what falls outside is left out";
    EXPECT_EQ(grid.text, "  1");

    grid.text = "7";
    AcceptAndMoveDown(c.Editor);
    EXPECT_EQ(grid.Cell(100, 5), "  7");
    EXPECT_EQ(grid.selectedRow, 100);
    SelectCell(c.Editor, 10, 2);
    MoveSelection(c.Editor, -1, 9);
    EXPECT_EQ(grid.selectedRow * 10 + grid.selectedColumn, 96);
}

} // namespace
