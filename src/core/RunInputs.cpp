#include "core/RunInputs.h"

#include "core/Controller.h"
#include "core/RunCommands.h"
#include "hardware/ConditioningUnit.h"

#include <array>

// The four push-buttons of the run inputs pull their port C bit low while pressed.
// A command acts on the press, once: a button held down does not start the servo again
// on every cycle.
void PollRunInputs(Controller& c) {
    if (IsOn(c.DemoMode) || !IsOn(c.P[65])) return;
    const std::optional<std::int16_t> inputs = ReadRunInputs(c);
    if (!inputs) return;
    constexpr std::array<void (*)(Controller&), 4> commands = {StartServo, StopTest, RunSweep, HoldSweep};
    const int pressedNow = ~*inputs & 0x0F;
    const int newlyPressed = pressedNow & ~c.RunInputsPressed;
    c.RunInputsPressed = pressedNow;
    for (int bit = 0; bit < 4; ++bit)
        if ((newlyPressed & (1 << bit)) != 0) commands[static_cast<std::size_t>(bit)](c);
}
