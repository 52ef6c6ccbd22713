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

// A channel's episode ends once the channel has been quiet this long: one that hovers
// about its limit, or whose peaks touch full scale now and then, makes one episode in
// the log, not one a cycle.
constexpr std::int64_t EpisodeEndHoldMs = 1000;

// Whether an episode no longer flagged has been quiet long enough to end; `quietSince`
// holds the tick when it went quiet (< 0: not yet).
bool QuietLongEnough(std::int64_t& quietSince, std::int64_t now, bool closing) {
    if (closing) return true;
    if (quietSince < 0) quietSince = now;
    return now - quietSince >= EpisodeEndHoldMs;
}

void LogEpisodes(Controller& c, int limiting, std::uint16_t overload, bool closing) {
    const std::int64_t now = c.ports.clock->TickMs();
    if (limiting == c.LoggedLimitingChannel) {
        c.LimitQuietSince = -1;
    } else if (limiting != 0 || QuietLongEnough(c.LimitQuietSince, now, closing)) {
        if (c.LoggedLimitingChannel != 0) LogEvent(c, Channel(c.LoggedLimitingChannel) + " limit released");
        if (limiting != 0) LogEvent(c, Channel(limiting) + " limiting");
        c.LoggedLimitingChannel = limiting;
        c.LimitQuietSince = -1;
    }
    for (int channel = 1; channel <= 16; ++channel) {
        const std::uint16_t bit = ChannelBit(channel);
        std::int64_t& quietSince = c.OverloadQuietSince[static_cast<std::size_t>(channel - 1)];
        const bool before = (c.LoggedOverloadMask & bit) != 0;
        if ((overload & bit) != 0) {
            quietSince = -1;
            if (before) continue;
            LogEvent(c, Channel(channel) + " overloaded");
            c.LoggedOverloadMask |= bit;
        } else if (before && QuietLongEnough(quietSince, now, closing)) {
            LogEvent(c, Channel(channel) + " overload clear");
            c.LoggedOverloadMask &= static_cast<std::uint16_t>(~bit);
        }
    }
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
    if (c.ports.dialogs != nullptr && !c.Closing)
        c.ports.dialogs->ShowTrailingText(
            TestLogTitle, [&c] { return c.Log.Text(); }, false);
}

void FollowRecordFolder(Controller& c) {
    if (c.RecordFolder.empty() || c.RecordFolder == c.LoggedRecordFolder) return;
    c.LoggedRecordFolder = c.RecordFolder;
    c.Log.AttachTestFile(c.RecordFolder + "/events.log", Now(c));
}

void LogChannelEpisodes(Controller& c) {
    FollowRecordFolder(c);
    LogEpisodes(c, c.LimitingChannel, c.OverloadMask, false);
}

void CloseChannelEpisodes(Controller& c) { LogEpisodes(c, 0, 0, true); }

void LogTestEnded(Controller& c) {
    if (c.LoggedPassOpen) {
        LogEvent(c, "Sweep " + std::to_string(c.LoggedPasses) + " stopped at " + FrequencyText(c.CurrentFrequency));
        c.LoggedPassOpen = false;
    }
    LogEvent(c, "Test ended");
    c.Log.TestEnded();
}

void ShowTestLog(Controller& c) {
    c.ports.dialogs->ShowTrailingText(
        TestLogTitle, [&c] { return c.Log.Text(); }, true);
}

EventSource::EventSource(EventLog& log, std::string source) : log_(log), previous_(std::move(log.source)) {
    log_.source = std::move(source);
}

EventSource::~EventSource() { log_.source = std::move(previous_); }
