#pragma once

#include <string>

struct Controller;
class EventLog;

// The controller's events as they happen, into its EventLog (core/EventLog.h) at the
// clock's time of day: the hooks of the commands, the sweep and the alarms call these,
// so the window and the headless runner log alike.

inline constexpr const char* TestLogTitle = "Test Log";

void LogEvent(Controller& c, std::string text);
// Attaches `events.log` of a record folder that appeared since the last look, with the
// events since the last test ended.
void FollowRecordFolder(Controller& c);
// A channel that starts or stops limiting, a channel overloaded or clear again, from
// the last cycle's flags; while the servo is on. An episode ends once its channel has
// been quiet for a second.
void LogChannelEpisodes(Controller& c);
// The episodes still open end with the servo.
void CloseChannelEpisodes(Controller& c);
// The end of a started test: the pass under way ends, the test's file is let go.
void LogTestEnded(Controller& c);
// A frequency as the log writes it: "12.34 Hz", '.' as the decimal point.
std::string FrequencyText(float hertz);
// View / Test Log.
void ShowTestLog(Controller& c);

// Tells the events logged while it lives as coming from `source` ("remote", "script").
class EventSource {
public:
    EventSource(EventLog& log, std::string source);
    ~EventSource();
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;

private:
    EventLog& log_;
    std::string previous_;
};
