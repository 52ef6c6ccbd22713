#include "runner/HeadlessRun.h"
#include "runner/RunScript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

namespace {

std::filesystem::path Scratch(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           ("zek8-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" + name);
}

RunOptions Scripted(const std::string& script) {
    RunOptions options;
    options.workdir = Scratch("none").string();
    std::istringstream in(script);
    options.script = ReadRunScript(in);
    return options;
}

TEST(RunScript, ReadsActionsInTimeOrderAndNamesBadLines) {
    std::istringstream in("# setup\n5 key h\n0 menu mnuSweepLL \"\" 20\n0 button cmdServoOn # go\n");
    const auto actions = ReadRunScript(in);
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[0].action, "menu");
    EXPECT_EQ(actions[0].args, (std::vector<std::string>{"mnuSweepLL", "", "20"}));
    EXPECT_EQ(actions[1].action, "button");
    EXPECT_EQ(actions[2].seconds, 5.0);
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"x menu a\n", "line 1: 'x' is not a time"},
             {"1 fly\n", "line 1: unknown action 'fly'"},
             {"\n1 spin spnFreq\n", "line 2: 'spin' takes 2 arguments"},
             {"1 key \"a\n", "line 1: a quote is not closed"},
             {"1 click 5\n", "line 1: 'click' takes 2 arguments"},
             {"\n\n2 click 5 y\n", "line 3: 'click' takes two numbers"},
             {"2 click inf 5\n", "line 1: 'click' takes two numbers"},
             {"2 click 5 nan\n", "line 1: 'click' takes two numbers"},
             {"2 click 5,5 1\n", "line 1: 'click' takes two numbers"},
             {"0 bench call daqNothing 7\n", "line 1: no library function is called 'daqNothing'"},
             {"0 bench call daqOpen 7x\n", "line 1: '7x' is not a library error code"},
             {"0 bench call daqOpen 0\n", "line 1: a failing call needs a code other than 0"},
             {"0 bench dead 17\n", "line 1: a channel is 1 to 16"},
             {"0 bench saturate 2.5\n", "line 1: a channel is 1 to 16"},
             {"0 bench melt 2\n", "line 1: no bench fault 'melt'"},
             {"0 editor cell 101 1 5\n", "line 1: a cell of the editor is in rows 1 to 100, columns 1 to 6"},
             {"0 editor cell 1 1\n", "line 1: 'editor cell' takes a row, a column and a text"},
             {"0 editor open now\n", "line 1: 'editor open' takes nothing more"},
             {"0 audio safety-limit-v 0\n", "line 1: the safety limit is above 0 V"},
             {"0 audio input-full-scale-v 17 1\n", "line 1: a channel is a number from 1 to 16, not '17'"},
             {"0 audio save now\n", "line 1: 'audio save' takes nothing more"},
             {"0 audio calibrate 17\n", "line 1: the loop-back input is 1 to 16"},
         }) {
        std::istringstream bad(text);
        try {
            ReadRunScript(bad);
            ADD_FAILURE() << text;
        } catch (const ScriptError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The run to `seconds` of simulated time, and the whole state it ends in as JSON.
std::string StateAfter(RunOptions options, double seconds) {
    options.until = RunOptions::Until::Seconds;
    options.untilSeconds = seconds;
    const auto state = Scratch("state.json");
    options.statePath = state.string();
    RunHeadless(options);
    std::string json = ReadFile(state);
    std::filesystem::remove(state);
    return json;
}

// The tracking filter follows the sweep to 5000 Hz at 3 octaves a minute: it fits the
// frequency each block was made at, not the one sent after it (0.35 % higher, a whole
// period of drift over the block at 3 kHz, which read as an open loop).
TEST(ScriptedRun, TrackingFilterRunsTheDefaultTestToItsEnd) {
    const RunSummary s =
        RunHeadless(Scripted("0 menu mnuSystemDetectorTracking\n0 button cmdServoOn\n0 button cmdRun\n"));
    EXPECT_EQ(s.end, "end-of-test") << s.abortMessage;
    EXPECT_LT(s.controlErrorDb.max, 1.0);
}

// A profile built from nothing in the editor: New Profile (5 Hz and 5000 Hz at 1 G A),
// a third row typed in, Update, and the state shows the grid and the table.
TEST(ScriptedRun, EditorBuildsAProfileFromNothing) {
    const std::string state = StateAfter(Scripted("0 menu mnuFileNew\n"
                                                  "0 editor cell 2 1 100\n"
                                                  "0 editor cell 2 3 2,5\n"
                                                  "0 editor cell 3 1 5000\n"
                                                  "0 editor cell 3 2 a\n"
                                                  "0 editor cell 3 3 2.5\n"
                                                  "0 editor update\n"),
                                         1.0);
    EXPECT_NE(state.find(R"x(["  2", "  100", "  A", "  2.5", "  6", "  0", " ( G-pk, IPS, MILS p-p )"])x"),
              std::string::npos)
        << state.substr(state.find("\"editor\""), 400);
    EXPECT_NE(state.find(R"({"frequency": 100, "mode": 3, "level": 2.5)"), std::string::npos);
    EXPECT_NE(StateAfter(Scripted("0 editor open\n0.1 editor close\n"), 1.0).find("\"editor\": null"),
              std::string::npos);
}

TEST(RunScript, AnEmptyFilePlaysNothingAndOneThatCannotBeReadIsRefusedByName) {
    const auto empty = Scratch("empty");
    std::ofstream(empty) << "# nothing yet\n\n";
    RunOptions options;
    options.workdir = Scratch("none").string();
    options.script = ReadRunScriptFile(empty.string());
    const std::string json = StateAfter(options, 1.0);
    for (const char* value : {"\"ServoOn\": 0", "\"SweepRunning\": 0"})
        EXPECT_NE(json.find(value), std::string::npos) << value;

    const auto folder = Scratch("folder");
    std::filesystem::create_directories(folder);
    const auto locked = Scratch("locked");
    std::ofstream(locked) << "0 key r\n";
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    std::vector<std::filesystem::path> unreadable = {folder, Scratch("missing")};
    if (!std::ifstream(locked)) unreadable.push_back(locked); // not as root, who reads it anyway
    for (const auto& path : unreadable) {
        try {
            ReadRunScriptFile(path.string());
            ADD_FAILURE() << path;
        } catch (const ScriptError& error) {
            EXPECT_NE(std::string(error.what()).find("cannot read the script " + path.string()), std::string::npos)
                << error.what();
        }
    }
    for (const auto& path : {empty, folder, locked}) std::filesystem::remove(path);
}

TEST(ScriptedRun, PressOnThePlotReadsFrequencyAndAmplitudeThere) {
    // Across, exp(x / (W x 0.1086)) Hz, the inverse of the plot's mapping; up, exp((H - y) / (H x 0.1315)) over K = 10,
    // in G: the bottom left corner is 1 Hz and 0.1 G whatever the size.
    for (const auto& [width, height, click, text] : std::vector<std::tuple<int, int, std::string, std::string>>{
             {640, 480, "0 480", "  Freq. = 1. Hz. , Acc = .1"},
             {320, 200, "0.0 200.0", "  Freq. = 1. Hz. , Acc = .1"},
             {640, 480, "320 0", "  Freq. = 99.9 Hz. , Acc = 200.73"},
             {320, 200, "160 100", "  Freq. = 99.9 Hz. , Acc = 4.48"},
         }) {
        RunOptions options = Scripted("0.5 click " + click + "\n");
        options.plotSize = {width, height};
        const std::string json = StateAfter(options, 1.0);
        EXPECT_NE(json.find("\"lblCursor\": {\"text\": \"" + text + "\", \"visible\": true}"), std::string::npos)
            << width << 'x' << height << " at " << click << ": "
            << json.substr(std::min(json.find("\"lblCursor\""), json.size()), 80);
    }
}

TEST(ScriptedRun, LinearSweepTakesItsSpanOverItsRate) {
    const RunSummary s = RunHeadless(Scripted("0 menu mnuSweepTypeLinear\n0 menu mnuSweepLL 20\n"
                                              "0 menu mnuSweepUL 200\n0 menu mnuSweepRateRate 10\n0 menu mnuRunLL\n"
                                              "0 button cmdServoOn\n0 button cmdRun\n"));
    EXPECT_EQ(s.end, "end-of-test");
    EXPECT_EQ(s.abortCode, 0.0f) << s.abortMessage;
    // 180 Hz each way at 10 Hz a second: 36 s, and about a second while the rate
    // estimate settles.
    EXPECT_GT(s.simulatedSeconds, 36.0);
    EXPECT_LT(s.simulatedSeconds, 39.0);
}

TEST(ScriptedRun, TwoDwellPointsHoldForTheirDurationsBothWays) {
    const RunSummary s = RunHeadless(Scripted(
        "0 menu mnuSweepDwellActive 2\n0 menu mnuSweepDwellFreq[0] 100\n0 menu mnuSweepDwellTime[0] 10\n"
        "0 menu mnuSweepDwellFreq[1] 1000\n0 menu mnuSweepDwellTime[1] 5\n0 button cmdServoOn\n0 button cmdRun\n"));
    EXPECT_EQ(s.end, "end-of-test");
    EXPECT_EQ(s.abortCode, 0.0f) << s.abortMessage;
    // The sweep of the default profile, 398.6 s, and each dwell met up and down.
    const double expected = 398.6 + 2.0 * (10.0 + 5.0);
    EXPECT_NEAR(s.simulatedSeconds, expected, expected * 0.03);
}

TEST(ScriptedRun, RemoteControlFileCommandsActOnce) {
    RunOptions options = Scripted("0 menu mnuInputsDllControl\n1 remote 1\n2 remote 3\n30 remote 4\n"
                                  "35 key r\n40 remote 2\n");
    const auto file = Scratch("control.dat");
    options.controlFile = file.string();
    std::ostringstream trace;
    const RunSummary s = RunHeadless(options, &trace);
    std::filesystem::remove(file);
    EXPECT_EQ(s.end, "end-of-test");
    EXPECT_NEAR(s.simulatedSeconds, 40.0, 0.3);
    EXPECT_EQ(s.abortCode, 0.0f) << s.abortMessage;
    // Held from 30 s to 35 s: the frequency stands still there.
    std::istringstream lines(trace.str());
    std::string line;
    std::getline(lines, line);
    double at31 = 0.0, at34 = 0.0, at38 = 0.0;
    while (std::getline(lines, line)) {
        const double t = std::stod(line);
        const double f = std::stod(line.substr(line.find(',') + 1));
        if (std::fabs(t - 31.0) < 0.05) at31 = f;
        if (std::fabs(t - 34.0) < 0.05) at34 = f;
        if (std::fabs(t - 38.0) < 0.05) at38 = f;
    }
    EXPECT_GT(at31, 5.0);
    EXPECT_EQ(at31, at34);
    EXPECT_GT(at38, at34);
}

TEST(ScriptedRun, BenchPushButtonsRunAndStopTheTest) {
    // The push-buttons are read while Inputs / Remote Controls is ticked.
    const RunSummary s =
        RunHeadless(Scripted("0 menu mnuInputsRemote\n1 press servo-on\n2 press run\n20 press stop\n"));
    EXPECT_EQ(s.end, "end-of-test");
    EXPECT_NEAR(s.simulatedSeconds, 20.0, 0.5);
}

TEST(ScriptedRun, BenchStopHeldDownKeepsTheTestStopped) {
    RunOptions options = Scripted("0 menu mnuInputsRemote\n1 press stop 3\n2 button cmdServoOn\n2 button cmdRun\n");
    const std::string json = StateAfter(options, 2.5);
    for (const char* value : {"\"ServoOn\": 0", "\"SweepRunning\": 0", "\"TestStarted\": 0"})
        EXPECT_NE(json.find(value), std::string::npos) << value;
}

TEST(ScriptedRun, SensorWithoutItsCurrentSourceCannotCloseTheLoop) {
    const auto bench = Scratch("current.bench");
    std::ofstream(bench) << "channel 1 table 10 current\n";
    RunOptions options = Scripted("0 button cmdServoOn\n0 button cmdRun\n");
    options.bench = bench.string();
    const RunSummary s = RunHeadless(options);
    std::filesystem::remove(bench);
    EXPECT_EQ(s.end, "abort");
    EXPECT_LT(s.simulatedSeconds, 60.0);
}

TEST(ScriptedRun, FileExitAnsweredYesEndsTheRunAsAnExit) {
    const RunSummary s =
        RunHeadless(Scripted("0 button cmdServoOn\n0 button cmdRun\n10 answer Yes\n10 menu mnuExit\n"));
    EXPECT_EQ(s.end, "exit");
    EXPECT_NEAR(s.simulatedSeconds, 10.0, 0.2);
    EXPECT_EQ(s.messages.back().text, "Exit QMS Program?");
}

TEST(ScriptedRun, ActionsThatCannotBePlayedAreReported) {
    EXPECT_THROW(RunHeadless(Scripted("1 remote 1\n")), ScriptError) << "no control file";
    EXPECT_THROW(RunHeadless(Scripted("0 menu mnuNothing\n")), ScriptError);
    EXPECT_THROW(RunHeadless(Scripted("0 answer Maybe\n")), ScriptError);
    EXPECT_THROW(RunHeadless(Scripted("0 audio calibrate\n")), ScriptError) << "no audio interface";
    // A script built in code is not checked by the reader; the run still refuses it.
    RunOptions options = Scripted("");
    options.script = {{0.0, "bench", {"call", "daqNothing", "7"}, 1}};
    EXPECT_THROW(RunHeadless(options), ScriptError);
}

} // namespace

namespace {

// The drive column of every trace line.
std::vector<double> Drives(const std::string& trace) {
    std::vector<double> drives;
    std::istringstream lines(trace);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::size_t at = 0;
        for (int field = 0; field < 4; ++field) at = line.find(',', at) + 1;
        drives.push_back(std::stod(line.substr(at)));
    }
    return drives;
}

TEST(ScriptedRun, MilStepsEveryPeriodBetweenTheLimits) {
    // 30 to 34 Hz (the 10 G segment of the default profile) in 1 Hz steps every 0.05
    // minute: 4 steps each way, and the stepped sweep counts only its arrivals at the
    // limits, so one sweep runs up, down and up: 12 steps of 3 s.
    const RunSummary s = RunHeadless(Scripted("0 menu mnuSweepTypeMIL167\n0 menu mnuSweepLL 30\n0 menu mnuSweepUL 34\n"
                                              "0 menu mnuSweepRateRate 1\n0 menu mnuSweepRateTime 0.05\n"
                                              "0 menu mnuRunLL\n0 button cmdServoOn\n0 button cmdRun\n"));
    EXPECT_EQ(s.end, "end-of-test");
    EXPECT_EQ(s.abortCode, 0.0f) << s.abortMessage;
    EXPECT_NEAR(s.simulatedSeconds, 12 * 3.0, 1.0);
}

TEST(ScriptedRun, ResonanceUnderTheControlSensorOverTestsAFastSweep) {
    const auto bench = Scratch("resonance.bench");
    std::ofstream(bench) << "channel 1 specimen 300 50 10\n";
    RunOptions options = Scripted("0 menu mnuSweepRateRate 30\n0 menu mnuSweepUL 400\n0 button cmdServoOn\n"
                                  "0 button cmdRun\n");
    options.bench = bench.string();
    std::ostringstream trace;
    const RunSummary s = RunHeadless(options, &trace);
    std::filesystem::remove(bench);
    EXPECT_EQ(s.end, "abort");
    EXPECT_EQ(s.abortMessage, " OVER-TEST ");
    ASSERT_FALSE(s.messages.empty());
    EXPECT_EQ(s.messages.back().text, " OVER-TEST ");
    const std::vector<double> drives = Drives(trace.str());
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.back(), 0.0001) << "the drive is down to word 0 on the cycle of the abort";
}

TEST(ScriptedRun, DeadControlSensorAbortsWithoutOverdriving) {
    const auto bench = Scratch("dead.bench");
    std::ofstream(bench) << "fault sensor 1 dead 60\n";
    RunOptions options = Scripted("0 button cmdServoOn\n0 button cmdRun\n");
    options.bench = bench.string();
    std::ostringstream trace;
    const RunSummary s = RunHeadless(options, &trace);
    std::filesystem::remove(bench);
    EXPECT_EQ(s.end, "abort");
    EXPECT_LT(s.simulatedSeconds, 70.0);
    for (const double drive : Drives(trace.str())) ASSERT_LE(drive, 1.0);
}

} // namespace
