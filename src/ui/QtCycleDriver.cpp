#include "ui/QtCycleDriver.h"

QtCycleDriver::QtCycleDriver(Controller& controller, std::function<void()> afterCycle, QObject* parent)
    : QObject(parent), driver_(controller), afterCycle_(std::move(afterCycle)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &QtCycleDriver::Tick);
}

void QtCycleDriver::Start() { timer_.start(0); }

void QtCycleDriver::DialogClosed() {
    driver_.DialogClosed();
    if (driver_.OpenDialogs() == 0 && !timer_.isActive()) timer_.start(0);
}

void QtCycleDriver::Tick() {
    const std::int64_t wait = driver_.Service();
    try {
        if (afterCycle_) afterCycle_();
    } catch (...) {
        // Showing the state must never stop the control loop.
    }
    if (wait != CycleDriver::Suspended) timer_.start(static_cast<int>(wait));
}
