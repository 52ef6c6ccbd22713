#include "files/LimitFile.h"

#include "core/Defaults.h"

#include "files/GridEditing.h"
#include "files/LimitGrid.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr float D = 1.0f;
constexpr float A = 3.0f;

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(LimitFile, IsOneRecordARowInCrLfText) {
    LimitTable table;
    table.rows = {{2, 20, A, 30, 3}, {2, 1000, D, 0.5f, 0.25f}};
    EXPECT_EQ(WriteLimits(table), "2,20,3,30,3\r\n2,1000,1,.5,.25\r\n");
    const LimitTable back = ReadLimits(WriteLimits(table));
    ASSERT_EQ(back.rows.size(), 2u);
    EXPECT_EQ(back.rows[1].channel, 2);
    EXPECT_EQ(back.rows[1].frequency, 1000.0f);
    EXPECT_EQ(back.rows[1].mode, D);
    EXPECT_EQ(back.rows[1].level, 0.5f);
    EXPECT_EQ(back.rows[1].abortDb, 0.25f);
    EXPECT_TRUE(ReadLimits("").rows.empty());
}

TEST(LimitFile, NamesTheLineItCannotTake) {
    const std::pair<const char*, int> cases[] = {
        {"2,20,3,30,3\r\n2,x,3,30,3\r\n", 2},                 // no number
        {"2,20,3,30,3\nfour,fields\n", 2},                    // not five fields
        {"2,20,3,30,3\r\n2,20,3,30,3,9\r\n", 2},              // six fields
        {"2,20,3,30,3\r\n\r\n2,40,3,30,3\r\n", 2},            // a blank line
        {"2.5,20,3,30,3\r\n", 1},                             // no whole channel
        {"2,200,3,30,3\r\n3,5,3,1,1\r\n2,100,3,30,3\r\n", 3}, // channel 2 out of order
        {"2,20,4,30,3\r\n", 1},                               // a slope has no limit
        {"2,20,3,30,0\r\n", 1},                               // no margin
    };
    for (const auto& [text, line] : cases) {
        try {
            ReadLimits(text);
            ADD_FAILURE() << text;
        } catch (const LimitFileFault& fault) {
            EXPECT_EQ(fault.line, line) << text;
            EXPECT_EQ(std::string(fault.what()).rfind("line " + std::to_string(line) + ": ", 0), 0u) << fault.what();
        }
    }
}

struct LimitFileOnDisk : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zek8-limit-file-test-" + std::to_string(::getpid()));
    std::string profile = (folder / "ZEKFileS.001").string();
    LimitFileOnDisk() {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    ~LimitFileOnDisk() override { std::filesystem::remove_all(folder); }
};

TEST_F(LimitFileOnDisk, TravelsBesideTheProfileAndAnEmptyTableRemovesIt) {
    c.Limits.rows = {{2, 20, A, 30, 3}};
    SaveLimitsBeside(c, profile);
    EXPECT_EQ(Slurp(folder / "ZEKFileS.001.lim"), "2,20,3,30,3\r\n");
    c.Limits = LimitTable{};
    OpenLimitsBeside(c, profile);
    ASSERT_EQ(c.Limits.rows.size(), 1u);
    EXPECT_EQ(c.Limits.rows[0].level, 30.0f);

    c.Limits = LimitTable{};
    SaveLimitsBeside(c, profile);
    EXPECT_FALSE(std::filesystem::exists(folder / "ZEKFileS.001.lim"));
    c.Limits.rows = {{2, 20, A, 30, 3}};
    c.LimitingChannel = 2;
    OpenLimitsBeside(c, profile);
    EXPECT_TRUE(c.Limits.rows.empty());
    EXPECT_EQ(c.LimitingChannel, 0);
    EXPECT_TRUE(t.dialogs.History().empty());
}

TEST_F(LimitFileOnDisk, AFileItCannotReadIsNamedAndLeavesNoLimits) {
    std::ofstream(folder / "ZEKFileS.001.lim", std::ios::binary) << "2,20,3,30,3\r\n2,10,3,30,3\r\n";
    c.Limits.rows = {{5, 20, A, 30, 3}};
    OpenLimitsBeside(c, profile);
    EXPECT_TRUE(c.Limits.rows.empty());
    ASSERT_EQ(t.dialogs.History().size(), 1u);
    EXPECT_EQ(t.dialogs.History()[0].text,
              "The limit file " + profile +
                  ".lim cannot be read: line 2: the frequency must be greater than that of the channel's row "
                  "before.\r\nThe profile is opened without limit channels.");
}

struct LimitGridTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    EditorGrid& grid = c.LimitEditor;
    LimitGridTest() {
        SetDefaults(c);
        c.DemoMode = 1.0f;
    }
    void Type(int row, int column, const std::string& text) {
        SelectCell(grid, row, column);
        grid.text = text;
        AcceptCellValue(grid);
    }
    void TypeRow(int row, const std::array<const char*, 5>& cells) {
        for (int column = 1; column <= 5; ++column) Type(row, column, cells[static_cast<std::size_t>(column - 1)]);
    }
};

TEST_F(LimitGridTest, OpensFromTheTableAndTakesTheRowsThatAreNotBlank) {
    c.Limits.rows = {{2, 250, A, 30, 3}};
    ShowLimitEditor(c);
    ASSERT_TRUE(grid.open);
    EXPECT_EQ(grid.cells[0],
              (std::vector<std::string>{" ROW #", " CHANNEL", " FREQ.-Hz. ", " MODE (DVA)", "   LEVEL", " ABORT dB"}));
    EXPECT_EQ(grid.cells[1], (std::vector<std::string>{"  1", "  2", "  250", "  A", "  30", "  3"}));
    EXPECT_EQ(grid.cells[160][1], "");
    TypeRow(5, {"3", "100", "D", "2,5", "1"});
    ASSERT_TRUE(c.Limits.rows.size() == 1u) << "only Update Limits takes the grid";
    UpdateLimitsFromGrid(c);
    ASSERT_EQ(c.Limits.rows.size(), 2u);
    EXPECT_EQ(c.Limits.rows[1].channel, 3);
    EXPECT_EQ(c.Limits.rows[1].mode, D);
    EXPECT_EQ(c.Limits.rows[1].level, 2.5f);
    EXPECT_TRUE(t.dialogs.History().empty());
}

TEST_F(LimitGridTest, ARowThatBreaksARuleIsNamedByItsGridRowAndNothingChanges) {
    c.Limits.rows = {{2, 250, A, 30, 3}};
    ShowLimitEditor(c);
    const std::pair<std::array<const char*, 5>, const char*> cases[] = {
        {{"2", "300", "S", "30", "3"}, "Limit row 7: the mode must be D, V or A."},
        {{"2", "300", "", "30", "3"}, "Limit row 7: the mode must be D, V or A."},
        {{"", "300", "A", "30", "3"}, "Limit row 7: the channel must be a whole number from 1 to 16."},
        {{"2", "200", "A", "30", "3"},
         "Limit row 7: the frequency must be greater than that of the channel's row before."},
        {{"2", "300", "A", "thirty", "3"}, "Limit row 7: the level must be greater than 0."},
    };
    for (const auto& [cells, message] : cases) {
        TypeRow(7, cells);
        UpdateLimitsFromGrid(c);
        ASSERT_FALSE(t.dialogs.History().empty());
        EXPECT_EQ(t.dialogs.History().back().text, message);
        ASSERT_EQ(c.Limits.rows.size(), 1u);
        EXPECT_EQ(c.Limits.rows[0].frequency, 250.0f);
    }
}

} // namespace
