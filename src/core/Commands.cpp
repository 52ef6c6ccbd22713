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
    };
    return commands;
}

const std::map<std::string, Command>& ControlCommands() {
    static const std::map<std::string, Command> commands = {
        {"Image3", StopTest},
        {"cmdHold", HoldSweep},
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
    case 'O':
        StopServo(c);
        if (IsOn(c.SweepRunning)) HoldSweep(c);
        break;
    default:
        break;
    }
}
