#pragma once

#include "core/TestTally.h"

#include <string>

struct Controller;

// The summary of a test, told when it ends (in a window beside the main one, in the log
// and in the headless runner's summary): how long it ran, the sweeps it completed, the
// largest error of the control value against the reference and where, the time a limit
// channel held the drive, and its abort.

// The servo settles for this long after each Servo On before its error counts, as the
// drive rises from nothing.
inline constexpr double SummarySettlingSeconds = 5.0;
inline constexpr const char* TestSummaryTitle = "Test Summary";

// At every Servo On; the one that starts a test starts its tally afresh.
void StartTestTally(Controller& c);
// Once a cycle while the servo is on.
void TallyTestSummary(Controller& c);
// At the end of a started test, before its last pass is closed: the summary is kept in
// `LastTestSummary`, logged, and shown once the cycle is done where `ShowTestSummary`.
void EndTestSummary(Controller& c);

std::string TestSummaryText(const TestSummary& summary);
// The same on one line, for the log.
std::string TestSummaryLine(const TestSummary& summary);
