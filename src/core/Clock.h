#pragma once

#include <cstdint>

// Every reading of time goes through this port: the monotonic tick times the
// cycle and every interval, the wall clock only feeds date and time texts.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds from an arbitrary start; never goes backwards, never wraps.
    virtual std::int64_t TickMs() const = 0;
    // Seconds since midnight of the local wall clock (fractional).
    virtual double SecondsSinceMidnight() const = 0;
    // Today's local date as a day serial: whole days since 30 December 1899.
    virtual double Today() const = 0;

    double MonotonicSeconds() const { return static_cast<double>(TickMs()) / 1000.0; }
};

// Day serial of a calendar date (days since 30 December 1899), the date value of
// files and displays.
double DateSerial(int year, int month, int day);

struct CalendarDate {
    int year = 1899;
    int month = 12;
    int day = 30;
};
CalendarDate DateFromSerial(double serial);

// Wall clock and steady clock of this computer.
class SystemClock final : public Clock {
public:
    std::int64_t TickMs() const override;
    double SecondsSinceMidnight() const override;
    double Today() const override;
};

// A clock that moves only when told to; the wall clock moves with the tick.
class SimulatedClock final : public Clock {
public:
    explicit SimulatedClock(double today = DateSerial(2026, 1, 5), double secondsSinceMidnight = 9.0 * 3600.0);

    std::int64_t TickMs() const override { return tickMs_; }
    double SecondsSinceMidnight() const override;
    double Today() const override;

    void AdvanceMs(std::int64_t ms);
    void AdvanceToMs(std::int64_t tickMs);

private:
    std::int64_t tickMs_ = 0;
    double startDay_;
    double startSeconds_;
};
