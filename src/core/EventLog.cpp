#include "core/EventLog.h"

#include "core/Clock.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

void EventLog::Add(std::string time, std::string text) {
    if (!source.empty()) text = source + ": " + text;
    events_.push_back({std::move(time), std::move(text)});
    ++count_;
    if (events_.size() > Kept) events_.pop_front();
    const LoggedEvent event = events_.back();
    Write(session_, event);
    Write(test_, event);
}

std::string EventLog::Text() const {
    std::string text;
    for (const LoggedEvent& event : events_) text += event.time + '\t' + event.text + '\n';
    return text;
}

void EventLog::AttachSessionFile(const std::string& path, const std::string& now) { Open(session_, path, 0, now); }

void EventLog::AttachTestFile(const std::string& path, const std::string& now) {
    const std::uint64_t since = count_ - testBegins_;
    Open(test_, path, static_cast<std::size_t>(std::min<std::uint64_t>(since, events_.size())), now);
}

void EventLog::TestEnded() {
    testBegins_ = count_;
    test_ = {};
}

void EventLog::Open(File& file, const std::string& path, std::size_t backlog, const std::string& now) {
    file = {path, ""};
    std::ofstream out(path, std::ios::out | std::ios::app | std::ios::binary);
    if (!out) {
        file.fault = std::strerror(errno);
        Add(now, "Event log file " + path + " cannot be opened: " + file.fault);
        return;
    }
    out.close();
    // A copy: a failing write adds an event of its own.
    const std::vector<LoggedEvent> earlier(events_.end() - static_cast<std::ptrdiff_t>(backlog), events_.end());
    for (const LoggedEvent& event : earlier) Write(file, event);
}

void EventLog::Write(File& file, const LoggedEvent& event) {
    if (file.path.empty() || !file.fault.empty()) return;
    errno = 0;
    std::ofstream out(file.path, std::ios::out | std::ios::app | std::ios::binary);
    out << event.time << '\t' << event.text << '\n';
    out.close();
    if (out) return;
    file.fault = errno != 0 ? std::strerror(errno) : "the write failed";
    Add(event.time, "Event log file " + file.path + " cannot be written: " + file.fault);
}

std::string EventTimeText(double date, double seconds) {
    const CalendarDate day = DateFromSerial(date);
    const long long ms = std::clamp(std::llround(seconds * 1000.0), 0LL, 86'399'999LL);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03lld", day.year, day.month, day.day,
                  static_cast<int>(ms / 3'600'000), static_cast<int>(ms / 60'000 % 60),
                  static_cast<int>(ms / 1000 % 60), ms % 1000);
    return text;
}
