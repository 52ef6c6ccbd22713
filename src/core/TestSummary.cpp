#include "core/TestSummary.h"

#include "core/AfterCycle.h"
#include "core/Controller.h"
#include "core/LogEvents.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

double Now(const Controller& c) { return c.ports.clock->MonotonicSeconds(); }

// A figure with `decimals` places, '.' as the decimal point whatever the desktop's language.
std::string Fixed(double value, int decimals) {
    char text[48];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, end.ptr);
}

std::string Signed(double db) { return (db > 0.0 ? "+" : "") + Fixed(db, 2); }

std::string ClockTime(double seconds) {
    const long whole = std::lround(std::floor(seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

std::string AbortText(const TestSummary& s) {
    if (s.abortCode == 0.0f) return "none";
    return s.abortReason + " (code " + std::to_string(static_cast<int>(s.abortCode)) + ")";
}

} // namespace

void StartTestTally(Controller& c) {
    if (!IsOn(c.TestStarted)) {
        c.Tally = TestTally{};
        c.Tally.startSeconds = Now(c);
    }
    c.Tally.servoOnSeconds = Now(c);
    c.Tally.lastCycleSeconds = -1.0;
}

void TallyTestSummary(Controller& c) {
    TestTally& t = c.Tally;
    const double now = Now(c);
    if (t.lastCycleSeconds >= 0.0 && c.LimitingChannel != 0) t.limitingSeconds += now - t.lastCycleSeconds;
    t.lastCycleSeconds = now;
    // While a channel limits, the control value is held below the reference on purpose.
    if (c.LimitingChannel != 0 || now - t.servoOnSeconds < SummarySettlingSeconds) return;
    if (!(c.ReferenceLevel > 0.0f) || !(c.ControlValue > 0.0f)) return;
    const double db = 20.0 * std::log10(static_cast<double>(c.ControlValue) / static_cast<double>(c.ReferenceLevel));
    if (!std::isfinite(db)) return;
    if (!t.largestErrorDb || std::fabs(db) > std::fabs(*t.largestErrorDb)) {
        t.largestErrorDb = db;
        t.largestErrorHz = c.CurrentFrequency;
    }
}

void EndTestSummary(Controller& c) {
    TestSummary s;
    s.durationSeconds = Now(c) - c.Tally.startSeconds;
    s.sweepsDone = c.LoggedPasses - (c.LoggedPassOpen ? 1 : 0);
    s.largestErrorDb = c.Tally.largestErrorDb;
    s.largestErrorHz = c.Tally.largestErrorHz;
    s.limitingSeconds = c.Tally.limitingSeconds;
    if (c.AbortCode != 0.0f) {
        s.abortCode = c.AbortCode;
        const std::size_t first = c.AbortMessage.find_first_not_of(' ');
        const std::size_t last = c.AbortMessage.find_last_not_of(' ');
        if (first != std::string::npos) s.abortReason = c.AbortMessage.substr(first, last - first + 1);
    }
    LogEvent(c, TestSummaryLine(s));
    c.LastTestSummary = s;
    if (!c.ShowTestSummary) return;
    DoAfterCycle(c, [text = TestSummaryText(s)](Controller& c) {
        if (!c.Closing) c.ports.dialogs->ShowText(TestSummaryTitle, text, TextFormat::Plain);
    });
}

std::string TestSummaryText(const TestSummary& s) {
    std::string text = "Duration: " + ClockTime(s.durationSeconds) + " (" + Fixed(s.durationSeconds, 1) + " s)\n";
    text += "Sweeps done: " + std::to_string(s.sweepsDone) + "\n";
    text += "Largest error: ";
    text += s.largestErrorDb ? Signed(*s.largestErrorDb) + " dB at " + FrequencyText(s.largestErrorHz)
                             : std::string("not measured (the servo was on for less than 5 s)");
    text += "\nTime limiting: " + Fixed(s.limitingSeconds, 1) + " s\n";
    text += "Abort: " + AbortText(s) + "\n";
    return text;
}

std::string TestSummaryLine(const TestSummary& s) {
    std::string line = "Summary: " + Fixed(s.durationSeconds, 1) + " s, " + std::to_string(s.sweepsDone) +
                       (s.sweepsDone == 1 ? " sweep" : " sweeps") + ", largest error ";
    line += s.largestErrorDb ? Signed(*s.largestErrorDb) + " dB at " + FrequencyText(s.largestErrorHz)
                             : std::string("not measured");
    line += ", limiting " + Fixed(s.limitingSeconds, 1) + " s, abort " + AbortText(s);
    return line;
}
