#include "core/SimulatedLoop.h"

#include "core/Clock.h"
#include "core/CycleDriver.h"

void RunSimulated(CycleDriver& driver, SimulatedClock& clock, std::int64_t untilMs) {
    while (clock.TickMs() < untilMs) {
        const std::int64_t wait = driver.Service();
        if (wait == CycleDriver::Suspended) return;
        if (wait > 0) clock.AdvanceMs(wait < untilMs - clock.TickMs() ? wait : untilMs - clock.TickMs());
    }
}
