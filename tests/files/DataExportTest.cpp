#include "files/DataExport.h"
#include "core/ChannelMarks.h"
#include "core/Commands.h"
#include "core/Defaults.h"
#include "core/RunCommands.h"
#include "core/StartUp.h"
#include "engine/ChannelMarking.h"
#include "engine/StatusPanel.h"
#include "plot/SweepHistory.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& end) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(end, start)) != std::string::npos; start = at + end.size())
        parts.push_back(text.substr(start, at - start));
    EXPECT_EQ(start, text.size());
    return parts;
}

struct DataExportTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("zek8-export-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));

    DataExportTest() {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        c.WorkingFolder = (folder / "none").string();
    }
    ~DataExportTest() override { std::filesystem::remove_all(folder); }
};

TEST_F(DataExportTest, ExportRightAfterStartUpHoldsZerosAndTheWholeSetUp) {
    StartUp(c);
    c.Breakpoints[4].Comment = "fixture, top";
    t.dialogs.QueueFileName((folder / "run.dat").string());
    RunMenuCommand(c, "mnuFileExport");
    std::ifstream in(folder / "run.dat", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const auto records = Split(text.str(), "\r\n");
    ASSERT_EQ(records.size(), 1238u);
    EXPECT_EQ(records[0], "0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(records[899], "0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(records[1023], "0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(records[1024].substr(0, 2), "2,") << "P[0] and breakpoint row 0";
    EXPECT_EQ(records[1025], "5,5,1,500,6,0,\"\"");
    EXPECT_EQ(records[1028], "3,62.6,3,20,6,0,\"fixture, top\"");
    EXPECT_EQ(records[1225], "\" DEFAULT PROFILE\"");
    EXPECT_EQ(records[1229], "\"2026-01-05\"");
    EXPECT_EQ(records[1230], "\"09:00:00\"");
    EXPECT_EQ(records[1232], ".5");
    EXPECT_EQ(records[1237], "\"\",\" \",\" \",\" \",\" \"");
    EXPECT_EQ(t.dialogs.History().back().title, "ZEK-8 Save Test Data");
}

TEST_F(DataExportTest, OnlyThisTestsPointsAreExported) {
    SetDefaults(c);
    c.History.at(1, 1) = 5.1f;
    c.History.at(2, 1) = 5.2f; // left from an earlier, longer test
    c.HistoryCount = 2;
    const auto records = Split(DataFileText(c), "\r\n");
    EXPECT_EQ(records[0].substr(0, 4), "5.1,");
    EXPECT_EQ(records[1], "0,0,0,0,0,0,0,0,0,0");
}

// The marks a row carries are those of the cycles since the row before it; each channel
// that limited or overloaded by the row gets a record after the 1238, which stay as they
// were without marks.
TEST_F(DataExportTest, ChannelMarksFollowTheLastRecordRowByRow) {
    SetDefaults(c);
    const std::string unmarked = DataFileText(c);
    c.HistoryCount = 4; // rows 1..3 stored
    for (const auto& [row, frequency] : {std::pair{1, 100.0f}, {2, 250.0f}, {3, 402.5f}})
        c.History.at(row, 1) = frequency;
    ClearChannelMarks(c);
    MarkHistoryRow(c, 1); // no limiting, no overload
    c.LimitingChannel = 2;
    MarkChannels(c);
    c.LimitingChannel = 0;
    c.OverloadMask = ChannelBit(5) | ChannelBit(2);
    MarkChannels(c);
    MarkHistoryRow(c, 2);
    c.OverloadMask = ChannelBit(16);
    MarkChannels(c);
    MarkHistoryRow(c, 3);
    c.HistoryMarks[4] = {ChannelBit(1), 0}; // left from an earlier, longer test
    const std::string marked = DataFileText(c);
    c.HistoryCount = 1;
    ASSERT_EQ(DataFileText(c), unmarked) << "no stored row, no mark";
    const auto records = Split(marked, "\r\n");
    ASSERT_EQ(records.size(), 1238u + 4u);
    const std::vector<std::string> marks(records.begin() + 1238, records.end());
    EXPECT_EQ(marks, (std::vector<std::string>{"\"LIMITING\",2,2,250", "\"OVERLOAD\",2,2,250", "\"OVERLOAD\",5,2,250",
                                               "\"OVERLOAD\",16,3,402.5"}));
}

TEST_F(DataExportTest, ClipboardTextHasItsOwnLayout) {
    SetDefaults(c);
    c.DecimalSeparator = ",";
    c.Breakpoints[4].Comment = "fixture, top";
    c.SubTitle2 = "end";
    RunMenuCommand(c, "mnuToolsCopyData");
    const auto lines = Split(t.clipboard.lastText, "\r");
    ASSERT_EQ(lines.size(), 1225u + 13u);
    EXPECT_EQ(t.clipboard.lastText.find('\n'), std::string::npos);
    EXPECT_EQ(lines[900], "0,0,0,0,0,0,0,0,0,0,");
    EXPECT_EQ(lines[1028], "3,62,6,3,20,6,0,fixture, top") << "62.6 in the regional form, the comment unquoted";
    EXPECT_EQ(lines[1232], "0,5");
    EXPECT_EQ(lines.back(), "end  ");
}

TEST_F(DataExportTest, AutoExportQuestionsAndTheEndOfTheTest) {
    SetDefaults(c);
    c.DemoMode = 1.0f;
    c.Menu.SetChecked("mnuTestAutoExport", true);
    t.dialogs.QueueFileName(""); // cancelled: the proposed name, then the question
    t.dialogs.QueueAnswer(MessageAnswer::No);
    StartServo(c);
    EXPECT_EQ(t.dialogs.History().back().text,
              "You have not chosen an extension the filename; do you want to continue to save this file?");
    EXPECT_FALSE(c.AutoExportArmed) << "No disarms the export of this test";
    AutoExportData(c);
    EXPECT_EQ(t.dialogs.History().back().kind, ScriptedDialogs::Kind::Message) << "nothing written, no error";

    const std::string path = (folder / "auto.dat").string();
    t.dialogs.QueueFileName(path);
    StartServo(c);
    EXPECT_TRUE(c.AutoExportArmed);
    EndOfTest(c);
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(DataExportTest, AFullHistorySaysWhichSweepsItHolds) {
    SetDefaults(c);
    c.P[5] = 2.0f;
    c.SweepDirection = 2.0f;
    c.CurrentFrequency = 1513.4f;
    // The first row is taken on sweep 1 (counter 1), the 900th on the way down of sweep 2.
    for (const auto& [row, counter] : {std::pair{1, 1.0f}, {900, 2.5f}}) {
        std::tie(c.HistoryCount, c.SweepCounter, c.LastStoredFrequency) = std::tuple{row, counter, 1000.0f};
        AppendHistoryPoint(c);
    }
    for (const auto& [count, note] :
         {std::pair{901, ",\" HISTORY FULL: SWEEP# 1 TO 2 OF 2, LAST POINT 1513.4 HZ.\""}, {900, ""}}) {
        c.HistoryCount = count;
        EXPECT_EQ(Split(DataFileText(c), "\r\n").back(), R"(""," "," "," "," ")" + std::string(note));
        RefreshStatusPanel(c);
        EXPECT_EQ(c.Indicators.Item("lblControl").text, *note ? " HISTORY FULL" : " CONTROL");
    }
}

TEST(SweepHistory, StoresAPointEachTimeTheFrequencyMovesMoreThanOnePercent) {
    TestController t;
    Controller& c = t.c;
    SetDefaults(c);
    ClearHistory(c);
    c.HistoryCount = 1;
    c.SweepDirection = 2.0f;
    c.ChannelResponse[1] = 2.0f;
    c.ChannelResponse[9] = 3.0f;
    for (const float f : {5.02f, 5.05f}) {
        c.CurrentFrequency = f;
        AppendHistoryPoint(c);
    }
    EXPECT_EQ(c.HistoryCount, 1) << "5.05 is not above 5 x 1.01";
    c.CurrentFrequency = 5.06f;
    AppendHistoryPoint(c);
    EXPECT_EQ(c.HistoryCount, 2);
    EXPECT_EQ(c.History.at(1, 1), 5.06f);
    EXPECT_EQ(c.History.at(1, 2), 2.0f);
    EXPECT_EQ(c.History.at(1, 13), 3.0f);
    AppendHistoryPoint(c); // holding: no move, no point
    EXPECT_EQ(c.HistoryCount, 2);

    c.SweepDirection = 1.0f;
    c.CurrentFrequency = 5.0f;
    AppendHistoryPoint(c);
    EXPECT_EQ(c.HistoryCount, 3);

    c.SweepDirection = 2.0f;
    for (int i = 0; i < 2000; ++i) {
        c.CurrentFrequency *= 1.02f;
        AppendHistoryPoint(c);
    }
    EXPECT_EQ(c.HistoryCount, 901) << "900 rows at most";
    ClearHistory(c);
    EXPECT_EQ(c.History.at(900, 13), 0.0f);
    EXPECT_EQ(c.LastStoredFrequency, 5.0f);
}

} // namespace
