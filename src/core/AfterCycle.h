#pragma once

#include <functional>
#include <vector>

struct Controller;

// What a step of the control cycle asks or tells the operator (the abort box, a board's
// error, the files at the end of a test) must not hold the cycle, nor open a dialog in
// whose event loop the cycle would run inside itself. The window's driver collects such
// work while a cycle runs and does it once that cycle has finished, with later cycles
// going on while its dialogs are open. Without such a driver (the headless runner, whose
// prompts answer at once) the work is done where it is asked for.
using WorkAfterCycle = std::vector<std::function<void(Controller&)>>;

void DoAfterCycle(Controller& c, std::function<void(Controller&)> work);
