#include "runner/HeadlessRun.h"
#include "runner/RunScript.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A specimen mode at 250 Hz, Q 20, under channel 2; control on the table (channel 1) at
// 10 G from 20 to 1000 Hz. Without a limit channel 2 reaches 20 x 10 = 200 G there.
struct Sweep {
    const char* rate;                  // octaves a minute
    std::optional<const char*> margin; // of a 30 G limit on channel 2; none: no limits
    std::ostream* trace = nullptr;
    std::string exportPath = {};
};

RunSummary SweepThroughTheMode(const Sweep& sweep) {
    const auto bench =
        std::filesystem::temp_directory_path() / ("zek8-runner-limits-" + std::to_string(::getpid()) + ".bench");
    std::ofstream(bench) << "channel 2 specimen 250 20 10\nchannel 3 table 10\n";
    std::ostringstream script;
    script << "0 menu mnuSweepLL 20\n0 menu mnuSweepUL 1000\n0 menu mnuSweepRateRate " << sweep.rate << "\n"
           << "0 editor open\n0 editor cell 1 1 20\n0 editor cell 1 2 A\n0 editor cell 1 3 10\n"
           << "0 editor cell 2 1 1000\n0 editor cell 2 2 A\n0 editor cell 2 3 10\n"
           << "0 editor cell 3 1 0\n0 editor cell 4 1 0\n0 editor cell 5 1 0\n0 editor update\n0 editor close\n";
    if (sweep.margin) {
        script << "0 limits open\n";
        for (const auto& [row, frequency] : {std::pair{1, "20"}, {2, "1000"}})
            script << "0 limits cell " << row << " 1 2\n0 limits cell " << row << " 2 " << frequency
                   << "\n0 limits cell " << row << " 3 A\n0 limits cell " << row << " 4 30\n0 limits cell " << row
                   << " 5 " << *sweep.margin << "\n";
        script << "0 limits update\n0 limits close\n";
    }
    script << "0 button cmdServoOn\n0 button cmdRun\n";
    std::istringstream in(script.str());
    RunOptions options;
    options.workdir = (std::filesystem::temp_directory_path() / "zek8-runner-none").string();
    options.bench = bench.string();
    options.script = ReadRunScript(in);
    options.exportPath = sweep.exportPath;
    const RunSummary s = RunHeadless(options, sweep.trace);
    std::filesystem::remove(bench);
    return s;
}

TEST(LimitChannels, HoldTheSpecimenOnItsLimitThroughTheModeAndTheTableOnItsReferenceElsewhere) {
    const RunSummary free = SweepThroughTheMode({"2", std::nullopt});
    const RunSummary limited = SweepThroughTheMode({"2", "3"});
    EXPECT_EQ(limited.end, "end-of-test") << limited.abortMessage;
    EXPECT_EQ(limited.abortCode, 0.0f);
    ASSERT_FALSE(free.limits);
    ASSERT_TRUE(limited.limits);
    EXPECT_GT(limited.limits->limitingDb.cycles, 50u) << "the notch must be met";
    EXPECT_LE(limited.limits->peakDb, 1.0);
    EXPECT_LE(limited.limits->limitingDb.p95, 0.5);
    EXPECT_LE(limited.limits->limitingDb.median, 0.25);
    ASSERT_TRUE(free.trueErrorDb && limited.trueErrorDb);
    EXPECT_LE(limited.trueErrorDb->median, free.trueErrorDb->median + 0.05);
    EXPECT_LE(limited.trueErrorDb->p95, free.trueErrorDb->p95 + 0.05);
    // Coming out of the notch the table rises to its reference, not past it.
    EXPECT_LE(limited.trueErrorDb->max, free.trueErrorDb->max + 0.1);
    // More than the 50 cycles of 0.1 s that met the notch; none without a table.
    ASSERT_TRUE(free.testSummary && limited.testSummary);
    EXPECT_GT(limited.testSummary->limitingSeconds, 5.0);
    EXPECT_EQ(free.testSummary->limitingSeconds, 0.0);
}

TEST(LimitChannels, AbortNamingTheChannelWhenTheServoCannotHoldItInsideItsMargin) {
    const RunSummary s = SweepThroughTheMode({"16", "0.5"});
    EXPECT_EQ(s.end, "abort");
    EXPECT_EQ(s.abortCode, 8.0f);
    EXPECT_EQ(s.abortMessage, " LIMIT ABORT CH#2 ");
    ASSERT_TRUE(s.testSummary);
    EXPECT_EQ(s.testSummary->abortReason, "LIMIT ABORT CH#2");
}

TEST(LimitChannels, ScriptActionsAreCheckedBeforeTheRun) {
    const std::pair<const char*, const char*> cases[] = {
        {"0 limits cell 161 1 2\n", "a cell of the limit table is in rows 1 to 160, columns 1 to 5"},
        {"0 limits cell 1 6 2\n", "a cell of the limit table is in rows 1 to 160, columns 1 to 5"},
        {"0 limits breakpoints\n", "no limits action 'breakpoints'"},
        {"0 limits update now\n", "'limits update' takes nothing more"},
        {"0 limits cell 1 1\n", "'limits cell' takes a row, a column and a text"},
    };
    for (const auto& [line, message] : cases) {
        std::istringstream in(line);
        try {
            ReadRunScript(in);
            ADD_FAILURE() << line;
        } catch (const ScriptError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

// A trace's lines after its header, as numbers; the header is checked for the columns used.
std::vector<std::vector<double>> TraceRows(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_NE(line.find(",TrueControlValue,LimitingChannel,Overload,TrueResponse1,TrueResponse2,"), std::string::npos);
    std::vector<std::vector<double>> rows;
    while (std::getline(lines, line)) {
        std::vector<double>& row = rows.emplace_back();
        for (std::istringstream fields(line); std::getline(fields, line, ',');) row.push_back(std::stod(line));
    }
    return rows;
}
constexpr std::size_t Frequency = 1, Shown2 = 11, Limiting = 27, Overload = 28, True2 = 30;

// The case the flag was made for. Without a limit, channel 2's range (chosen for the
// profile: x8, 32767 / (13.108 x 8) = 312.5 mV, 31.25 G at 10 mV/G) clips through the
// mode: flagged, reading low, and the test ends, as it is neither control nor limit. With
// the limit its range holds 30 G + 3 dB: never flagged; its limiting is marked in the
// trace and after the data file's 1238 records.
TEST(LimitChannels, AChannelPastItsRangeIsFlaggedAndTheCyclesItLimitsAreMarked) {
    const auto exportPath = std::filesystem::temp_directory_path() / "zek8-runner-limits.dat";
    std::ostringstream freeTrace, limitedTrace;
    EXPECT_EQ(SweepThroughTheMode({"2", std::nullopt, &freeTrace}).end, "end-of-test");
    EXPECT_EQ(SweepThroughTheMode({"2", "3", &limitedTrace, exportPath.string()}).end, "end-of-test");
    std::size_t overloaded = 0, limiting = 0;
    double shownPeak = 0.0, truePeak = 0.0;
    for (const std::vector<double>& row : TraceRows(freeTrace.str())) {
        const double truth = row[True2];
        EXPECT_EQ(row[Overload], truth > 33.0 ? 2.0 : row[Overload]) << truth << " G at " << row[Frequency] << " Hz";
        EXPECT_EQ(row[Overload], truth < 28.0 ? 0.0 : row[Overload]) << truth << " G at " << row[Frequency] << " Hz";
        overloaded += row[Overload] == 2.0 ? 1 : 0;
        shownPeak = std::max(shownPeak, row[Shown2]);
        truePeak = std::max(truePeak, truth);
    }
    EXPECT_GT(overloaded, 20u);
    EXPECT_LT(shownPeak, 31.3);
    EXPECT_GT(truePeak, 100.0);
    for (const std::vector<double>& row : TraceRows(limitedTrace.str())) {
        EXPECT_EQ(row[Overload], 0.0) << row[Frequency] << " Hz";
        limiting += row[Limiting] == 2.0 ? 1 : 0;
    }
    EXPECT_GT(limiting, 50u);
    std::ifstream in(exportPath, std::ios::binary);
    std::vector<std::string> records;
    for (std::string line; std::getline(in, line);) records.push_back(line);
    std::filesystem::remove(exportPath);
    ASSERT_GT(records.size(), 1238u);
    for (std::size_t i = 1238; i < records.size(); ++i) EXPECT_EQ(records[i].rfind("\"LIMITING\",2,", 0), 0u);
}

} // namespace
