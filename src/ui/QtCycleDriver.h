#pragma once

#include "core/CycleDriver.h"

#include <QObject>
#include <QTimer>

#include <functional>

// Runs the control cycle from the Qt event loop: a precise single-shot timer set
// for the next due time, so the operator is served in between and an idle
// controller costs next to nothing.
class QtCycleDriver final : public QObject {
    Q_OBJECT

public:
    QtCycleDriver(Controller& controller, std::function<void()> afterCycle, QObject* parent = nullptr);

    void Start();
    void DialogOpened() { driver_.DialogOpened(); }
    void DialogClosed();
    const CycleDriver& Driver() const { return driver_; }

private:
    void Tick();

    CycleDriver driver_;
    QTimer timer_;
    std::function<void()> afterCycle_;
};
