#include "core/LogEvents.h"

#include "core/ChannelMarks.h"
#include "core/Controller.h"
#include "core/EventLog.h"

#include <charconv>

namespace {

std::string Now(const Controller& c) {
    return EventTimeText(c.ports.clock->Today(), c.ports.clock->SecondsSinceMidnight());
}

std::string Channel(int channel) { return "Channel " + std::to_string(channel); }

void LogEpisodes(Controller& c, int limiting, std::uint16_t overload) {
    if (limiting != c.LoggedLimitingChannel) {
        if (c.LoggedLimitingChannel != 0) LogEvent(c, Channel(c.LoggedLimitingChannel) + " limit released");
        if (limiting != 0) LogEvent(c, Channel(limiting) + " limiting");
        c.LoggedLimitingChannel = limiting;
    }
    for (int channel = 1; channel <= 16; ++channel) {
        const bool now = (overload & ChannelBit(channel)) != 0;
        const bool before = (c.LoggedOverloadMask & ChannelBit(channel)) != 0;
        if (now != before) LogEvent(c, Channel(channel) + (now ? " overloaded" : " overload clear"));
    }
    c.LoggedOverloadMask = overload;
}

} // namespace

std::string FrequencyText(float hertz) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, hertz, std::chars_format::fixed, 2);
    return std::string(text, end.ptr) + " Hz";
}

void LogEvent(Controller& c, std::string text) {
    FollowRecordFolder(c);
    c.Log.Add(Now(c), std::move(text));
    // An open Test Log window follows the log; a closed one stays closed.
    if (c.ports.dialogs != nullptr && !c.Closing) c.ports.dialogs->ShowTrailingText(TestLogTitle, c.Log.Text(), false);
}

void FollowRecordFolder(Controller& c) {
    if (c.RecordFolder.empty() || c.RecordFolder == c.LoggedRecordFolder) return;
    c.LoggedRecordFolder = c.RecordFolder;
    c.Log.AttachTestFile(c.RecordFolder + "/events.log", Now(c));
}

void LogChannelEpisodes(Controller& c) {
    FollowRecordFolder(c);
    LogEpisodes(c, c.LimitingChannel, c.OverloadMask);
}

void CloseChannelEpisodes(Controller& c) { LogEpisodes(c, 0, 0); }

void LogTestEnded(Controller& c) {
    if (c.LoggedPassOpen) {
        LogEvent(c, "Sweep " + std::to_string(c.LoggedPasses) + " stopped at " + FrequencyText(c.CurrentFrequency));
        c.LoggedPassOpen = false;
    }
    LogEvent(c, "Test ended");
    c.Log.TestEnded();
}

void ShowTestLog(Controller& c) { c.ports.dialogs->ShowTrailingText(TestLogTitle, c.Log.Text(), true); }

EventSource::EventSource(EventLog& log, std::string source) : log_(log), previous_(std::move(log.source)) {
    log_.source = std::move(source);
}

EventSource::~EventSource() { log_.source = std::move(previous_); }
