#include "core/TestSummary.h"

#include "core/LogEvents.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

namespace {

struct Cycle {
    double at;     // seconds since Servo On
    float control; // against a reference of 1
    float hertz;
    int limiting;
};

// Errors worked out by hand: 20 log10 1.1 = +0.83 dB, 20 log10 0.9 = -0.92 dB (the larger);
// the 0.5 of the first 5 s and of the limited cycles does not count. Four limited cycles
// of 0.1 s each: 0.4 s.
TEST(TestSummary, TalliesTheLargestErrorAfterSettlingAndTheTimeLimiting) {
    TestController t;
    Controller& c = t.c;
    c.ReferenceLevel = 1.0f;
    c.ShowTestSummary = true;
    StartTestTally(c);
    c.TestStarted = 1.0f;
    const Cycle cycles[] = {{0.0, 0.5f, 5.0f, 0},  {4.9, 0.5f, 9.0f, 0},  {5.0, 1.1f, 20.0f, 0},
                            {5.1, 0.9f, 30.0f, 0}, {5.2, 0.5f, 40.0f, 2}, {5.3, 0.5f, 40.0f, 2},
                            {5.4, 0.5f, 40.0f, 2}, {5.5, 0.5f, 40.0f, 2}, {5.6, 1.0f, 40.0f, 0}};
    for (const Cycle& cycle : cycles) {
        t.clock.AdvanceToMs(static_cast<std::int64_t>(cycle.at * 1000.0 + 0.5));
        c.ControlValue = cycle.control;
        c.CurrentFrequency = cycle.hertz;
        c.LimitingChannel = cycle.limiting;
        TallyTestSummary(c);
    }
    // A Servo On that resumes the test settles again but keeps what the test gathered.
    t.clock.AdvanceToMs(10'000);
    StartTestTally(c);
    t.clock.AdvanceToMs(12'000);
    c.ControlValue = 0.1f;
    TallyTestSummary(c);

    c.LoggedPasses = 3;
    c.LoggedPassOpen = true;
    EndTestSummary(c);
    ASSERT_TRUE(c.LastTestSummary);
    EXPECT_EQ(TestSummaryText(*c.LastTestSummary), "Duration: 00:00:12 (12.0 s)\n"
                                                   "Sweeps done: 2\n"
                                                   "Largest error: -0.92 dB at 30.00 Hz\n"
                                                   "Time limiting: 0.4 s\n"
                                                   "Abort: none\n");
    EXPECT_EQ(c.Log.Events().back().text,
              "Summary: 12.0 s, 2 sweeps, largest error -0.92 dB at 30.00 Hz, limiting 0.4 s, abort none");
    ASSERT_FALSE(t.dialogs.History().empty());
    EXPECT_EQ(t.dialogs.History().back().title, TestSummaryTitle);
}

TEST(TestSummary, AnAbortedTestNamesItsReasonAndATestTooShortToSettleHasNoError) {
    TestSummary s;
    s.durationSeconds = 3725.25;
    s.sweepsDone = 1;
    s.abortCode = 8.0f;
    s.abortReason = "LIMIT ABORT CH#2";
    EXPECT_EQ(TestSummaryText(s), "Duration: 01:02:05 (3725.2 s)\n"
                                  "Sweeps done: 1\n"
                                  "Largest error: not measured (the servo was on for less than 5 s)\n"
                                  "Time limiting: 0.0 s\n"
                                  "Abort: LIMIT ABORT CH#2 (code 8)\n");
    EXPECT_EQ(TestSummaryLine(s), "Summary: 3725.2 s, 1 sweep, largest error not measured, limiting 0.0 s, "
                                  "abort LIMIT ABORT CH#2 (code 8)");
}

// A channel that hovers about its limit makes one episode: it ends after a quiet second,
// or at once when the servo goes off.
TEST(TestSummary, ChannelEpisodesEndAfterAQuietSecond) {
    TestController t;
    Controller& c = t.c;
    const int flags[] = {2, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
    for (const int limiting : flags) {
        c.LimitingChannel = limiting;
        c.OverloadMask = limiting == 0 ? 0 : 1;
        LogChannelEpisodes(c);
        t.clock.AdvanceMs(100);
    }
    CloseChannelEpisodes(c);
    std::vector<std::string> texts;
    for (const LoggedEvent& e : c.Log.Events()) texts.push_back(e.time.substr(17) + " " + e.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"00.000 Channel 2 limiting", "00.000 Channel 1 overloaded",
                                               "01.300 Channel 2 limit released", "01.300 Channel 1 overload clear",
                                               "01.400 Channel 2 limiting", "01.400 Channel 1 overloaded",
                                               "01.500 Channel 2 limit released", "01.500 Channel 1 overload clear"}));
}

} // namespace
