#include "core/CycleDriver.h"

#include "core/ControlCycle.h"
#include "core/Controller.h"

#include <exception>

std::int64_t CycleDriver::WaitFrom(std::int64_t nowMs) const {
    const std::int64_t wait = NextCycleDueMs(c_) - nowMs;
    return wait > 0 ? wait : 0;
}

std::int64_t CycleDriver::Service() {
    if (c_.Closing || inCycle_) return Suspended;
    const std::int64_t now = c_.ports.clock->TickMs();
    if (started_ && WaitFrom(now) > 0) return WaitFrom(now);

    started_ = true;
    inCycle_ = true;
    if (deferWork_) c_.WorkAfterCycle = &workAfterCycle_;
    try {
        ControlCycle(c_);
    } catch (const std::exception& fault) {
        lastFault_ = fault.what();
    } catch (...) {
        lastFault_ = "unknown failure";
    }
    c_.WorkAfterCycle = nullptr;
    inCycle_ = false;
    ++cyclesRun_;
    if (c_.Closing) return Suspended;
    return WaitFrom(c_.ports.clock->TickMs());
}

WorkAfterCycle CycleDriver::TakeWorkAfterCycle() {
    WorkAfterCycle work;
    work.swap(workAfterCycle_);
    return work;
}
