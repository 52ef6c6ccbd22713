#include "files/TestRecord.h"

#include "core/Clock.h"
#include "support/TestController.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(TestRecordTest, FolderNameIsDateTimeAndCleanedTitle) {
    const double day = DateSerial(2026, 1, 5);
    struct Case {
        double seconds;
        const char* title;
        int attempt;
        const char* name;
    };
    const Case cases[] = {
        {9 * 3600.0 + 0.7, "Fixture qualification #3 (rev. b)", 1,
         "2026-01-05_09-00-00_Fixture_qualification__3__rev__b_"},
        {0.0, "", 1, "2026-01-05_00-00-00"},
        {86399.9, "Run_A-1", 2, "2026-01-05_23-59-59_Run_A-1-2"},
        {45296.0, "", 3, "2026-01-05_12-34-56-3"},
        {3661.0,
         "Schwingpr\xC3\xBC"
         "fung",
         1, "2026-01-05_01-01-01_Schwingpr_fung"},
        {3661.0, "0123456789012345678901234567890123456789-cut", 1,
         "2026-01-05_01-01-01_0123456789012345678901234567890123456789"},
    };
    for (const Case& t : cases)
        EXPECT_EQ(RecordFolderName(day, t.seconds, t.title, t.attempt), t.name) << t.title << " " << t.attempt;
}

// A row worked from the values the cycle left: the third pass (half-sweep counter 2) waiting
// at a dwell, the drive in percent, metric responses 9.807 m/s^2 a G.
TEST(TestRecordTest, RowCarriesTheCycleInTheProfileUnit) {
    TestController t;
    Controller& c = t.c;
    c.P[Param::UnitsSystem] = 1.0f;
    c.EightChannelMode = 1;
    c.SweepCounter = 2.0f;
    c.DwellActive = 1;
    c.CurrentFrequency = 125.5f;
    c.ReferenceLevel = 2.0f;
    c.ControlValue = 1.0f;
    c.DriveOutput = 0.001094f;
    c.Compression = -12.5f;
    c.ChannelResponse = {0.0f, 1.0f, 0.5f, 2.0f, 0.25f, 9.0f};
    c.LimitingChannel = 3;
    c.OverloadMask = 5;
    EXPECT_EQ(RecordRow(c, 12.3),
              "12.3,3,dwell,125.5,19.614,9.807,0.1094,-12.5,9.807,4.9035,19.614,2.45175,88.263,0,0,0,3,5\n");
}

// A second test in the same second gets a folder of its own; the folder taken away under a
// running test ends its record at the next hand-over, and the panel says why.
TEST(TestRecordTest, FoldersOfTestsAndTheirFaults) {
    const std::filesystem::path work = std::filesystem::temp_directory_path() / "zek8-test-record";
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work);
    TestController t;
    t.c.WorkingFolder = work.string();
    t.c.KeepTestRecord = true;
    t.c.Indicators.SetText("lblTestTitle", "Two tests");
    StartTestRecord(t.c);
    const std::string first = t.c.RecordFolder;
    t.c.CycleStartMs = t.clock.TickMs();
    WriteRecordRow(t.c);
    StartTestRecord(t.c);
    EXPECT_EQ(first, (work / "records" / "2026-01-05_09-00-00_Two_tests").string());
    EXPECT_EQ(OpenRecordFolder(t.c), first + "-2");
    EXPECT_EQ(std::filesystem::file_size(first + "/record.csv"), RecordHeader(t.c).size() + RecordRow(t.c, 0).size());

    std::filesystem::remove_all(work);
    t.clock.AdvanceMs(1000);
    t.c.CycleStartMs = t.clock.TickMs();
    WriteRecordRow(t.c);
    EXPECT_EQ(t.c.Indicators.Item("lblRecord").text, " RECORD: FOLDER GONE");
    EXPECT_TRUE(t.c.Indicators.Item("lblRecord").visible);
    EXPECT_EQ(t.c.Record, nullptr);
}

} // namespace
