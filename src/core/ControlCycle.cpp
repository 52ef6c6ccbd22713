#include "core/ControlCycle.h"

#include "core/CheckedConvert.h"
#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "core/RemoteControl.h"
#include "core/RunInputs.h"
#include "engine/Alarms.h"
#include "engine/DriveLaw.h"
#include "engine/ReferenceProfile.h"
#include "engine/ResponseMeasurement.h"
#include "engine/StatusPanel.h"
#include "engine/SweepGenerator.h"
#include "plot/Traces.h"

#include <cmath>

namespace {
constexpr int DefaultIntervalMs = 100;
constexpr float SlowestRate = 1.0f;    // cycles a second
constexpr float FastestRate = 1000.0f; // a period of 1 ms still leaves the operator a turn
} // namespace

int CycleIntervalMs(float cycleRate) {
    // A rate out of this range is no rate a profile means (1e-30 would give one cycle a
    // minute, and the loop would neither follow the sweep nor abort in time).
    if (!std::isfinite(cycleRate) || cycleRate < SlowestRate || cycleRate > FastestRate) return DefaultIntervalMs;
    return RoundToInt<int>(1000.0 / static_cast<double>(cycleRate), DefaultIntervalMs);
}

std::int64_t NextCycleDueMs(const Controller& c) { return c.CycleStartMs + c.TimerInterval; }

void ControlCycle(Controller& c) {
    c.TimerInterval = CycleIntervalMs(c.P[Param::CycleRate]);
    c.CycleStartMs = c.ports.clock->TickMs();
    c.CycleCounter += 1;
    if (c.CycleCounter > 10) c.CycleCounter = 1;
    if (IsOn(c.SweepRunning)) c.RunCycleCount += 1.0;

    CycleObserver* observer = c.cycleObserver;
    const auto run = [&](const char* name, void (*step)(Controller&)) {
        if (observer != nullptr) observer->StepRunning(name);
        step(c);
    };
    run("ComputeReference", ComputeReference);
    ApplyRemoteDriveOverride(c);
    // A frequency the outside program holds is no step of the sweep: it neither counts
    // a sweep at a limit nor ends the test.
    if (IsOn(c.SweepRunning) && !RemoteHoldsFrequency(c)) run("SweepStep", SweepStep);
    ApplyRemoteFrequencyOverride(c);
    run("SendFrequency", SendFrequency);
    run("UpdateServoGain", UpdateServoGain);
    run("SendDrive", SendDrive);
    run("MeasureResponses", MeasureResponses);
    run("ScaleAndSmoothResponses", ScaleAndSmoothResponses);
    if (IsOn(c.ServoOn)) run("CheckAlarms", CheckAlarms);
    if (IsChecked(c.P[Param::RemoteInputs])) run("PollRunInputs", PollRunInputs);
    if (IsOn(c.P[Param::RemoteControlFile])) run("ExchangeRemoteControlFile", ExchangeRemoteControlFile);
    if (IsOn(c.P[Param::SlaveAddress])) run("RefreshStatusPanel", RefreshStatusPanel);
    if (c.CycleCounter == 3) run("RefreshStatusPanel", RefreshStatusPanel);
    if (c.CycleCounter == 6 && (IsOn(c.ServoOn) || IsOn(c.P[Param::ControlStrategy])))
        run("UpdateTraces", UpdateTraces);
}

void UpdateTimerTick(Controller& c) { c.TimerInterval = CycleIntervalMs(c.P[Param::UpdateRate]); }
