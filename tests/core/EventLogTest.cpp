#include "core/EventLog.h"

#include "core/Clock.h"
#include "core/Controller.h"
#include "core/LogEvents.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Times worked out by hand: the simulated clock starts at 09:00:00.000 on 5 January
// 2026, and its wall clock moves with its tick.
TEST(EventLog, TimesAreTheClocksDateAndTimeOfDayToTheMillisecond) {
    SimulatedClock clock;
    clock.AdvanceMs(3'723'456); // 1 h 2 min 3.456 s
    EXPECT_EQ(EventTimeText(clock.Today(), clock.SecondsSinceMidnight()), "2026-01-05 10:02:03.456");
    EXPECT_EQ(EventTimeText(DateSerial(2024, 2, 29), 0.0), "2024-02-29 00:00:00.000");
    // The last millisecond of a day stays in that day.
    EXPECT_EQ(EventTimeText(DateSerial(2025, 12, 31), 86'399.9996), "2025-12-31 23:59:59.999");
}

TEST(EventLog, KeepsTheNewestEventsAndCountsThemAll) {
    EventLog log;
    for (std::size_t i = 0; i < EventLog::Kept + 2; ++i) log.Add("t", std::to_string(i));
    EXPECT_EQ(log.Events().size(), EventLog::Kept);
    EXPECT_EQ(log.Events().front().text, "2");
    EXPECT_EQ(log.Count(), EventLog::Kept + 2);
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A record folder that appears takes the events since the last test ended (start-up's
// with the first test), then each new one; the next test's folder starts after the end.
TEST(EventLog, RecordFolderTakesTheEventsSinceTheLastTestEnded) {
    const auto folder = std::filesystem::temp_directory_path() / "zek8-event-log-attach";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "1");
    std::filesystem::create_directories(folder / "2");
    SimulatedClock clock;
    Controller c;
    c.ports.clock = &clock;
    LogEvent(c, "Start-up");
    clock.AdvanceMs(1500);
    LogEvent(c, "Servo On");
    c.RecordFolder = (folder / "1").string();
    clock.AdvanceMs(25);
    LogEvent(c, "Sweep Run");
    LogTestEnded(c);
    LogEvent(c, "Profile saved: a");
    c.RecordFolder = (folder / "2").string();
    FollowRecordFolder(c);
    EXPECT_EQ(FileText(folder / "1" / "events.log"), "2026-01-05 09:00:00.000\tStart-up\n"
                                                     "2026-01-05 09:00:01.500\tServo On\n"
                                                     "2026-01-05 09:00:01.525\tSweep Run\n"
                                                     "2026-01-05 09:00:01.525\tTest ended\n");
    EXPECT_EQ(FileText(folder / "2" / "events.log"), "2026-01-05 09:00:01.525\tProfile saved: a\n");
    std::filesystem::remove_all(folder);
}

TEST(EventLog, AFileThatCannotBeOpenedIsAnEventAndTheLogGoesOn) {
    EventLog log;
    log.AttachSessionFile("/nonexistent-folder/events.log", "now");
    log.Add("later", "Servo On");
    ASSERT_EQ(log.Events().size(), 2u);
    EXPECT_EQ(log.Events()[0].text, "Event log file /nonexistent-folder/events.log cannot be opened: "
                                    "No such file or directory");
    EXPECT_EQ(log.SessionFileFault(), "No such file or directory");
}

} // namespace
