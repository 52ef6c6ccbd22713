#include "core/Clock.h"

#include <chrono>
#include <cmath>
#include <ctime>

double DateSerial(int year, int month, int day) {
    using namespace std::chrono;
    const sys_days date = year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                         std::chrono::day{static_cast<unsigned>(day)}};
    const sys_days epoch = year_month_day{std::chrono::year{1899}, December, std::chrono::day{30}};
    return static_cast<double>((date - epoch).count());
}

CalendarDate DateFromSerial(double serial) {
    using namespace std::chrono;
    const sys_days epoch = year_month_day{std::chrono::year{1899}, December, std::chrono::day{30}};
    const year_month_day ymd{epoch + days{static_cast<int>(std::floor(serial))}};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

namespace {
std::tm LocalNow(double& fraction) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto sinceSecond = now - std::chrono::system_clock::from_time_t(seconds);
    fraction = std::chrono::duration<double>(sinceSecond).count();
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}
} // namespace

std::int64_t SystemClock::TickMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double SystemClock::SecondsSinceMidnight() const {
    double fraction = 0.0;
    const std::tm local = LocalNow(fraction);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

double SystemClock::Today() const {
    double fraction = 0.0;
    const std::tm local = LocalNow(fraction);
    return DateSerial(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

SimulatedClock::SimulatedClock(double today, double secondsSinceMidnight)
    : startDay_(today), startSeconds_(secondsSinceMidnight) {}

double SimulatedClock::SecondsSinceMidnight() const {
    const double total = startSeconds_ + static_cast<double>(tickMs_) / 1000.0;
    return std::fmod(total, 86400.0);
}

double SimulatedClock::Today() const {
    const double total = startSeconds_ + static_cast<double>(tickMs_) / 1000.0;
    return startDay_ + std::floor(total / 86400.0);
}

void SimulatedClock::AdvanceMs(std::int64_t ms) {
    if (ms > 0) tickMs_ += ms;
}

void SimulatedClock::AdvanceToMs(std::int64_t tickMs) {
    if (tickMs > tickMs_) tickMs_ = tickMs;
}
