#pragma once

#include "core/CycleDriver.h"

#include <QObject>
#include <QTimer>

#include <functional>

// Runs the control cycle from the Qt event loop: a precise single-shot timer set
// for the next due time, so the operator is served in between and an idle
// controller costs next to nothing. The timer also fires inside the event loop of
// an open dialog, so no dialog holds the cycle. What a cycle asks or tells the
// operator is done once that cycle has finished and the window shows its outcome.
class QtCycleDriver final : public QObject {
    Q_OBJECT

public:
    QtCycleDriver(Controller& controller, std::function<void()> afterCycle, QObject* parent = nullptr);

    void Start();
    const CycleDriver& Driver() const { return driver_; }

private:
    void Tick();

    Controller& c_;
    CycleDriver driver_;
    QTimer timer_;
    std::function<void()> afterCycle_;
};
