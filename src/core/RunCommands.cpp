#include "core/RunCommands.h"

#include "core/AfterCycle.h"
#include "core/Controller.h"
#include "core/FormatMask.h"
#include "core/LogEvents.h"
#include "core/MeasurableBand.h"
#include "core/MenuSync.h"
#include "core/ParameterNames.h"
#include "core/RemoteControl.h"
#include "core/TestSummary.h"
#include "engine/ChannelMarking.h"
#include "engine/ReferenceProfile.h"
#include "engine/ResponseMeasurement.h"
#include "engine/StatusPanel.h"
#include "files/DataExport.h"
#include "files/ReportFile.h"
#include "files/TestRecord.h"
#include "hardware/BoardLayer.h"
#include "plot/PlotFrame.h"
#include "plot/PlotPens.h"
#include "plot/SweepHistory.h"
#include "print/PrintedReport.h"

#include <cmath>

namespace {
constexpr Rgb ActiveButtonText = 0xFF0000; // red
constexpr Rgb IdleButtonText = 0x000000;

void ShowActiveButton(Controller& c, const char* active, const char* idle) {
    c.Indicators.SetForeColor(active, ActiveButtonText);
    c.Indicators.SetForeColor(idle, IdleButtonText);
}

double TimerNow(const Controller& c) { return c.ports.clock->MonotonicSeconds(); }

void ShowElapsedTime(Controller& c) {
    const double minutes = std::floor(c.ElapsedSeconds / 60.0);
    const double seconds = std::nearbyint(c.ElapsedSeconds - minutes * 60.0);
    c.ElapsedTimeValue = static_cast<float>((minutes * 60.0 + seconds) / 86400.0);
    c.Indicators.SetText("lblElapsedTime",
                         " E.T. = " + FormatTimeOfDay(static_cast<double>(c.ElapsedTimeValue), "hh:mm:ss"));
}
} // namespace

void StartServo(Controller& c) {
    // The profile is checked before anything moves: one whose rows in use are out of
    // order or without a finite level would demand references of any size (a 5 Hz
    // displacement row running on to 5000 Hz asks 6.4e5 G), so the servo stays off.
    CheckProfile(c);
    if (const auto fault = FindProfileFault(c)) {
        if (IsOn(c.ServoOn)) StopServo(c);
        DoAfterCycle(c, [text = ProfileFaultMessage(*fault)](Controller& c) {
            c.ports.dialogs->MessageBox(text, "", MessageButtons::Ok, MessageIcon::None);
        });
        return;
    }
    c.RemoteCommandCode = 1.0f;
    PublishRunCommand(c);
    c.ServoOn = 1.0f;
    c.AbortCode = 0.0f;
    if (!IsOn(c.TestStarted)) {
        c.LoggedPasses = 0;
        c.LoggedPassOpen = false;
    }
    LogEvent(c, "Servo On");
    StartTestTally(c);
    // The last abort's reason leaves the panel with the servo it stopped.
    if (!c.Indicators.Item("lblAbort").text.empty()) c.Indicators.SetVisible("lblAbort", false);
    c.DriveOutput = 0.0005f;
    c.NotchReleasedAt = -1.0;
    RestartMeasurement(c);
    // Resuming the servo during a test appends to the points already stored, and keeps
    // its marks.
    if (!IsOn(c.TestStarted)) {
        c.HistoryCount = 1;
        ClearChannelMarks(c);
    }
    RearmAcquisitionForServo(c);
    // The segment restarts here: a running one is counted first, so no run time is lost.
    if (IsOn(c.SweepRunning)) c.ElapsedSeconds += TimerNow(c) - c.SegmentStartTime;
    c.SegmentStartTime = TimerNow(c);
    if (!IsOn(c.TestStarted)) {
        RefreshPlot(c);
        if (c.CurrentFrequency == c.P[Param::LowerLimit] || c.CurrentFrequency == c.P[Param::UpperLimit])
            ClearHistory(c);
    }
    if (c.Menu.Checked("mnuTestAutoSave")) DoAfterCycle(c, AskReportFileName);
    if (c.Menu.Checked("mnuTestAutoExport")) DoAfterCycle(c, AskExportFileName);
    // The cycle goes on while the names are asked: a test stopped meanwhile (an abort,
    // Stop from the remote file) stays stopped, the names kept for the next start.
    if (!IsOn(c.ServoOn)) return;
    if (!IsOn(c.TestStarted)) StartTestRecord(c);
    c.TestStarted = 1.0f;
    c.PictureLoaded = 0.0f;
    c.Menu.SetChecked("mnuRunServoOn", true);
    c.Menu.SetChecked("mnuRunServoOff", false);
    ShowActiveButton(c, "cmdServoOn", "cmdServoOff");
    c.Indicators.SetVisible("imgSine", true);
    ShowElapsedTime(c);
}

void RunSweep(Controller& c) {
    c.RemoteCommandCode = 3.0f;
    PublishRunCommand(c);
    // A run started while one is under way keeps the time of the running segment.
    if (IsOn(c.SweepRunning)) c.ElapsedSeconds += TimerNow(c) - c.SegmentStartTime;
    c.SegmentStartTime = TimerNow(c);
    c.DayRolloverSeconds = 0.0f;
    c.StepStartTime = TimerNow(c);
    c.TestStartDate = c.ports.clock->Today();
    c.SweepRunning = 1.0f;
    LogEvent(c, "Sweep Run");
    c.RunSeconds = TimerNow(c) - c.SegmentStartTime + c.ElapsedSeconds + c.DayRolloverSeconds;
    c.Menu.SetChecked("mnuRunRun", true);
    c.Menu.SetChecked("mnuRunHold", false);
    ShowActiveButton(c, "cmdRun", "cmdHold");
}

void StopServo(Controller& c) {
    if (IsOn(c.ServoOn)) {
        CloseChannelEpisodes(c);
        LogEvent(c, "Servo Off");
    }
    c.ServoOn = 0.0f;
    c.DriveOutput = 0.0001f;
    c.ReferenceLevel = IsOn(c.P[Param::ControlStrategy]) ? 1.0f : 0.01f;
    c.Menu.SetChecked("mnuRunServoOff", true);
    c.Menu.SetChecked("mnuRunServoOn", false);
    ShowActiveButton(c, "cmdServoOff", "cmdServoOn");
    c.Indicators.SetVisible("imgSine", false);
    FlushTestRecord(c);
}

void HoldSweep(Controller& c) {
    c.RemoteCommandCode = 4.0f;
    PublishRunCommand(c);
    c.Menu.SetChecked("mnuRunHold", true);
    c.Menu.SetChecked("mnuRunRun", false);
    ShowActiveButton(c, "cmdHold", "cmdRun");
    // Only a running sweep has a segment to add; holding twice must not count the
    // time since the last run again.
    const bool wasRunning = IsOn(c.SweepRunning);
    c.SweepRunning = 0.0f;
    if (!wasRunning) return;
    c.ElapsedSeconds += TimerNow(c) - c.SegmentStartTime;
    LogEvent(c, "Sweep Hold");
}

void StopTest(Controller& c) {
    c.RemoteCommandCode = 2.0f;
    PublishRunCommand(c);

    ResetPlotPens(c);

    HoldSweep(c);
    StopServo(c);

    if (IsOn(c.TestStarted)) {
        EndTestSummary(c);
        LogTestEnded(c);
    }
    c.TestStarted = 0.0f;
    CloseTestRecord(c);
    c.LevelFactor = 1.0f;
    c.DwellActive = 0;
    c.ElapsedSeconds = 0.0;
    c.DayRolloverSeconds = 0.0f;
    c.RunSeconds = 0.0;
    c.RunCycleCount = 1.0;
    c.StepStartTime = TimerNow(c);
    c.CycleRate = c.P[Param::UpdateRate];
}

namespace {

// Back at the lower limit, where a test starts: the history goes on from there and the
// sweep counter starts its first half sweep.
void ReturnToLowerLimit(Controller& c) {
    c.CurrentFrequency = c.P[Param::LowerLimit];
    c.LastStoredFrequency = c.P[Param::LowerLimit];
    c.SweepCounter = 0.5f;
}

} // namespace

void JumpToLowerLimitAndStop(Controller& c) {
    ReturnToLowerLimit(c);
    StopTest(c);
}

void EndOfTest(Controller& c) {
    c.EndOfTestDue = false;
    LogEvent(c, "End of test");
    StopTest(c);
    // Printing and the files may wait for a print server or ask for names, so they come
    // after the cycle; the page and the files do not depend on the return to the limit.
    DoAfterCycle(c, [](Controller& c) {
        if (c.Menu.Checked("mnuTestAutoPrint")) PrintReportAtEndOfTest(c);
    });
    ReturnToLowerLimit(c);
    DoAfterCycle(c, [](Controller& c) {
        if (c.Menu.Checked("mnuTestAutoSave")) AutoSaveReport(c);
        if (c.Menu.Checked("mnuTestAutoExport")) AutoExportData(c);
    });
}

void JumpToUpperLimitAndStop(Controller& c) {
    c.CurrentFrequency = c.P[Param::UpperLimit];
    StopTest(c);
}

void ToggleDirection(Controller& c) {
    c.SweepDirection += 1.0f;
    if (c.SweepDirection > 2.0f) c.SweepDirection = 1.0f;
}

void ToggleDisplayChannel(Controller& c) {
    c.DisplayChannel += 1.0f;
    if (c.DisplayChannel > static_cast<float>(ActiveChannelCount(c))) c.DisplayChannel = 1.0f;
}

void SetSweepDirection(Controller& c, float direction, bool fromMenu) {
    c.SweepDirection = direction;
    if (!fromMenu) return;
    c.Menu.SetChecked("mnuRunDirDown", direction == 1.0f);
    c.Menu.SetChecked("mnuRunDirUp", direction == 2.0f);
}

void NudgeFrequency(Controller& c, bool up) {
    // The frequency stays where the responses can be measured (and the sweep, the plot
    // and Stop can take its logarithm).
    const float step = c.CurrentFrequency >= 10.0f ? 1.0f : 0.1f;
    const float frequency = up ? c.CurrentFrequency + step : c.CurrentFrequency - step;
    c.CurrentFrequency = Band::Held(frequency, Band::LowestFrequency);
    if (!up) {
        UpdateRunTime(c);
        RefreshStatusPanel(c);
    }
}

void NudgeLevel(Controller& c, bool up) {
    if (c.P[Param::ManualStep] == 0.0f) c.P[Param::ManualStep] = 0.1f;
    const float step = c.P[Param::ManualStep];
    if (IsChecked(c.P[Param::ControlStrategy])) {
        const float factor = up ? c.LevelFactor * (1.0f + step) : c.LevelFactor / (1.0f + step);
        if (std::isfinite(factor)) c.LevelFactor = factor;
        return;
    }
    float level = up ? c.ReferenceLevel + step : c.ReferenceLevel - step;
    if (!std::isfinite(level)) return;
    if (!up && level <= 0.0f) level = 0.0f;
    c.ReferenceLevel = level;
}

void ToggleDemoMode(Controller& c) {
    const bool checked = !c.Menu.Checked("mnuRunDemo");
    c.Menu.SetChecked("mnuRunDemo", checked);
    if (!checked) {
        c.DemoMode = 0.0f;
        c.Menu.SetChecked("mnuRunDemo", false);
        // The demo plant's drive must never reach the real shaker.
        if (IsOn(c.ServoOn)) StopServo(c);
        c.DriveOutput = 0.0001f;
        return;
    }
    c.DemoMode = 1.0f;
    SyncMenusToTable(c);
}

void SelectControlStrategy(Controller& c, float strategy) {
    c.Menu.SetChecked("mnuTestControlManual", strategy == 1.0f);
    c.Menu.SetChecked("mnuTestControlAverage", strategy == 2.0f);
    c.Menu.SetChecked("mnuTestControlExtremal", strategy == 3.0f);
    c.P[Param::ControlStrategy] = strategy;
    c.ReferenceLevel = strategy == 1.0f ? 1.0f : 0.01f;
    StopServo(c);
}
