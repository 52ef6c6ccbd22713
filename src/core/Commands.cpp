#include "core/Commands.h"

#include "core/Controller.h"
#include "core/RemoteControl.h"
#include "core/RunCommands.h"
#include "core/SetupMenus.h"
#include "core/StartUp.h"
#include "engine/StatusPanel.h"
#include "files/DataExport.h"
#include "files/ProfileFile.h"
#include "files/ProfileGrid.h"
#include "files/ReportFile.h"
#include "hardware/BoardLayer.h"
#include "hardware/CalibrationFile.h"
#include "hardware/ConditioningUnit.h"
#include "plot/CursorReadout.h"
#include "plot/PlotFrame.h"
#include "plot/PlotZoom.h"
#include "plot/ViewCommands.h"
#include "print/PrintedReport.h"

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
        {"mnuRunLL", [](Controller& c) { c.CurrentFrequency = c.P[1]; }},
        {"mnuRunUL", [](Controller& c) { c.CurrentFrequency = c.P[2]; }},
        {"mnuRunDirDown", [](Controller& c) { SetSweepDirection(c, 1.0f, true); }},
        {"mnuRunDirUp", [](Controller& c) { SetSweepDirection(c, 2.0f, true); }},
        {"mnuRunToggle", ToggleDisplayChannel},
        {"mnuInputsDllControl", ToggleSoftwareRemoteControl},
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

void HandleKey(Controller& c, int character) {
    if (c.Closing || character <= 0 || character > 127) return;
    // The zoom keys are told apart by case; every other key acts as its capital.
    switch (character) {
    case 'X':
        ZoomFrequencyIn(c);
        return;
    case 'x':
        ZoomFrequencyOut(c);
        return;
    case 'Y':
        ZoomAmplitudeIn(c);
        return;
    case 'y':
        ZoomAmplitudeOut(c);
        return;
    default:
        break;
    }
    const char key = static_cast<char>(character >= 'a' && character <= 'z' ? character - 'a' + 'A' : character);
    switch (key) {
    case 'A':
        StopTest(c);
        break;
    case 'D':
        ToggleDirection(c);
        break;
    case 'H':
        HoldSweep(c);
        break;
    case 'J':
        RefreshPlot(c);
        break;
    case 'L':
        JumpToLowerLimitAndStop(c);
        break;
    case 'T':
        ToggleDisplayChannel(c);
        break;
    case 'U':
        JumpToUpperLimitAndStop(c);
        break;
    case 'R':
        RunSweep(c);
        break;
    case 'S':
        StartServo(c);
        break;
    case 'O':
        StopServo(c);
        if (IsOn(c.SweepRunning)) HoldSweep(c);
        break;
    default:
        break;
    }
}
