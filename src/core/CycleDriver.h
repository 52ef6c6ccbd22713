#pragma once

#include "core/AfterCycle.h"

#include <cstdint>
#include <string>

struct Controller;

// Decides when the control cycle runs: once its period has passed since the last
// cycle began, at once when the last one overran, and never inside itself. An open
// dialog does not hold it: the cycle goes on while the operator reads or answers.
class CycleDriver {
public:
    static constexpr std::int64_t Suspended = -1;

    // With `deferWork`, what a cycle step asks or tells the operator is kept for
    // TakeWorkAfterCycle instead of being done inside the cycle.
    explicit CycleDriver(Controller& controller, bool deferWork = false) : c_(controller), deferWork_(deferWork) {}

    // Runs a cycle if one is due. Returns how many ms to wait before asking again,
    // or Suspended while a cycle is under way or the program is ending.
    std::int64_t Service();

    // The work the cycles since the last call left for after them, in the order asked.
    WorkAfterCycle TakeWorkAfterCycle();

    std::uint64_t CyclesRun() const { return cyclesRun_; }
    // The text of the last failure a cycle step let escape; the cycle carries on.
    const std::string& LastFault() const { return lastFault_; }

private:
    std::int64_t WaitFrom(std::int64_t nowMs) const;

    Controller& c_;
    bool deferWork_;
    bool inCycle_ = false;
    bool started_ = false;
    std::uint64_t cyclesRun_ = 0;
    std::string lastFault_;
    WorkAfterCycle workAfterCycle_;
};
