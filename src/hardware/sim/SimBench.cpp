// SimBench: construction, the faults and presses tests play, and the push-buttons.
#include "hardware/sim/SimBench.h"

#include "core/Clock.h"

#include <algorithm>

namespace sim {

SimBench::SimBench(const Clock& clock, BenchModel model)
    : EmulatedBoards(clock, static_cast<BoardSignals&>(*this),
                     {model.masterPresent, model.slavePresent, model.libraryLoadable, model.callFaults}),
      startMs_(static_cast<double>(clock.TickMs())), plant_(std::move(model)), noise_(plant_.Model().seed) {}

void SimBench::KillSensor(int channel, double fromSeconds) {
    TakeScansUpToNow();
    plant_.Model().channels.at(static_cast<std::size_t>(channel - 1)).deadFromSeconds = fromSeconds;
}

void SimBench::SaturateSensor(int channel, double fromSeconds) {
    TakeScansUpToNow();
    plant_.Model().channels.at(static_cast<std::size_t>(channel - 1)).saturatedFromSeconds = fromSeconds;
}

void SimBench::Press(int button, bool pressed) {
    if (button < 0 || button > 3) return;
    const int bit = 1 << button;
    if (pressed) {
        buttonsHeld_ |= bit;
    } else {
        buttonsHeld_ &= ~bit;
        std::erase_if(timedPresses_, [button](const TimedPress& p) { return p.button == button; });
    }
}

void SimBench::PressFor(RunButton button, std::int64_t milliseconds) {
    timedPresses_.push_back({static_cast<int>(button), NowMs() + static_cast<double>(milliseconds)});
}

bool SimBench::ButtonDown(int button, double nowMs) const {
    if ((buttonsHeld_ >> button & 1) != 0) return true;
    for (const TimedPress& press : timedPresses_)
        if (press.button == button && nowMs < press.untilMs) return true;
    for (const ButtonPress& press : plant_.Model().presses) {
        const double from = BenchMs(press.atSeconds);
        if (static_cast<int>(press.button) == button && nowMs >= from && nowMs < from + press.heldSeconds * 1000.0)
            return true;
    }
    return false;
}

int SimBench::ButtonsDown(double nowMs) const {
    int down = 0;
    for (int button = 0; button < 4; ++button)
        if (ButtonDown(button, nowMs)) down |= 1 << button;
    return down;
}

} // namespace sim
