#include "core/RunInputs.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "core/RunCommands.h"
#include "hardware/ConditioningUnit.h"

namespace {
// Port C bits, pulled low while their button is down.
constexpr int ServoOnButton = 1, StopButton = 2, RunButton = 4, HoldButton = 8;
} // namespace

// Stop and Sweep Hold are levels: while one is held down it keeps the test stopped or
// the sweep held, whatever the window or the remote-control file asks meanwhile, and a
// Servo On or Sweep Run pressed at the same time gives way to it. Servo On and Sweep
// Run act once on their press: a held Servo On restarted every cycle would throw the
// drive back to its starting level each time.
//
// A held Stop or Hold that finds nothing left to stop or hold does nothing, so that
// the remote-control file is not rewritten on every cycle with a command that changed
// nothing; a fresh press always acts.
void PollRunInputs(Controller& c) {
    if (IsOn(c.DemoMode) || !BoardPathActive(c)) return;
    const std::optional<std::int16_t> inputs = ReadRunInputs(c);
    if (!inputs) return;
    const int down = ~*inputs & 0x0F;
    const int pressed = down & ~c.RunInputsPressed;
    c.RunInputsPressed = down;
    const bool stopDown = (down & StopButton) != 0;
    const bool holdDown = (down & HoldButton) != 0;
    const bool stopped = !IsOn(c.ServoOn) && !IsOn(c.SweepRunning) && !IsOn(c.TestStarted);

    if ((pressed & ServoOnButton) != 0 && !stopDown) StartServo(c);
    if ((pressed & StopButton) != 0 || (stopDown && !stopped)) StopTest(c);
    if ((pressed & RunButton) != 0 && !stopDown && !holdDown) RunSweep(c);
    if ((pressed & HoldButton) != 0 || (holdDown && IsOn(c.SweepRunning))) HoldSweep(c);
}
