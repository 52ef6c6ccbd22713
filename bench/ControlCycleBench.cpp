// How long one pass of the control cycle takes: it must stay far below the
// shortest period (2 ms at 400 cycles per second).

#include "core/Clock.h"
#include "core/ControlCycle.h"
#include "core/Controller.h"
#include "core/ScriptedDialogs.h"
#include "core/SizeOnlyCanvas.h"
#include "core/StartUp.h"

#include <benchmark/benchmark.h>

namespace {
class NoShell final : public Shell {
public:
    void ShowMainWindow() override {}
    void EndProgram() override {}
};

void BM_ControlCycle(benchmark::State& state) {
    SimulatedClock clock;
    ScriptedDialogs dialogs;
    NoShell shell;
    SizeOnlyCanvas plot(1000, 600);
    Controller c;
    c.ports = Ports{&clock, &dialogs, &plot, nullptr, &shell};
    StartUp(c);
    c.ServoOn = 1.0f;
    c.SweepRunning = 1.0f;
    for (auto _ : state) {
        ControlCycle(c);
        clock.AdvanceMs(100);
    }
}
BENCHMARK(BM_ControlCycle);
} // namespace
