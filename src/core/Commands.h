#pragma once

#include <span>
#include <string>

struct Controller;

// The commands of the main window by the name of the control that gives them.
// The window, the headless runner and the tests all come through here, so no
// decision is taken in the window itself.

// A menu item (`mnuRunAbort`, `mnuInputsSens` with index 2). False when the menu
// has no such item or the item has no command.
bool RunMenuCommand(Controller& c, const std::string& name, int index = -1);

// A click on a button or picture (`cmdServoOn`, `Image3`, `lblChannel`), or a spin
// button arrow (`spnFreq` with `up` true for the up arrow).
bool ClickControl(Controller& c, const std::string& name);
bool SpinControl(Controller& c, const std::string& name, bool up);
// A mouse button pressed on the plot area picPlot at (x, y) in its own units.
void PressOnPlot(Controller& c, double x, double y);

// A key of the main window and what it does. A letter acts in either case unless the
// table holds it in exact case: x and X are two keys (zoom out, zoom in).
struct KeyCommand {
    char key; // a capital unless exactCase
    bool exactCase;
    const char* description;
    void (*action)(Controller&);
};
// Every key of the main window, in the order the keyboard help lists them.
std::span<const KeyCommand> KeyCommands();
// The command of a key as typed, or none.
const KeyCommand* KeyCommandFor(int character);

// A key pressed on the main window, by its character code.
void HandleKey(Controller& c, int character);
