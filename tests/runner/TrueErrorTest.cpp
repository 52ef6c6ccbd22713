#include "runner/HeadlessRun.h"
#include "runner/RunScript.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// 60 s held at 100 Hz on a bare table with neither noise nor harmonics, controlled on
// channel 1 alone (the default Average over channel 1). The servo closes on the
// reference from below, so on every counted cycle true and measured error differ by
// the same number of dB: the detector takes 1.57 for pi/2, which reads the truth
// 20 log10(1.5708 / 1.57) = 0.0044 dB low, and a sensor's error of sensitivity.
RunSummary HeldOnBareTable(const std::string& channelOne) {
    const auto bench = std::filesystem::temp_directory_path() / "zek8-runner-truth.bench";
    std::ofstream(bench) << "harmonics\nnoise-g 0\n" << channelOne;
    RunOptions options;
    options.workdir = (std::filesystem::temp_directory_path() / "zek8-runner-none").string();
    options.bench = bench.string();
    std::istringstream script("0 menu mnuSweepLL 100\n0 menu mnuRunLL\n0 button cmdServoOn\n");
    options.script = ReadRunScript(script);
    options.until = RunOptions::Until::Seconds;
    options.untilSeconds = 60.0;
    const RunSummary s = RunHeadless(options);
    std::filesystem::remove(bench);
    return s;
}

// The detector's amplitude is rounded to whole counts, about 2600 of them at 20 G: a
// count is 0.003 dB.
constexpr double CountsTolerance = 0.002;

TEST(TrueError, SitsJustInsideTheMeasuredErrorWhenTheSensorIsTrue) {
    const RunSummary s = HeldOnBareTable("");
    EXPECT_EQ(s.abortCode, 0.0f) << s.abortMessage;
    ASSERT_TRUE(s.trueErrorDb);
    EXPECT_EQ(s.trueErrorDb->cycles, s.controlErrorDb.cycles);
    EXPECT_GT(s.controlErrorDb.cycles, 500u);
    EXPECT_LT(s.controlErrorDb.median, 0.05);
    EXPECT_NEAR(s.trueErrorDb->median - s.controlErrorDb.median, -0.0044, CountsTolerance);
    EXPECT_NEAR(s.trueErrorDb->max - s.controlErrorDb.max, -0.0044, CountsTolerance);
}

TEST(TrueError, ShowsASensorMoreSensitiveThanItsTableEntry) {
    // 12.5 mV/G against the 10 the controller assumes: it reads 1.25 times the motion
    // and holds the table 20 log10(1.25) = 1.9382 dB further below the reference than
    // it measures, less the detector's 0.0044 dB.
    const RunSummary s = HeldOnBareTable("channel 1 table 12.5\n");
    ASSERT_TRUE(s.trueErrorDb);
    EXPECT_LT(s.controlErrorDb.median, 0.05);
    EXPECT_NEAR(s.trueErrorDb->median - s.controlErrorDb.median, 1.9338, CountsTolerance);
    EXPECT_NEAR(s.trueErrorDb->max - s.controlErrorDb.max, 1.9338, CountsTolerance);
}

TEST(TrueError, FollowsTheControlErrorInTheSummaryOrIsNull) {
    RunSummary s;
    EXPECT_NE(SummaryJson(s).find("\"true_error_db\": null,"), std::string::npos) << SummaryJson(s);
    s.trueErrorDb = ControlAccuracy{0.5, 1.25, 2.0, 7};
    EXPECT_NE(SummaryJson(s).find("\"cycles\": 0},\n  \"true_error_db\": {\"median\": 0.5, \"p95\": 1.25, \"max\": 2, "
                                  "\"cycles\": 7},\n  \"errors\""),
              std::string::npos)
        << SummaryJson(s);
}

} // namespace
