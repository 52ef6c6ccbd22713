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

// Each row worked from the values the cycle left: pass 2 is the way down (half-sweep
// counter 1.5), the drive in percent, metric responses 9.807 m/s^2 a G.
TEST(TestRecordTest, HeaderAndRowCarryTheCycleInTheProfileUnit) {
    TestController t;
    Controller& c = t.c;
    c.SweepCounter = 1.5f;
    c.SweepDirection = 1.0f;
    c.CurrentFrequency = 125.5f;
    c.ReferenceLevel = 2.0f;
    c.ControlValue = 1.0f;
    c.DriveOutput = 0.25f;
    c.Compression = -12.5f;
    c.ChannelResponse = {0.0f, 1.0f, 0.5f, 2.0f, 0.25f, 9.0f};
    c.LimitingChannel = 3;
    c.OverloadMask = 5;
    EXPECT_EQ(RecordHeader(c), "Time (s),Sweep,Direction,Frequency (Hz),Reference (G),Control (G),Drive (%),"
                               "Compression (dB),Ch1 (G),Ch2 (G),Ch3 (G),Ch4 (G),Limiting,Overload\n");
    EXPECT_EQ(RecordRow(c, 12.3), "12.3,2,down,125.5,2,1,25,-12.5,1,0.5,2,0.25,3,5\n");

    c.P[Param::UnitsSystem] = 1.0f;
    c.EightChannelMode = 1;
    c.SweepCounter = 2.0f;
    c.SweepDirection = 2.0f;
    c.DwellActive = 1;
    EXPECT_EQ(RecordHeader(c), "Time (s),Sweep,Direction,Frequency (Hz),Reference (m/s^2),Control (m/s^2),"
                               "Drive (%),Compression (dB),Ch1 (m/s^2),Ch2 (m/s^2),Ch3 (m/s^2),Ch4 (m/s^2),"
                               "Ch5 (m/s^2),Ch6 (m/s^2),Ch7 (m/s^2),Ch8 (m/s^2),Limiting,Overload\n");
    EXPECT_EQ(RecordRow(c, 0.0),
              "0,3,dwell,125.5,19.614,9.807,25,-12.5,9.807,4.9035,19.614,2.45175,88.263,0,0,0,3,5\n");
}

class TestRecordFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(work);
        std::filesystem::create_directories(work);
        t.c.WorkingFolder = work.string();
        t.c.KeepTestRecord = true;
        t.c.Indicators.SetText("lblTestTitle", "Two tests");
    }
    void TearDown() override { std::filesystem::remove_all(work); }
    const std::filesystem::path work = std::filesystem::temp_directory_path() / "zek8-test-record";
    TestController t;
};

// A second test in the same second gets a folder of its own; the first's file keeps its rows.
TEST_F(TestRecordFolder, ASecondTestInTheSameSecondGetsItsOwnFolder) {
    StartTestRecord(t.c);
    const std::string first = t.c.RecordFolder;
    t.c.CycleStartMs = t.clock.TickMs();
    WriteRecordRow(t.c);
    StartTestRecord(t.c);
    EXPECT_EQ(first, (work / "records" / "2026-01-05_09-00-00_Two_tests").string());
    EXPECT_EQ(t.c.RecordFolder, first + "-2");
    EXPECT_EQ(OpenRecordFolder(t.c), t.c.RecordFolder);
    EXPECT_EQ(std::filesystem::file_size(first + "/record.csv"), RecordHeader(t.c).size() + RecordRow(t.c, 0).size());
    EXPECT_FALSE(t.c.Indicators.Item("lblRecord").visible);
}

// The folder taken away under a running test: the next hand-over finds its file in no
// folder, the panel says so and the record ends.
TEST_F(TestRecordFolder, AFolderRemovedUnderTheTestEndsTheRecord) {
    StartTestRecord(t.c);
    std::filesystem::remove_all(work);
    t.clock.AdvanceMs(1000);
    t.c.CycleStartMs = t.clock.TickMs();
    WriteRecordRow(t.c);
    EXPECT_EQ(t.c.Indicators.Item("lblRecord").text, " RECORD: FOLDER GONE");
    EXPECT_TRUE(t.c.Indicators.Item("lblRecord").visible);
    EXPECT_EQ(t.c.Record, nullptr);
    // No folder can be made in a working folder that is gone.
    StartTestRecord(t.c);
    EXPECT_EQ(t.c.RecordFolder, "");
    EXPECT_EQ(t.c.Indicators.Item("lblRecord").text, " RECORD: FOLDER GONE");
}

} // namespace
