#include "core/Commands.h"

#include "core/Controller.h"
#include "core/StartUp.h"
#include "core/Steps.h"

#include <map>

namespace {
using Command = void (*)(Controller&);

const std::map<std::string, Command>& MenuCommands() {
    static const std::map<std::string, Command> commands = {
        {"mnuExit", RequestExit},
        {"mnuRunAbort", StopTest},
        {"mnuRunServoOff", StopServo},
        {"mnuRunHold", HoldSweep},
        {"mnuRunServoOn", StartServo},
        {"mnuRunRun", RunSweep},
        {"mnuSystemActiveChannels4", [](Controller& c) { SetActiveChannels(c, 4); }},
        {"mnuSystemActiveChannels8", [](Controller& c) { SetActiveChannels(c, 8); }},
        {"mnuSystemActiveChannels16", [](Controller& c) { SetActiveChannels(c, 16); }},
        {"mnuSystemAddressMaster", EnterMasterBoardAddress},
        {"mnuSystemAddressSlave", EnterSlaveBoardAddress},
        {"mnuSystemCalUpdate", UpdateCalibrationFactors},
        {"mnuViewDisplayAcc", DisplayAccelerationOnly},
        {"mnuViewDisplayControl", DisplayControlledResponse},
    };
    return commands;
}

// Items of a menu array get their index.
const std::map<std::string, void (*)(Controller&, int)>& IndexedMenuCommands() {
    static const std::map<std::string, void (*)(Controller&, int)> commands = {
        {"mnuSystemCalGain", EnterCalibrationFactor},
        {"mnuInputsCurrent", CurrentSourceCommand},
    };
    return commands;
}

const std::map<std::string, Command>& ControlCommands() {
    static const std::map<std::string, Command> commands = {
        {"Image3", StopTest},
        {"cmdHold", HoldSweep},
        {"cmdServoOn", StartServo},
        {"cmdRun", RunSweep},
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
    const auto indexed = IndexedMenuCommands().find(name);
    if (indexed != IndexedMenuCommands().end()) {
        indexed->second(c, index);
        return true;
    }
    return Run(c, MenuCommands(), name);
}

bool ClickControl(Controller& c, const std::string& name) { return Run(c, ControlCommands(), name); }

bool SpinControl(Controller&, const std::string&, bool) { return false; }

void HandleKey(Controller& c, int character) {
    if (c.Closing || character <= 0 || character > 127) return;
    const char key = static_cast<char>(character >= 'a' && character <= 'z' ? character - 'a' + 'A' : character);
    switch (key) {
    case 'A':
        StopTest(c);
        break;
    case 'H':
        HoldSweep(c);
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
