#include "ui/QtCycleDriver.h"

#include "core/Controller.h"

#include <exception>

QtCycleDriver::QtCycleDriver(Controller& controller, std::function<void()> afterCycle, QObject* parent)
    : QObject(parent), c_(controller), driver_(controller, true), afterCycle_(std::move(afterCycle)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &QtCycleDriver::Tick);
}

void QtCycleDriver::Start() { timer_.start(0); }

void QtCycleDriver::Tick() {
    const std::int64_t wait = driver_.Service();
    // The next cycle is set before any dialog of this one opens: it runs in that
    // dialog's event loop.
    if (wait != CycleDriver::Suspended) timer_.start(static_cast<int>(wait));
    try {
        if (afterCycle_) afterCycle_();
    } catch (...) {
        // Showing the state must never stop the control loop.
    }
    for (auto& work : driver_.TakeWorkAfterCycle()) {
        try {
            work(c_);
        } catch (const std::exception&) {
            // The work's own boxes have told the operator; the loop carries on.
        }
        try {
            if (afterCycle_) afterCycle_();
        } catch (...) {
        }
    }
}
