#include "core/StartUp.h"

#include "core/Controller.h"
#include "core/Defaults.h"
#include "core/HelpTexts.h"
#include "core/LogEvents.h"
#include "core/MenuSync.h"
#include "core/ParameterNames.h"
#include "core/PromptNumber.h"
#include "core/RunCommands.h"
#include "files/ProfileFile.h"
#include "hardware/BoardLayer.h"
#include "hardware/CalibrationFile.h"
#include "hardware/ConditioningUnit.h"
#include "plot/LimitLines.h"
#include "plot/PlotFrame.h"
#include "plot/ReferenceLines.h"

#include <exception>

void StartUp(Controller& c) {
    // The host has taken up the desktop's locale by now (the window's application does so
    // as it starts), so the operator's answers are read as the rest of the desktop reads them.
    c.PromptDecimalPoint = LocaleDecimalPoint();
    SetDefaults(c);
    LogEvent(c, std::string("Start-up, version ") + ProgramVersion());
    LoadDefaultProfile(c);
    InitialiseHardware(c);
    if (!IsOn(c.DemoMode)) {
        c.DemoMode = 0.0f;
        c.Menu.SetChecked("mnuRunDemo", false);
    }
    LoadCalibrationFile(c);
    c.CurrentFrequency = c.P[Param::LowerLimit];
    c.ProfileLastFrequency = c.P[Param::UpperLimit];
    UpdateCurrentSources(c);
    SetPortBRunLevel(c);
    StopTest(c);
    SyncMenusToTable(c);
    c.ports.shell->ShowMainWindow();
    // The plot area takes the background the table chose before the frame goes on it.
    c.ports.plot->Cls(c.Indicators.Item("picPlot").backColor);
    DrawPlotFrame(c);
    DrawReferenceLines(c);
    DrawLimitLines(c);
    c.TimerEnabled = false;
}

namespace {
// Leaving the program must always be possible, so a failing step is passed over.
template <class Step>
void Regardless(Step step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

void EndProgram(Controller& c) {
    c.Closing = true;
    c.ports.shell->EndProgram();
}
} // namespace

void RequestExit(Controller& c) {
    if (c.Closing) return;
    MessageAnswer answer = MessageAnswer::No;
    Regardless([&] {
        answer = c.ports.dialogs->MessageBox("Exit QMS Program?", "", MessageButtons::YesNo, MessageIcon::Critical);
    });
    if (answer != MessageAnswer::Yes) return;
    c.Closing = true;
    Regardless([&] { StopTest(c); });
    if (!IsOn(c.DemoMode)) Regardless([&] { MakeBoardsSafe(c, true); });
    EndProgram(c);
}

bool CloseMainWindow(Controller& c) {
    if (c.Closing) return true;
    if (IsOn(c.ServoOn) || IsOn(c.SweepRunning) || IsOn(c.TestStarted)) {
        RequestExit(c);
        return c.Closing;
    }
    MainWindowClosing(c);
    return true;
}

void MainWindowClosing(Controller& c) {
    if (c.Closing) return;
    c.Closing = true;
    Regardless([&] { StopTest(c); });
    if (!IsOn(c.DemoMode)) Regardless([&] { MakeBoardsSafe(c, false); });
    EndProgram(c);
}
