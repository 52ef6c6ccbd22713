#include "runner/HeadlessRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Each example runs from a copy of its folder, as a user opens it as the working folder:
// its profile and calibration file load without a box, its bench file stands in for the
// boards.
RunSummary RunExample(const std::string& name, RunOptions::Until until, double seconds, std::ostream* trace = nullptr,
                      const std::string& statePath = "") {
    const fs::path copy = fs::temp_directory_path() / ("zek8-example-" + name);
    fs::remove_all(copy);
    fs::copy(fs::path(ZEK8_EXAMPLES_DIR) / name, copy, fs::copy_options::recursive);
    RunOptions options;
    options.workdir = copy.string();
    options.bench = (copy / "simulated.bench").string();
    options.until = until;
    options.untilSeconds = seconds;
    options.statePath = statePath;
    const RunSummary summary = RunHeadless(options, trace);
    fs::remove_all(copy);
    return summary;
}

std::string Boxes(const RunSummary& s) {
    std::string all;
    for (const ShownMessage& m : s.messages) all += m.title + ": " + m.text + "\n";
    return all;
}

// Every sweep runs to its end with no box on the way. The test times follow from each
// set-up: the default sweep, 5 to 5000 Hz and back at 3 octaves a minute, takes
// 2 x 9.966 / 3 min = 398.6 s plus the cycles at the limits; the dwells add 6 x 30 s; the
// MIL-167 test steps 5 to 33 to 5 to 33 Hz, 84 steps of 15 s, as its counter starts at
// the lower limit with a half sweep; 20 to 2000 Hz and back takes 2 x 6.644 / 3 min =
// 265.8 s; 20 to 1000 Hz and back at 2 octaves a minute, 2 x 5.644 / 2 min = 338.6 s.
struct SweepExample {
    const char* name;
    double fromSeconds, toSeconds;
};

class EverySweep : public ::testing::TestWithParam<SweepExample> {};

TEST_P(EverySweep, RunsToItsEnd) {
    const SweepExample& k = GetParam();
    const RunSummary s = RunExample(k.name, RunOptions::Until::End, 0.0);
    EXPECT_EQ(s.end, "end-of-test") << s.abortMessage;
    EXPECT_TRUE(s.messages.empty()) << Boxes(s);
    EXPECT_GE(s.simulatedSeconds, k.fromSeconds);
    EXPECT_LE(s.simulatedSeconds, k.toSeconds);
    EXPECT_LT(s.controlErrorDb.median, 0.2);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, EverySweep,
    ::testing::Values(SweepExample{"default-sweep", 398.6, 405.0}, SweepExample{"metric-units", 398.6, 405.0},
                      SweepExample{"dwell-three-points", 578.6, 585.0}, SweepExample{"mil-167-stepped", 1260.0, 1275.0},
                      SweepExample{"sixteen-channels", 265.8, 271.0}, SweepExample{"limit-channel", 338.6, 345.0}),
    [](const ::testing::TestParamInfo<SweepExample>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

// sixteen-channels opens averaging channels 1 to 4, the bits of its average entry.
TEST(Examples, SixteenChannelsOpensAveragingChannelsOneToFour) {
    const fs::path state = fs::temp_directory_path() / "zek8-example-state.json";
    RunExample("sixteen-channels", RunOptions::Until::Seconds, 0.1, nullptr, state.string());
    std::ifstream in(state);
    const std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove(state);
    for (const char k : {'0', '1', '2', '3'})
        EXPECT_NE(json.find(std::string("\"mnuViewAveResponse[") + k + "]\": {\"checked\": true"), std::string::npos)
            << k;
}

// The resonance search never ends by itself: once the sweep meets the specimen's mode at
// 250 Hz (Q 20, half-power band 12.5 Hz) it hunts about it until the operator stops.
TEST(Examples, ResonanceSearchHuntsAboutTheSpecimenMode) {
    std::ostringstream trace;
    const RunSummary s = RunExample("resonance-search", RunOptions::Until::Seconds, 300.0, &trace);
    EXPECT_EQ(s.abortCode, 0.0f) << s.abortMessage;
    EXPECT_TRUE(s.messages.empty()) << Boxes(s);
    std::istringstream lines(trace.str());
    std::string line;
    std::getline(lines, line); // the heading
    double lowest = 1e9, highest = 0.0;
    while (std::getline(lines, line)) {
        const double t = std::stod(line);
        const double frequency = std::stod(line.substr(line.find(',') + 1));
        if (t < 200.0) continue;
        lowest = std::min(lowest, frequency);
        highest = std::max(highest, frequency);
    }
    EXPECT_GT(lowest, 225.0);
    EXPECT_LT(highest, 275.0);
    EXPECT_GT(highest - lowest, 5.0) << "hunting, not standing still";
}

} // namespace
