#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

// What happened during a session, each event with the controller's time of day: the
// last `Kept` events in memory for the Test Log window and the state, and each one
// appended to the files attached at once (events are rare: each opens the file, adds
// its line and closes it, so nothing waits in a buffer). A
// file that fails is written no more until it is attached again; the failure is an
// event of its own, so the operator sees it in the window.
struct LoggedEvent {
    std::string time; // yyyy-mm-dd hh:mm:ss.mmm
    std::string text;
};

class EventLog {
public:
    static constexpr std::size_t Kept = 10000;

    void Add(std::string time, std::string text);
    const std::deque<LoggedEvent>& Events() const { return events_; }
    // Every event ever added, the evicted ones too: a window follows the log by it.
    std::uint64_t Count() const { return count_; }
    // The kept events as lines of `time<TAB>text`, the newest last.
    std::string Text() const;

    // The file of the whole session (the runner's --log): every event from now on.
    // A file that cannot be opened is told as an event at `now`.
    void AttachSessionFile(const std::string& path, const std::string& now);
    // The file of the present test: the events since the last test ended, then each new
    // one, until `TestEnded`.
    void AttachTestFile(const std::string& path, const std::string& now);
    const std::string& TestFilePath() const { return test_.path; }
    // Why the session's file failed; empty while it has not.
    const std::string& SessionFileFault() const { return session_.fault; }
    // The events from here on belong to the next test.
    void TestEnded();

    // Where the events come from when not from the operator in the window ("remote",
    // "script"): put before each text while set.
    std::string source;

private:
    struct File {
        std::string path; // empty: none attached
        std::string fault;
    };
    void Open(File& file, const std::string& path, std::size_t backlog, const std::string& now);
    void Write(File& file, const LoggedEvent& event);

    std::deque<LoggedEvent> events_;
    std::uint64_t count_ = 0;
    std::uint64_t testBegins_ = 0; // Count() when the last test ended
    File session_;
    File test_;
};

// The time of an event: `date` a day serial, `seconds` since midnight, to the millisecond.
std::string EventTimeText(double date, double seconds);
