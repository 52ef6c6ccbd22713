#include "core/ControlCycle.h"

#include "core/CheckedConvert.h"
#include "core/Controller.h"
#include "core/NetworkExchange.h"
#include "core/ParameterNames.h"
#include "core/RemoteControl.h"
#include "core/RunCommands.h"
#include "core/RunInputs.h"
#include "core/TestSummary.h"
#include "engine/Alarms.h"
#include "engine/ChannelMarking.h"
#include "engine/DriveLaw.h"
#include "engine/LimitChannels.h"
#include "engine/ReferenceProfile.h"
#include "engine/ResponseMeasurement.h"
#include "engine/StatusPanel.h"
#include "engine/SweepGenerator.h"
#include "files/TestRecord.h"
#include "plot/PlotMapping.h"
#include "plot/SweepHistory.h"
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

namespace {

// The period for this pass, its start on the clock, and the counter 1..10 that the
// slower steps are gated on.
void StartCycle(Controller& c) {
    c.TimerInterval = CycleIntervalMs(c.P[Param::CycleRate]);
    c.CycleStartMs = c.ports.clock->TickMs();
    c.CycleCounter += 1;
    if (c.CycleCounter > 10) c.CycleCounter = 1;
}

// Cycles while the sweep runs: with the run time, the cycle rate the sweep steps by.
void CountRunCycle(Controller& c) { c.RunCycleCount += 1.0; }

// The drive the transfer function took on the plot becomes the shared drive, so a
// drive below the smallest is raised to it on each cycle the traces are drawn to scale.
void RaiseDriveToFloor(Controller& c) { c.DriveOutput = TransferDrive(c.DriveOutput); }

bool Always(const Controller&) { return true; }
bool WhileSweepRuns(const Controller& c) { return IsOn(c.SweepRunning); }
bool WhileServoOn(const Controller& c) { return IsOn(c.ServoOn); }
// While a table is set, and once more after it was emptied to let go of its channel.
bool WhileLimitsSet(const Controller& c) { return !c.Limits.rows.empty() || c.LimitingChannel != 0; }
bool WhileRemoteHoldsLevel(const Controller& c) { return IsOn(c.ServoOn) && IsOn(c.RemoteDriveOverride); }
// A frequency the outside program holds is no step of the sweep: it neither counts a
// sweep at a limit nor ends the test.
bool WhileSweepMoves(const Controller& c) { return IsOn(c.SweepRunning) && !RemoteHoldsFrequency(c); }
bool WhenTestEndIsDue(const Controller& c) { return c.EndOfTestDue; }
bool WhileRunInputsTicked(const Controller& c) { return IsChecked(c.P[Param::RemoteInputs]); }
bool WhileRemoteFileOn(const Controller& c) { return IsOn(c.P[Param::RemoteControlFile]); }
bool WhileOnNetwork(const Controller& c) { return c.ports.network != nullptr; }
bool WhilePanelEveryCycle(const Controller& c) { return IsOn(c.P[Param::SlaveAddress]); }
bool OnCycleThree(const Controller& c) { return c.CycleCounter == 3; }
bool OnCycleSixWhileServoOnOrManual(const Controller& c) {
    return c.CycleCounter == 6 && (IsOn(c.ServoOn) || IsOn(c.P[Param::ControlStrategy]));
}
// A range `AmplitudeRange` the plot does not know draws nothing to scale.
bool OnCycleSixToScale(const Controller& c) {
    return OnCycleSixWhileServoOnOrManual(c) && AmplitudeAxisFor(c.P[Param::AmplitudeRange]).has_value();
}

struct CycleStep {
    const char* name;
    bool (*due)(const Controller&);
    void (*run)(Controller&);
};

// The steps of one pass in their order. Each gate is tested at its step's turn, so it
// sees what the steps before it left.
constexpr CycleStep Steps[] = {
    {"StartCycle", Always, StartCycle},
    {"CountRunCycle", WhileSweepRuns, CountRunCycle},
    {"ComputeReference", Always, ComputeReference},
    {"ApplyRemoteDriveOverride", WhileRemoteHoldsLevel, ApplyRemoteDriveOverride},
    {"SweepStep", WhileSweepMoves, SweepStep},
    // Right after the step that found it: the later steps see the test stopped and the
    // frequency back at the lower limit, and send those out in this same pass.
    {"EndOfTest", WhenTestEndIsDue, EndOfTest},
    {"ApplyRemoteFrequencyOverride", RemoteHoldsFrequency, ApplyRemoteFrequencyOverride},
    {"SendFrequency", Always, SendFrequency},
    {"UpdateServoGain", Always, UpdateServoGain},
    {"SendDrive", Always, SendDrive},
    {"MeasureResponses", Always, MeasureResponses},
    {"ScaleAndSmoothResponses", Always, ScaleAndSmoothResponses},
    // Between the measurement and the drive law: a channel on its limit takes over the
    // control value the law acts on.
    {"ApplyLimits", WhileLimitsSet, ApplyLimits},
    {"UpdateDrive", WhileServoOn, UpdateDrive},
    // The law's drive, held where a limit channel would pass its limit under it.
    {"HoldDriveUnderLimits", WhileLimitsSet, HoldDriveUnderLimits},
    {"CheckAlarms", WhileServoOn, CheckAlarms},
    {"MarkChannels", WhileServoOn, MarkChannels},
    // After everything that decides this cycle's values, so the row holds them.
    {"WriteRecordRow", WhileServoOn, WriteRecordRow},
    {"TallyTestSummary", WhileServoOn, TallyTestSummary},
    {"PollRunInputs", WhileRunInputsTicked, PollRunInputs},
    {"ExchangeRemoteControlFile", WhileRemoteFileOn, ExchangeRemoteControlFile},
    {"ExchangeNetwork", WhileOnNetwork, ExchangeNetwork},
    // The run time moves with each refresh of the panel, and only then.
    {"UpdateRunTime", WhilePanelEveryCycle, UpdateRunTime},
    {"RefreshStatusPanel", WhilePanelEveryCycle, RefreshStatusPanel},
    {"UpdateRunTime", OnCycleThree, UpdateRunTime},
    {"RefreshStatusPanel", OnCycleThree, RefreshStatusPanel},
    {"UpdateTraces", OnCycleSixWhileServoOnOrManual, UpdateTraces},
    {"RebuildAverageMask", OnCycleSixWhileServoOnOrManual, RebuildAverageMask},
    {"RaiseDriveToFloor", OnCycleSixToScale, RaiseDriveToFloor},
    {"AppendHistoryPoint", OnCycleSixWhileServoOnOrManual, AppendHistoryPoint},
};

} // namespace

void ControlCycle(Controller& c) {
    for (const CycleStep& step : Steps) {
        if (!step.due(c)) continue;
        if (c.cycleObserver != nullptr) c.cycleObserver->StepRunning(step.name);
        step.run(c);
    }
}

void UpdateTimerTick(Controller& c) { c.TimerInterval = CycleIntervalMs(c.P[Param::UpdateRate]); }
