#include "engine/StatusPanel.h"

#include "core/Banner.h"
#include "core/ChannelMarks.h"
#include "core/CheckedConvert.h"
#include "core/Clock.h"
#include "core/Controller.h"
#include "core/FormatMask.h"
#include "core/LabNetwork.h"
#include "core/NumberText.h"
#include "core/ParameterNames.h"
#include "core/StreamHealth.h"
#include "engine/UnitReadouts.h"
#include "plot/AxisLabels.h"
#include "plot/SweepHistory.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {
constexpr Rgb ActiveSegment = 0xFF0000;
constexpr Rgb IdleSegment = 0x000000;
constexpr double SecondsPerDay = 86400.0;
constexpr double CursorReadoutSeconds = 3.0;
constexpr std::size_t ProfileNameShown = 16;

std::string RateLine(const Controller& c, char point) {
    if (c.P[Param::SweepType] == 1.0f)
        return " RATE = " + FormatMask(c.P[Param::SweepRate], "##.##", point) + " OCT/M.";
    if (c.P[Param::SweepType] == 2.0f) return " RATE = " + FormatMask(c.P[Param::SweepRate], "###.#", point) + " HZ/S.";
    return " RATE = " + FormatMask(c.P[Param::SweepRate], "###.#", point) + " HZ/ " +
           FormatMask(c.P[Param::StepDwellMinutes], "##.##", point) + " M";
}

std::string SweepTypeWord(float type) {
    if (type == 1.0f) return " LOGARITHMIC";
    if (type == 2.0f) return " LINEAR      ";
    return " MIL-167     ";
}

std::string ServoRateWord(float rate) {
    if (rate == 1.0f) return " RATE = SLOW  ";
    if (rate == 2.0f) return " RATE = MEDIUM";
    if (rate == 3.0f) return " RATE = FAST  ";
    return "";
}

void WriteWallClock(Controller& c) {
    const Clock& clock = *c.ports.clock;
    // Whole seconds only: the clock must not show the next second before it begins.
    const double second = std::floor(clock.SecondsSinceMidnight());
    c.Indicators.SetText("lblTime", FormatTimeOfDay(second / SecondsPerDay, "hh:mm:ss"));
    const CalendarDate today = DateFromSerial(clock.Today());
    c.Indicators.SetText("lblDate", FormatDate(today.year, today.month, today.day, "yyyy-mm-dd"));
}

// On the audio interface a line of its own tells the periods the server missed, or that
// the server has gone, and how often the stream came back. Other backends have no such
// line; it hides when the interface is left.
void WriteStreamLine(Controller& c) {
    Panel& panel = c.Indicators;
    const StreamHealth* stream = c.ports.usbStream;
    if (stream == nullptr || c.P[Param::AcquisitionInterface] != 2.0f || IsOn(c.DemoMode)) {
        if (!panel.Item("lblAudio").text.empty()) panel.SetVisible("lblAudio", false);
        return;
    }
    const bool lost = stream->StreamLost();
    std::string text = lost ? " AUDIO SERVER GONE" : " XRUNS: " + std::to_string(stream->Xruns());
    if (!lost && stream->Reconnects() > 0) text += "  RECONNECTED: " + std::to_string(stream->Reconnects());
    panel.SetText("lblAudio", text);
    panel.SetForeColor("lblAudio", lost ? 0xFF0000 : 0x000000);
    panel.SetVisible("lblAudio", true);
}

// A station on a lab network tells on a line of its own whether its link is up, or why
// not; one on none has no such line.
void WriteNetworkLine(Controller& c) {
    const LabNetwork* network = c.ports.network;
    if (network == nullptr) return;
    const std::string state = network->LinkState();
    c.Indicators.SetText("lblNetwork", " NET: " + state);
    c.Indicators.SetForeColor("lblNetwork", state == "connected" ? 0x000000 : 0xFF0000);
    c.Indicators.SetVisible("lblNetwork", true);
}

std::string ControlModeWord(const Controller& c) {
    if (IsOn(c.RemoteDriveOverride) || IsOn(c.RemoteFrequencyOverride)) return " Remote Control";
    if (IsOn(c.DemoMode)) return " DEMO MODE  ";
    return IsOn(c.P[Param::ControlStrategy]) ? "    MANUAL " : "   AUTOMATIC";
}

void ShowSegment(Controller& c) {
    const char* letters[] = {"lblDMode", "lblVMode", "lblAMode"};
    const float mode = c.ActiveMode;
    if (mode != ProfileMode::Displacement && mode != ProfileMode::Velocity && mode != ProfileMode::Acceleration) return;
    for (int i = 0; i < 3; ++i) {
        c.Indicators.SetBackColor(letters[i], mode == static_cast<float>(i + 1) ? ActiveSegment : IdleSegment);
    }
}
} // namespace

ElapsedTime ElapsedTimeOf(double runSeconds) {
    if (!(runSeconds > 0.0)) runSeconds = 0.0;
    // Minutes first, then the seconds left rounded: 59.6 s reads as one minute.
    const long long minutes = TruncateToInt<long long>(runSeconds / 60.0, 0);
    const long long seconds = RoundToInt<long long>(runSeconds - 60.0 * static_cast<double>(minutes), 0);
    const long long total = minutes * 60 + seconds;
    // The day count follows the rounded time, so the hours and the prefix turn over
    // together.
    const long long days = total / 86400;

    ElapsedTime elapsed;
    if (days > 0) elapsed.dayPrefix = std::to_string(days) + ":";
    elapsed.dayFraction = static_cast<double>(total % 86400) / SecondsPerDay;
    return elapsed;
}

std::string ElapsedTime::Text() const { return " E.T. = " + dayPrefix + FormatTimeOfDay(dayFraction, "hh:mm:ss"); }

// The run time grows only while the sweep runs: held, the test clock stands on the
// time that HoldSweep has already added to ElapsedSeconds.
void UpdateRunTime(Controller& c) {
    // The segment start is a monotonic reading, so the interval spans midnight by
    // itself and needs no whole days added.
    c.DayRolloverSeconds = 0.0f;
    double run = c.ElapsedSeconds + static_cast<double>(c.DayRolloverSeconds);
    if (IsOn(c.SweepRunning)) run += c.ports.clock->MonotonicSeconds() - c.SegmentStartTime;
    c.RunSeconds = run;

    const ElapsedTime elapsed = ElapsedTimeOf(run);
    c.ElapsedTimePrefix = elapsed.dayPrefix;
    c.ElapsedTimeValue = static_cast<float>(elapsed.dayFraction);
}

void RefreshStatusPanel(Controller& c) {
    Panel& panel = c.Indicators;
    const char point = c.DecimalSeparator.empty() ? '.' : c.DecimalSeparator.front();

    panel.SetText("lblLL", " L.LIMIT = " + FormatMask(c.P[Param::LowerLimit], "####.#", point) + " Hz.");
    panel.SetText("lblUL", " U.LIMIT = " + FormatMask(c.P[Param::UpperLimit], "####.#", point) + " Hz.");
    panel.SetText("lblRate", RateLine(c, point));
    panel.SetText("lblSweepType", SweepTypeWord(c.P[Param::SweepType]));
    panel.SetText("lblSweepNumber", " SWEEP# " + GeneralNumber(std::trunc(c.SweepCounter), point) + " OF " +
                                        GeneralNumber(c.P[Param::SweepCount], point));

    // Held, the text keeps the time the sweep last ran to.
    if (IsOn(c.SweepRunning)) panel.SetText("lblElapsedTime", ElapsedTimeOf(c.RunSeconds).Text());

    WriteWallClock(c);
    const std::string& profile = c.ProfileFileName;
    panel.SetText("Label17",
                  profile.size() > ProfileNameShown ? profile.substr(profile.size() - ProfileNameShown) : profile);

    panel.SetText("lblServoRate", ServoRateWord(c.P[Param::ServoRate]));
    if (c.SweepDirection == 1.0f) panel.SetText("lblServoSpeed", " DIRECTION = DN");
    if (c.SweepDirection == 2.0f) panel.SetText("lblServoSpeed", " DIRECTION = UP");
    panel.SetText("lblComp", " COMP. = " + FormatMask(c.Compression, "##.0", point) + " Db.");

    PlaceFrequencyAxisLabels(c);
    WriteUnitReadouts(c);
    WriteAmplitudeAxisLabels(c);

    panel.SetText("lblFreqBottom", " FREQ. = " + FormatMask(c.CurrentFrequency, "####.0", point) + " HZ.");
    panel.SetText("lblControlMode", ControlModeWord(c));
    // A full history stores no more points: the operator is told while the test goes on.
    panel.SetText("lblControl", c.AbortCode > 0.0f ? " ABORTED" : (HistoryFull(c) ? " HISTORY FULL" : " CONTROL"));
    // Beneath the control line: the channel the servo holds on its limit.
    const bool limiting = c.LimitingChannel != 0;
    panel.SetText("lblLimiting", limiting ? " LIMITING CH#" + std::to_string(c.LimitingChannel) : "");
    panel.SetVisible("lblLimiting", limiting);
    // A channel whose block reached the converter's full scale reads low: the lowest is named.
    const int overloaded = LowestChannel(c.OverloadMask);
    panel.SetText("lblOverload", overloaded != 0 ? " OVERLOAD CH#" + std::to_string(overloaded) : "");
    panel.SetVisible("lblOverload", overloaded != 0);
    panel.SetText("LblFreq", FormatMask(c.CurrentFrequency, " ###0.0", point));
    panel.SetValue("Gauge1", static_cast<double>(std::llabs(TruncateToInt<long long>(c.Compression, 0))));

    ShowSegment(c);
    panel.SetText("lblChannel", "CH#" + GeneralNumber(c.DisplayChannel, point));
    panel.SetText("lblSweep", c.SweepDirection == 1.0f ? " SWEEP-DOWN" : "  SWEEP- UP ");

    if (c.ports.clock->MonotonicSeconds() - c.CursorShownTime > CursorReadoutSeconds) {
        panel.SetVisible("lblCursor", false);
    }
    if (const auto banner = BannerLine(c.BannerSelector)) panel.SetText("frmQMS", *banner);
    WriteStreamLine(c);
    WriteNetworkLine(c);
}

void DisplayAccelerationOnly(Controller& c) {
    c.P[Param::ResponseDisplay] = 1.0f;
    c.Menu.SetChecked("mnuViewDisplayAcc", true);
    c.Menu.SetChecked("mnuViewDisplayControl", false);
}

void DisplayControlledResponse(Controller& c) {
    c.P[Param::ResponseDisplay] = 2.0f;
    c.Menu.SetChecked("mnuViewDisplayAcc", false);
    c.Menu.SetChecked("mnuViewDisplayControl", true);
}
