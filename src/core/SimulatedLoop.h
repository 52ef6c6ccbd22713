#pragma once

#include <cstdint>

class CycleDriver;
class SimulatedClock;

// Runs the cycle on a simulated clock until `untilMs`, advancing the clock to each
// due time instead of waiting for it.
void RunSimulated(CycleDriver& driver, SimulatedClock& clock, std::int64_t untilMs);
