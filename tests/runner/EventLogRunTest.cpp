#include "runner/HeadlessRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A test whose control sensor dies in its second pass: the run's log holds, in order,
// what the script did, each pass and the abort with its reason and code.
TEST(EventLogRun, LogHoldsTheSweepsAndTheAbortInOrder) {
    const auto log = std::filesystem::temp_directory_path() / "zek8-event-log-run.log";
    std::filesystem::remove(log);
    RunOptions options;
    options.workdir = (std::filesystem::temp_directory_path() / "zek8-runner-none").string();
    options.logPath = log.string();
    options.script = std::vector<ScriptAction>{
        {0.0, "button", {"cmdServoOn"}, 1}, {0.0, "button", {"cmdRun"}, 2}, {250.0, "bench", {"dead", "1"}, 3}};
    const RunSummary s = RunHeadless(options);
    ASSERT_EQ(s.end, "abort");
    const std::string abort =
        "Abort: " +
        s.abortMessage.substr(s.abortMessage.find_first_not_of(' '),
                              s.abortMessage.find_last_not_of(' ') - s.abortMessage.find_first_not_of(' ') + 1) +
        " (code " + std::to_string(static_cast<int>(s.abortCode)) + ")";
    const std::vector<std::string> expected = {"Start-up, version",
                                               "script: Servo On",
                                               "script: Sweep Run",
                                               "Sweep 1 up from 5.00 Hz",
                                               "Sweep 1 ended at 5000.00 Hz",
                                               "Sweep 2 down from 5000.00 Hz",
                                               abort,
                                               "Sweep Hold",
                                               "Servo Off",
                                               "Sweep 2 stopped at",
                                               "Test ended"};
    const std::vector<std::string> lines = Lines(log);
    std::size_t next = 0;
    for (const std::string& line : lines) {
        ASSERT_GT(line.size(), 24u) << line;
        EXPECT_EQ(line[23], '\t') << line;
        if (next < expected.size() && line.compare(24, expected[next].size(), expected[next]) == 0) ++next;
    }
    EXPECT_EQ(next, expected.size()) << "missing: " << (next < expected.size() ? expected[next] : "");
    std::filesystem::remove(log);
}

} // namespace
