#include "runner/HeadlessRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// No profile or calibration file in the working folder: the controller says so, the
// script cancels, and the defaults run.
RunOptions DefaultRun() {
    RunOptions options;
    options.workdir = (std::filesystem::temp_directory_path() / "zek8-runner-none").string();
    return options;
}

TEST(HeadlessRun, DefaultProfileOnTheBuiltInBenchEndsByItself) {
    const RunSummary s = RunHeadless(DefaultRun());
    EXPECT_EQ(s.end, "end-of-test");
    EXPECT_EQ(s.abortCode, 0.0f) << s.abortMessage;
    EXPECT_EQ(s.sweepCounter, 0.5f);
    // One sweep up and down at 3 octaves a minute over log2(1000) octaves: 398.6 s,
    // plus the seconds the rate estimate takes to settle.
    EXPECT_NEAR(s.simulatedSeconds, 398.6, 398.6 * 0.03);
    EXPECT_LT(s.controlErrorDb.p95, 1.0);
    EXPECT_GT(s.controlErrorDb.cycles, 3500u);
    // The traces update once a second and the sweep moves 3.5 % a second, more than the
    // 1 % that stores a row: one row a second, up and down.
    EXPECT_NEAR(s.historyRows, 398, 6);
    ASSERT_EQ(s.messages.size(), 2u) << "the missing profile and calibration file";
    EXPECT_EQ(s.messages[0].answer, "Cancel");
    // The summary's rule for the error is the runner's: from 5 s after Servo On, no channel limiting.
    ASSERT_TRUE(s.testSummary);
    EXPECT_EQ(s.testSummary->sweepsDone, 2) << "up and down";
    EXPECT_NEAR(*s.testSummary->largestErrorDb, s.controlErrorDb.max, 1e-6);
    EXPECT_NEAR(s.testSummary->durationSeconds, s.simulatedSeconds, 0.2);
}

TEST(HeadlessRun, RunsAreRepeatable) {
    RunOptions options = DefaultRun();
    options.until = RunOptions::Until::Seconds;
    options.untilSeconds = 60.0;
    std::ostringstream first;
    std::ostringstream second;
    const std::string a = SummaryJson(RunHeadless(options, &first));
    const std::string b = SummaryJson(RunHeadless(options, &second));
    EXPECT_EQ(a, b);
    EXPECT_EQ(first.str(), second.str());
    EXPECT_NE(a.find("\"end\": \"until\""), std::string::npos);
}

TEST(HeadlessRun, WithoutAnAcquisitionLibraryTheDemoPlantRuns) {
    RunOptions options = DefaultRun();
    options.bench = "none";
    const RunSummary s = RunHeadless(options);
    EXPECT_EQ(s.end, "end-of-test");
    EXPECT_EQ(s.messages[1].text, " No hardware was detected. The Software has been put in the Demo Mode");
    EXPECT_FALSE(s.trueErrorDb) << "no bench to tell the truth";
}

TEST(HeadlessRun, DeadControlSensorAborts) {
    const auto bench = std::filesystem::temp_directory_path() / "zek8-runner-dead.bench";
    {
        std::ofstream file(bench);
        file << "fault sensor 1 dead 60\n";
    }
    RunOptions options = DefaultRun();
    options.bench = bench.string();
    const RunSummary s = RunHeadless(options);
    std::filesystem::remove(bench);
    EXPECT_EQ(s.end, "abort");
    EXPECT_NE(s.abortCode, 0.0f);
    EXPECT_GT(s.simulatedSeconds, 60.0);
    EXPECT_LT(s.simulatedSeconds, 70.0);
    EXPECT_FALSE(s.abortMessage.empty());
    ASSERT_TRUE(s.testSummary);
    EXPECT_EQ(s.testSummary->abortCode, s.abortCode);
}

TEST(HeadlessRun, SummaryJsonEscapesTexts) {
    RunSummary s;
    s.end = "abort";
    s.messages.push_back({1.5, "Error!", "line\none \"q\"", "OK"});
    EXPECT_NE(SummaryJson(s).find("\"errors\": []"), std::string::npos) << SummaryJson(s);
    s.errors.emplace_back("cannot write \"a b\"");
    const std::string json = SummaryJson(s);
    EXPECT_NE(json.find("\"text\": \"line\\u000aone \\\"q\\\"\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"t\": 1.5"), std::string::npos);
    EXPECT_NE(json.find("\"errors\": [\"cannot write \\\"a b\\\"\"]"), std::string::npos) << json;
}

// JSON is UTF-8 only: each broken sequence is a "?", as in the files; whole characters stay.
TEST(HeadlessRun, SummaryJsonHoldsOnlyUtf8) {
    const char* texts[][2] = {{"ab\377cd", "ab?cd"},     {"\342\202c", "?c"},
                              {"\300\200", "?"},         {"\355\240\200", "?"},
                              {"\364\220\200\200", "?"}, {"\303\251\342\202\254", "\303\251\342\202\254"}};
    for (const auto& [text, written] : texts) {
        RunSummary s;
        s.abortMessage = text;
        EXPECT_NE(SummaryJson(s).find("\"abort_message\": \"" + std::string(written) + "\","), std::string::npos)
            << written;
    }
}

TEST(HeadlessRun, FilesThatCannotBeWrittenAreErrorsNamingThem) {
    const auto missing = std::filesystem::temp_directory_path() / "zek8-runner-no-such-folder";
    std::filesystem::remove_all(missing);
    RunOptions options = DefaultRun();
    options.until = RunOptions::Until::Seconds;
    options.untilSeconds = 1.0;
    options.exportPath = (missing / "data.dat").string();
    options.reportPath = (missing / "report.bmp").string();
    options.statePath = (missing / "state.json").string();
    const RunSummary s = RunHeadless(options);
    EXPECT_EQ(s.end, "until");
    const std::vector<std::string> paths = {options.exportPath, options.reportPath, options.statePath};
    ASSERT_EQ(s.errors.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_NE(s.errors[i].find(paths[i]), std::string::npos) << s.errors[i];
    EXPECT_FALSE(std::filesystem::exists(missing));
}

} // namespace

namespace {

TEST(HeadlessRun, ProfileOfTwoSweepsAndTheStateAtTheEnd) {
    const auto profile = std::filesystem::temp_directory_path() / "zek8-runner-two.prf";
    const auto state = std::filesystem::temp_directory_path() / "zek8-runner-two.json";
    // Records 1..5: the limits, sweep type, rate and two sweeps with the default profile rows.
    std::ofstream(profile, std::ios::binary) << "5,5,1,500,6,0,\"\"\r\n5000,20,3,10,6,0,\"\"\r\n"
                                                "1,44.3,1,100,6,0,\"\"\r\n3,62.6,3,20,6,0,\"\"\r\n"
                                                "2,5000,3,20,6,0,\"\"\r\n";
    RunOptions options = DefaultRun();
    options.profile = profile.string();
    options.statePath = state.string();
    const RunSummary s = RunHeadless(options);
    std::ifstream in(state);
    const std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(profile);
    std::filesystem::remove(state);
    EXPECT_EQ(s.end, "end-of-test");
    EXPECT_NEAR(s.simulatedSeconds, 2 * 398.6, 2 * 398.6 * 0.03);
    EXPECT_EQ(s.messages.size(), 1u) << "only the calibration file is missing";
    EXPECT_NE(json.find("\"P\": [2, 5, 5000, 1, 3, 2,"), std::string::npos) << json.substr(0, 80);
    EXPECT_NE(json.find("\"mnuInputsSens[2]\": {\"checked\": false, \"enabled\": true}"), std::string::npos);
    EXPECT_NE(json.find("\"ProfileFileName\": \"     \\\\ZEKFileS.000\""), std::string::npos);
}

} // namespace
