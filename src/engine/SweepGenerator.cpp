#include "engine/SweepGenerator.h"

#include "core/Controller.h"
#include "core/LogEvents.h"
#include "core/ParameterNames.h"

#include <cmath>

namespace {

constexpr float Down = 1.0f;
constexpr float Up = 2.0f;

constexpr float Logarithmic = 1.0f;
constexpr float Linear = 2.0f;
constexpr float Mil167 = 3.0f;

// ln 2 / 60: octaves per minute as a relative step per second.
constexpr float OctavesPerMinuteToRelativeStep = 0.01155f;

constexpr int FirstDwellRow = 101;
constexpr int LastDwellRow = 110;

double TimerNow(const Controller& c) { return c.ports.clock->MonotonicSeconds(); }

// The step follows the cycle rate actually achieved once there is enough of a run
// to measure it.
void EstimateCycleRate(Controller& c) {
    if (c.RunCycleCount > 20.0 && c.RunSeconds > 2.0) {
        const float measured = static_cast<float>(c.RunCycleCount / c.RunSeconds);
        if (std::isfinite(measured) && measured > 0.0f) c.CycleRate = measured;
    }
}

void TurnAtLimits(Controller& c) {
    if (c.CurrentFrequency <= c.P[Param::LowerLimit]) c.SweepDirection = Up;
    if (c.CurrentFrequency >= c.P[Param::UpperLimit]) c.SweepDirection = Down;
}

bool WaitingAtDwell(const Controller& c) {
    return c.DwellActive == 1 && c.DwellStartTime + static_cast<double>(c.DwellDuration) > c.RunSeconds;
}

bool AtOrBeyondLimit(const Controller& c) {
    return !(c.P[Param::LowerLimit] < c.CurrentFrequency && c.CurrentFrequency < c.P[Param::UpperLimit]);
}

void StepFrequency(Controller& c) {
    if (c.P[Param::SweepType] == Mil167) {
        MilStep(c);
        return;
    }
    const float rate = c.P[Param::SweepRate];
    const float cyclesPerSecond = c.CycleRate;
    // Only a profile damaged outside the setup dialogs holds a cycle rate that is
    // not positive; no step size can be derived from it.
    if (!(std::isfinite(cyclesPerSecond) && cyclesPerSecond > 0.0f)) return;

    float& f = c.CurrentFrequency;
    if (c.P[Param::SweepType] == Logarithmic) {
        const float relativeStep = rate * OctavesPerMinuteToRelativeStep / cyclesPerSecond;
        if (c.SweepDirection == Up) f = f * (1.0f + relativeStep);
        if (c.SweepDirection == Down) f = f * (1.0f - relativeStep);
    } else if (c.P[Param::SweepType] == Linear) {
        if (c.SweepDirection == Up) f = f + rate / cyclesPerSecond;
        if (c.SweepDirection == Down) f = f - rate / cyclesPerSecond;
    }
}

void ClampToLimits(Controller& c) {
    float& f = c.CurrentFrequency;
    // A frequency that is not a number (a remote override can bring one) must not
    // reach the generator; infinities are caught by the limits below.
    if (std::isnan(f)) f = std::isfinite(c.PreviousFrequency) ? c.PreviousFrequency : c.P[Param::LowerLimit];
    if (f < c.P[Param::LowerLimit]) f = c.P[Param::LowerLimit];
    if (f > c.P[Param::UpperLimit]) f = c.P[Param::UpperLimit];
}

// Every dwell row is tested in table order against the frequency as it stands, so a
// step that crosses several dwell points stops on the first one the sweep meets.
void DetectDwell(Controller& c) {
    const bool up = c.SweepDirection == Up;
    const bool down = c.SweepDirection == Down;
    if (!up && !down) return;

    float& f = c.CurrentFrequency;
    for (int i = FirstDwellRow; i <= LastDwellRow; ++i) {
        const BreakpointRow& row = c.Breakpoints[i];
        const float dwellFrequency = row.Frequency;
        if (!(dwellFrequency > 0.0f)) continue; // an empty dwell row
        const bool reached = up ? (f >= dwellFrequency && c.PreviousFrequency < dwellFrequency)
                                : (f <= dwellFrequency && c.PreviousFrequency > dwellFrequency);
        if (!reached) continue;
        f = dwellFrequency;
        c.DwellStartTime = c.RunSeconds;
        c.DwellActive = 1;
        c.DwellDuration = row.Mode;
    }
}

constexpr const char* DirectionName(float direction) { return direction == Up ? "up" : "down"; }

// A one-way pass ends when the sweep counts its arrival at a limit, and the next begins
// when the frequency leaves where the last stood. The stepped sweep counts its arrival
// on the step that moved it there; the others count it before they move away.
void LogSweepPasses(Controller& c, float entryFrequency, float entryCounter) {
    const bool arrived = c.SweepCounter > entryCounter;
    const bool stepped = c.P[Param::SweepType] == Mil167;
    if (arrived && c.LoggedPassOpen) {
        c.LoggedPassOpen = false;
        LogEvent(c, "Sweep " + std::to_string(c.LoggedPasses) + " ended at " +
                        FrequencyText(stepped ? c.CurrentFrequency : entryFrequency));
    }
    if (c.CurrentFrequency == entryFrequency || c.LoggedPassOpen || (stepped && arrived)) return;
    c.LoggedPassOpen = true;
    ++c.LoggedPasses;
    LogEvent(c, "Sweep " + std::to_string(c.LoggedPasses) + " " + DirectionName(c.SweepDirection) + " from " +
                    FrequencyText(entryFrequency));
}

void MoveSweep(Controller& c) {
    EstimateCycleRate(c);
    TurnAtLimits(c);
    // A dwell holds the whole sweep, its count included: a dwell point at a limit
    // would otherwise add a half sweep on every cycle it waits and end the test
    // early. The arrival at the limit counts once, on the cycle the dwell ends.
    if (WaitingAtDwell(c)) return;
    if (c.P[Param::SweepType] < Mil167 && AtOrBeyondLimit(c)) c.SweepCounter += 0.5f;
    // The test ends in the cycle's own step right after this one; the frequency stays
    // where it is until then.
    if (c.P[Param::SweepCount] + 0.5f < c.SweepCounter) {
        c.EndOfTestDue = true;
        return;
    }
    c.PreviousFrequency = c.CurrentFrequency;
    c.DwellActive = 0;
    StepFrequency(c);
    ClampToLimits(c);
    DetectDwell(c);
}

} // namespace

void SweepStep(Controller& c) {
    const float entryFrequency = c.CurrentFrequency;
    const float entryCounter = c.SweepCounter;
    MoveSweep(c);
    LogSweepPasses(c, entryFrequency, entryCounter);
}

void MilStep(Controller& c) {
    const float interval = 60.0f * c.P[Param::StepDwellMinutes];
    float& f = c.CurrentFrequency;
    if (static_cast<float>(TimerNow(c) - c.StepStartTime) >= interval && c.SweepDirection == Up) {
        f = f + c.P[Param::SweepRate];
        c.StepStartTime = TimerNow(c);
    }
    if (static_cast<float>(TimerNow(c) - c.StepStartTime) >= interval && c.SweepDirection == Down) {
        f = f - c.P[Param::SweepRate];
        c.StepStartTime = TimerNow(c);
    }
    // Counted before the clamp, so the step that reaches or passes a limit counts once.
    if ((c.SweepDirection == Up && f >= c.P[Param::UpperLimit]) ||
        (c.SweepDirection == Down && f <= c.P[Param::LowerLimit])) {
        c.SweepCounter += 0.5f;
    }
}

void ResonanceReversal(Controller& c) {
    if (!IsOn(c.P[Param::ResonanceSearch])) return;
    const float f = c.CurrentFrequency;
    if (!(c.P[Param::ResonanceLower] <= f && f <= c.P[Param::ResonanceUpper])) return;
    const int growth = static_cast<int>(c.DriveWord) - static_cast<int>(c.PreviousDriveWord);
    if (growth <= 1) return;
    if (c.SweepDirection == Up) {
        c.SweepDirection = Down;
    } else if (c.SweepDirection == Down) {
        c.SweepDirection = Up;
    }
}
