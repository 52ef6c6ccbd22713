#pragma once

#include <cstdint>
#include <string>

struct Controller;

// Decides when the control cycle runs: once its period has passed since the last
// cycle began, at once when the last one overran, never inside itself and never
// while the operator has a prompt or message box open.
class CycleDriver {
public:
    static constexpr std::int64_t Suspended = -1;

    explicit CycleDriver(Controller& controller) : c_(controller) {}

    // Runs a cycle if one is due and may run. Returns how many ms to wait before
    // asking again, or Suspended while a dialog is open, a cycle is under way or
    // the program is ending.
    std::int64_t Service();

    void DialogOpened() { ++openDialogs_; }
    void DialogClosed() {
        if (openDialogs_ > 0) --openDialogs_;
    }
    int OpenDialogs() const { return openDialogs_; }
    std::uint64_t CyclesRun() const { return cyclesRun_; }
    // The text of the last failure a cycle step let escape; the cycle carries on.
    const std::string& LastFault() const { return lastFault_; }

private:
    std::int64_t WaitFrom(std::int64_t nowMs) const;

    Controller& c_;
    int openDialogs_ = 0;
    bool inCycle_ = false;
    bool started_ = false;
    std::uint64_t cyclesRun_ = 0;
    std::string lastFault_;
};
