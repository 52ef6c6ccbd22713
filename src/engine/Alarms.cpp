#include "engine/Alarms.h"

#include "core/AfterCycle.h"
#include "core/ChannelMarks.h"
#include "core/Controller.h"
#include "core/FormatMask.h"
#include "core/LogEvents.h"
#include "core/ParameterNames.h"
#include "core/RunCommands.h"
#include "core/Units.h"
#include "engine/DriveLaw.h"
#include "engine/LimitChannels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>

namespace {
namespace AbortReason {
constexpr float OpenLoop = 1.0f;
constexpr float DisplacementLimit = 2.0f;
constexpr float VelocityLimit = 3.0f;
constexpr float UnderTest = 4.0f;
constexpr float OverTest = 5.0f;
constexpr float LowGain = 6.0f;
constexpr float AccelerationLimit = 7.0f;
constexpr float LimitChannel = 8.0f; // a limit channel above its limit by its abort margin
constexpr float Overload = 9.0f;     // a control or limit channel overloaded too long
} // namespace AbortReason

// A channel the test relies on may read low from a clipped block now and then; one
// that stays clipped this long no longer tells the servo or the limit what it does.
constexpr std::int64_t OverloadAbortMs = 1000;

// No under-test abort while the response is still building up after a Servo On or a
// Sweep Run.
constexpr float UnderTestGraceSeconds = 30.0f;
constexpr float LowGainResponse = 0.25f;    // G
constexpr float DefaultLowGainTrip = 20.0f; // dB

// Average and Extremal close the loop over the ticked channels 1 to 4; with none of
// them ticked there is no feedback at all and the drive would only ever grow.
bool HasNoControlChannel(const Controller& c) {
    if (IsOn(c.P[Param::ControlStrategy])) return false;
    for (int entry = Param::ControlCh1; entry <= Param::ControlCh1 + 3; ++entry) {
        if (IsChecked(c.P[entry])) return false;
    }
    return true;
}

// An unknown compression means the drive itself is no longer known: treated like
// a drive at full output.
bool IsOpenLoop(const Controller& c) {
    return !std::isfinite(c.Compression) || c.Compression < c.P[Param::OpenLoopTrip] || HasNoControlChannel(c);
}

// The limits are entered in the units of UnitsSystem; the readouts are in G, inches per
// second and mils. Hybrid enters acceleration in G and the rest in mm and cm/s; a
// units entry the controller does not know reads as English, as on the panel.
float SystemLimitExceeded(const Controller& c) {
    const bool metric = c.P[Param::UnitsSystem] == 1.0f;
    const bool hybrid = c.P[Param::UnitsSystem] == 2.0f;

    const float acceleration =
        metric ? static_cast<float>(static_cast<double>(c.SmoothedControlValue) * Unit::MetresPerSecondSquaredPerG)
               : c.SmoothedControlValue;
    const bool millimetres = metric || hybrid;
    const float displacement =
        millimetres ? static_cast<float>(static_cast<double>(c.ControlDisplacement) * Unit::MillimetresPerMil)
                    : c.ControlDisplacement;
    const float velocity = millimetres
                               ? static_cast<float>(static_cast<double>(c.ControlVelocity) * Unit::CentimetresPerInch)
                               : c.ControlVelocity;

    // A limit of 1 or less switches the acceleration check off.
    if (acceleration > c.P[Param::MaxAcceleration] && c.P[Param::MaxAcceleration] > 1.0f)
        return AbortReason::AccelerationLimit;
    if (displacement > c.P[Param::MaxDisplacement]) return AbortReason::DisplacementLimit;
    if (velocity > c.P[Param::MaxVelocity]) return AbortReason::VelocityLimit;
    return 0.0f;
}

// The abort band (dB) of the profile segment holding the present frequency; past
// the segments searched, row 32.
float AbortBandAtFrequency(const Controller& c) {
    int row = 32;
    for (int i = 1; i <= 31; ++i) {
        if (c.Breakpoints[i].Frequency <= c.CurrentFrequency && c.CurrentFrequency < c.Breakpoints[i + 1].Frequency) {
            row = i;
            break;
        }
    }
    return c.Breakpoints[row].Abort;
}

float ToleranceChecks(Controller& c) {
    const double factor = std::exp(0.115 * static_cast<double>(AbortBandAtFrequency(c)));
    const double reference = static_cast<double>(c.ReferenceLevel);

    const double now = c.ports.clock->MonotonicSeconds();
    const float sinceSegmentStart = static_cast<float>(now - c.SegmentStartTime);
    const bool underBand = static_cast<float>(reference / factor) > c.SmoothedControlValue;
    // A channel on its limit holds the control channel below its reference on purpose, and
    // the smoothed value climbs back for a while after the channel lets go: no under-test
    // until it has been back in its band, or the grace has passed since the notch.
    if (c.LimitingChannel != 0)
        c.NotchReleasedAt = now;
    else if (!underBand)
        c.NotchReleasedAt = -1.0;
    const bool backFromNotch = c.NotchReleasedAt >= 0.0 && now - c.NotchReleasedAt <= UnderTestGraceSeconds;
    if (underBand && !backFromNotch && sinceSegmentStart > UnderTestGraceSeconds) return AbortReason::UnderTest;
    if (static_cast<float>(reference * factor) < c.SmoothedControlValue) return AbortReason::OverTest;

    if (c.P[Param::LowGainTrip] < 1.0f) c.P[Param::LowGainTrip] = DefaultLowGainTrip;
    if (c.Compression < c.P[Param::LowGainTrip] && c.SmoothedControlValue < LowGainResponse)
        return AbortReason::LowGain;
    return 0.0f;
}

// A channel the servo or a limit reads: a ticked control channel, or one with limit rows.
bool ProtectsTheTest(const Controller& c, int channel) {
    if (channel <= 4 && IsChecked(c.P[Param::ControlCh1 + (channel - 1)])) return true;
    return std::any_of(c.Limits.rows.begin(), c.Limits.rows.end(),
                       [channel](const LimitRow& row) { return row.channel == channel; });
}

// The lowest such channel overloaded without a break for more than the abort time, or 0.
int OverloadedTooLong(const Controller& c) {
    const std::int64_t now = c.ports.clock->TickMs();
    for (int channel = 1; channel <= 16; ++channel) {
        if ((c.OverloadMask & ChannelBit(channel)) != 0 && ProtectsTheTest(c, channel) &&
            now - c.OverloadSince[static_cast<std::size_t>(channel)] > OverloadAbortMs)
            return channel;
    }
    return 0;
}

// The first failing check ends the pass: one abort, one message and one code per cycle.
float FirstFailingCheck(Controller& c) {
    if (IsOpenLoop(c)) return AbortReason::OpenLoop;
    if (const float code = SystemLimitExceeded(c); code != 0.0f) return code;
    // The specimen is protected whatever drives the shaker, Manual control too.
    if (const int channel = LimitChannelOverAbort(c); channel != 0) {
        c.LimitAbortChannel = channel;
        return AbortReason::LimitChannel;
    }
    if (const int channel = OverloadedTooLong(c); channel != 0) {
        c.OverloadAbortChannel = channel;
        return AbortReason::Overload;
    }
    // Manual drives open loop on purpose: no band and no low-gain check.
    if (IsOn(c.P[Param::ControlStrategy])) return 0.0f;
    return ToleranceChecks(c);
}

// The reason and the time of day of the abort, left on the panel until the next Servo
// On: the box is read once, the panel is what the operator comes back to.
void ShowAbortOnPanel(Controller& c) {
    std::string reason = c.AbortMessage;
    reason.erase(0, reason.find_first_not_of(' '));
    reason.erase(reason.find_last_not_of(' ') + 1);
    const double second = std::floor(c.ports.clock->SecondsSinceMidnight());
    c.Indicators.SetText("lblAbort", " " + reason + "  " + FormatTimeOfDay(second / 86400.0, "hh:mm:ss"));
    c.Indicators.SetForeColor("lblAbort", 0xFF0000);
    c.Indicators.SetVisible("lblAbort", true);
}
} // namespace

std::string AbortMessageText(float code) {
    if (code == AbortReason::OpenLoop) return " OPEN LOOP";
    if (code == AbortReason::DisplacementLimit) return " Displacement> System D LIMIT  ";
    if (code == AbortReason::VelocityLimit) return " Velocity > System V LIMIT  ";
    if (code == AbortReason::UnderTest) return " UNDER-TEST ";
    if (code == AbortReason::OverTest) return " OVER-TEST ";
    if (code == AbortReason::LowGain) return " LOW GAIN  ";
    return " Acceleration > System A LIMIT ";
}

std::string LimitAbortText(int channel) { return " LIMIT ABORT CH#" + std::to_string(channel) + " "; }

std::string OverloadAbortText(int channel) { return " OVERLOAD ABORT CH#" + std::to_string(channel) + " "; }

void CheckAlarms(Controller& c) {
    if (c.AbortCode > 0.0f) return;
    const float code = FirstFailingCheck(c);
    if (code == 0.0f) return;
    c.AbortCode = code;
    AbortTest(c);
}

void AbortTest(Controller& c) {
    if (c.AbortCode == AbortReason::LimitChannel) {
        c.AbortMessage = LimitAbortText(c.LimitAbortChannel);
    } else if (c.AbortCode == AbortReason::Overload) {
        c.AbortMessage = OverloadAbortText(c.OverloadAbortChannel);
    } else {
        c.AbortMessage = AbortMessageText(c.AbortCode);
    }
    // The shaker is brought down before anything else, and before the operator is
    // asked to read the message.
    c.DriveOutput = 0.0001f;
    // A board that refuses the word must not leave the servo running: the test is
    // stopped and the operator told whatever became of it, and the fault goes on to
    // the cycle's own fault report afterwards.
    std::exception_ptr boardFault;
    try {
        SendDrive(c);
    } catch (...) {
        boardFault = std::current_exception();
    }
    const std::size_t first = c.AbortMessage.find_first_not_of(' ');
    const std::size_t last = c.AbortMessage.find_last_not_of(' ');
    const std::string reason = first == std::string::npos ? "" : c.AbortMessage.substr(first, last - first + 1);
    LogEvent(c, "Abort: " + reason + " (code " + std::to_string(static_cast<int>(c.AbortCode)) + ")");
    StopTest(c);
    ShowAbortOnPanel(c);
    // The box comes once the panel shows the test stopped, and the cycle goes on under it.
    DoAfterCycle(c, [message = c.AbortMessage](Controller& c) {
        if (!c.Closing) c.ports.dialogs->MessageBox(message, "", MessageButtons::Ok, MessageIcon::None);
    });
    if (boardFault) std::rethrow_exception(boardFault);
}
