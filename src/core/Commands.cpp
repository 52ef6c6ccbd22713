#include "core/Commands.h"

#include "core/Controller.h"
#include "core/HelpTexts.h"
#include "core/LogEvents.h"
#include "core/ParameterNames.h"
#include "core/RemoteControl.h"
#include "core/RunCommands.h"
#include "core/SetupMenus.h"
#include "core/StartUp.h"
#include "engine/StatusPanel.h"
#include "files/DataExport.h"
#include "files/LimitGrid.h"
#include "files/ProfileFile.h"
#include "files/ProfileGrid.h"
#include "files/RecordExport.h"
#include "files/ReportFile.h"
#include "hardware/BoardLayer.h"
#include "hardware/CalibrationFile.h"
#include "hardware/ConditioningUnit.h"
#include "plot/CursorReadout.h"
#include "plot/PlotFrame.h"
#include "plot/PlotZoom.h"
#include "plot/ViewCommands.h"
#include "print/PrintedReport.h"

#include <array>
#include <map>

namespace {
using Command = void (*)(Controller&);

const std::map<std::string, Command>& MenuCommands() {
    static const std::map<std::string, Command> commands = {
        {"mnuExit", RequestExit},
        {"mnuFileNew", NewProfile},
        {"mnuTestModify", ShowProfileEditor},
        {"mnuFileOpenProfile", OpenProfile},
        {"mnuFileOpenLegacyProfile", OpenLegacyProfile},
        {"mnuFileSaveProfile", SaveProfile},
        {"mnuFileExport", ExportTestData},
        {"mnuFileExportRecord", ExportTestRecord},
        {"mnuFileSaveReport", SaveReport},
        {"mnuFileOpenReport", OpenReport},
        {"mnuFilePrint", PrintReport},
        {"mnuFilePrinterSetup", PrinterSetup},
        {"mnuFileColorColors", [](Controller& c) { ChoosePrintColor(c, true); }},
        {"mnuFileColorMono", [](Controller& c) { ChoosePrintColor(c, false); }},
        {"mnuToolsCopyData", CopyDataToClipboard},
        {"mnuRunAbort", StopTest},
        {"mnuRunServoOff", StopServo},
        {"mnuRunHold", HoldSweep},
        {"mnuRunServoOn", StartServo},
        {"mnuRunRun", RunSweep},
        {"mnuRunLL", [](Controller& c) { c.CurrentFrequency = c.P[Param::LowerLimit]; }},
        {"mnuRunUL", [](Controller& c) { c.CurrentFrequency = c.P[Param::UpperLimit]; }},
        {"mnuRunDirDown", [](Controller& c) { SetSweepDirection(c, 1.0f, true); }},
        {"mnuRunDirUp", [](Controller& c) { SetSweepDirection(c, 2.0f, true); }},
        {"mnuRunToggle", ToggleDisplayChannel},
        {"mnuInputsDllControl", ToggleSoftwareRemoteControl},
        {"mnuInputsLimits", ShowLimitEditor},
        {"mnuViewXaxisIn", ZoomFrequencyIn},
        {"mnuViewXaxisOut", ZoomFrequencyOut},
        {"mnuViewYaxisIn", ZoomAmplitudeIn},
        {"mnuViewYaxisOut", ZoomAmplitudeOut},
        {"mnuInputsRemote", ToggleRemoteRunInputs},
        {"mnuRunDemo", ToggleDemoMode},
        {"mnuTestControlManual", [](Controller& c) { SelectControlStrategy(c, 1.0f); }},
        {"mnuTestControlAverage", [](Controller& c) { SelectControlStrategy(c, 2.0f); }},
        {"mnuTestControlExtremal", [](Controller& c) { SelectControlStrategy(c, 3.0f); }},
        {"mnuSystemActiveChannels4", [](Controller& c) { SetActiveChannels(c, 4); }},
        {"mnuSystemActiveChannels8", [](Controller& c) { SetActiveChannels(c, 8); }},
        {"mnuSystemActiveChannels16", [](Controller& c) { SetActiveChannels(c, 16); }},
        {"mnuSystemAddressMaster", EnterMasterBoardAddress},
        {"mnuSystemAddressSlave", EnterSlaveBoardAddress},
        {"mnuSystemCalUpdate", UpdateCalibrationFactors},
        {"mnuViewDisplayAcc", DisplayAccelerationOnly},
        {"mnuViewDisplayControl", DisplayControlledResponse},
        {"mnuViewPlotColorBlack", [](Controller& c) { SetPlotBackground(c, false); }},
        {"mnuViewPlotColorWhite", [](Controller& c) { SetPlotBackground(c, true); }},
        {"mnuViewChannelsAll", [](Controller& c) { ShowChannelGroup(c, 0.0f); }},
        {"mnuViewChannelsLower", [](Controller& c) { ShowChannelGroup(c, 1.0f); }},
        {"mnuViewChannelsUpper", [](Controller& c) { ShowChannelGroup(c, 2.0f); }},
        {"mnuViewDrive", ToggleDriveTrace},
        {"mnuViewAbort", ToggleAbortLimits},
        {"mnuViewRefresh", RefreshPlot},
        {"mnuCut", CopyPlotToClipboard},
        {"mnuViewTestLog", ShowTestLog},
        {"mnuHelpContents", ShowOperatorsGuide},
        {"mnuHelpKeyboard", ShowKeyboardHelp},
        {"mnuHelpVersion", ShowVersionHistory},
        {"mnuHelpAbout", ShowAbout},
    };
    return commands;
}

// Items of a menu array get their index.
const std::map<std::string, void (*)(Controller&, int)>& IndexedMenuCommands() {
    static const std::map<std::string, void (*)(Controller&, int)> commands = {
        {"mnuSystemCalGain", EnterCalibrationFactor}, {"mnuInputsCurrent", CurrentSourceCommand},
        {"mnuViewResponse", ToggleResponseTrace},     {"mnuViewAveResponse", ToggleAverageChannel},
        {"mnuViewTransferOut", SelectTransferOutput}, {"mnuViewTransferIn", SelectTransferInput},
    };
    return commands;
}

const std::map<std::string, Command>& ControlCommands() {
    static const std::map<std::string, Command> commands = {
        {"Image3", StopTest},
        {"cmdHold", HoldSweep},
        {"cmdServoOn", StartServo},
        {"cmdRun", RunSweep},
        {"lblChannel", ToggleDisplayChannel},
        {"cmdServoOff",
         [](Controller& c) {
             if (IsOn(c.SweepRunning)) HoldSweep(c);
             StopServo(c);
         }},
    };
    return commands;
}

bool Run(Controller& c, const std::map<std::string, Command>& commands, const std::string& name) {
    if (c.Closing) return false;
    const auto found = commands.find(name);
    if (found == commands.end()) return false;
    found->second(c);
    return true;
}
} // namespace

bool RunMenuCommand(Controller& c, const std::string& name, int index) {
    if (!c.Menu.Has(name, index) || !c.Menu.Enabled(name, index)) return false;
    if (c.Closing) return false;
    if (RunSetupCommand(c, name, index)) return true;
    const auto indexed = IndexedMenuCommands().find(name);
    if (indexed != IndexedMenuCommands().end()) {
        indexed->second(c, index);
        return true;
    }
    return Run(c, MenuCommands(), name);
}

bool ClickControl(Controller& c, const std::string& name) { return Run(c, ControlCommands(), name); }

void PressOnPlot(Controller& c, double x, double y) {
    if (c.Closing) return;
    ShowCursorReadout(c, x, y);
}

bool SpinControl(Controller& c, const std::string& name, bool up) {
    if (c.Closing) return false;
    if (name == "spnFreq") {
        NudgeFrequency(c, up);
    } else if (name == "spnLevel") {
        NudgeLevel(c, up);
    } else if (name == "spnDirection") {
        SetSweepDirection(c, up ? 2.0f : 1.0f, false);
    } else {
        return false;
    }
    return true;
}

std::span<const KeyCommand> KeyCommands() {
    static const std::array<KeyCommand, 14> keys = {{
        {'S', false, "Servo On: the test starts, or resumes", StartServo},
        {'O', false, "Servo Off, and a running sweep held",
         [](Controller& c) {
             StopServo(c);
             if (IsOn(c.SweepRunning)) HoldSweep(c);
         }},
        {'R', false, "Sweep Run", RunSweep},
        {'H', false, "Sweep Hold", HoldSweep},
        {'A', false, "Abort: sweep held, servo off, the test's times and counters reset", StopTest},
        {'L', false, "To the lower frequency limit, and the test stopped", JumpToLowerLimitAndStop},
        {'U', false, "To the upper frequency limit, and the test stopped", JumpToUpperLimitAndStop},
        {'D', false, "Sweep direction reversed", ToggleDirection},
        {'T', false, "Next channel shown in the readout (CH#)", ToggleDisplayChannel},
        {'J', false, "Plot redrawn", RefreshPlot},
        {'X', true, "Frequency axis: zoom in", ZoomFrequencyIn},
        {'x', true, "Frequency axis: zoom out", ZoomFrequencyOut},
        {'Y', true, "Amplitude axis: zoom in", ZoomAmplitudeIn},
        {'y', true, "Amplitude axis: zoom out", ZoomAmplitudeOut},
    }};
    return keys;
}

const KeyCommand* KeyCommandFor(int character) {
    if (character <= 0 || character > 127) return nullptr;
    // A key held in exact case takes that letter before its capital's command would.
    for (const KeyCommand& command : KeyCommands())
        if (command.exactCase && command.key == character) return &command;
    const int capital = character >= 'a' && character <= 'z' ? character - 'a' + 'A' : character;
    for (const KeyCommand& command : KeyCommands())
        if (!command.exactCase && command.key == capital) return &command;
    return nullptr;
}

void HandleKey(Controller& c, int character) {
    if (c.Closing) return;
    if (const KeyCommand* command = KeyCommandFor(character)) command->action(c);
}
