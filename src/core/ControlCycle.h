#pragma once

#include <cstdint>

struct Controller;

// Told the name of each step of the cycle just before it runs: the trace of the
// headless runner and of the tests.
class CycleObserver {
public:
    virtual ~CycleObserver() = default;
    virtual void StepRunning(const char* step) = 0;
};

// The cycle period in ms for a cycle rate CycleRate: 1000 / rate rounded to nearest,
// ties to even, so 1 ms .. 1 s. A rate below 1 or above 1000 a second, or not finite,
// falls back to the default 10 a second.
int CycleIntervalMs(float cycleRate);

// One pass of the control loop, everything but the wait for the period to end.
void ControlCycle(Controller& c);

// When the next pass is due on the controller's clock.
std::int64_t NextCycleDueMs(const Controller& c);

// The handler of tmrUpdate. Start-up disables the timer before the loop begins and
// lets no event through before that, so the handler keeps only its bookkeeping.
void UpdateTimerTick(Controller& c);
