#include "runner/HeadlessRun.h"
#include "runner/RunScript.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

namespace {

// A bench whose every sensor adds 10 % second and 5 % third harmonic and 0.02 G noise.
const std::string DistortedBench = std::string(ZEK8_RUNNER_TEST_DIR) + "/distorted.bench";

RunSummary RunWithDetector(const std::string& detector, const std::string& start, RunOptions::Until until,
                           double seconds) {
    RunOptions options;
    options.workdir = (std::filesystem::temp_directory_path() / "zek8-runner-none").string();
    options.bench = DistortedBench;
    std::istringstream script("0 menu mnuSystemDetector" + detector + "\n" + start);
    options.script = ReadRunScript(script);
    options.until = until;
    options.untilSeconds = seconds;
    return RunHeadless(options);
}

// The default profile swept to its end with each detector. On a sweep the servo's own lag
// dominates the error, and every detector reaches the end; the tracking filter, which
// harmonics do not enter, holds the table closer than the rectified mean.
TEST(DetectorAccuracy, EveryDetectorSweepsTheDistortedBenchToTheEnd) {
    std::map<std::string, ControlAccuracy> truth;
    for (const std::string detector : {"Mean", "Peak", "Tracking", "Rms"}) {
        const RunSummary s =
            RunWithDetector(detector, "0 button cmdServoOn\n0 button cmdRun\n", RunOptions::Until::End, 0.0);
        EXPECT_EQ(s.end, "end-of-test") << detector << ": " << s.abortMessage;
        ASSERT_TRUE(s.trueErrorDb) << detector;
        truth[detector] = *s.trueErrorDb;
    }
    EXPECT_LE(truth["Tracking"].max, 1.0);
    EXPECT_LT(truth["Tracking"].p95, truth["Mean"].p95);
    EXPECT_LT(truth["Tracking"].max, truth["Mean"].max);
}

// Held where the block holds 1.5, 5 and 50 periods: the tracking filter keeps the true
// fundamental within 0.25 dB (p95) and 1 dB, where the rectified mean is pulled off by
// the harmonics.
TEST(DetectorAccuracy, TrackingFilterHoldsTheTrueFundamentalOnTheDistortedBench) {
    for (const char* frequency : {"15", "50", "500"}) {
        const std::string held =
            std::string("0 menu mnuSweepLL ") + frequency + "\n0 menu mnuRunLL\n0 button cmdServoOn\n";
        const RunSummary tracking = RunWithDetector("Tracking", held, RunOptions::Until::Seconds, 60.0);
        const RunSummary mean = RunWithDetector("Mean", held, RunOptions::Until::Seconds, 60.0);
        ASSERT_TRUE(tracking.trueErrorDb && mean.trueErrorDb) << frequency;
        EXPECT_GT(tracking.trueErrorDb->cycles, 500u) << frequency;
        EXPECT_LE(tracking.trueErrorDb->p95, 0.25) << frequency;
        EXPECT_LE(tracking.trueErrorDb->max, 1.0) << frequency;
        EXPECT_LT(tracking.trueErrorDb->p95, mean.trueErrorDb->p95) << frequency;
    }
}

} // namespace
