#pragma once

#include "hardware/jack/JackClient.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

// Opens the audio server's client again after the server has gone, on a thread of its
// own: with no server the open fails within some 10 to 60 ms, but a server that is up
// and does not answer (stopped, swapping) holds it for as long as it does not, and the
// control cycle must not wait for either.
class ClientReopener {
public:
    // Attempts begin at most once an interval.
    static constexpr std::chrono::milliseconds Interval{1000};

    ClientReopener(std::string clientName, std::string serverName, double driveLimit);

    // Begins an attempt, unless one is under way or the last began within the interval.
    // `dead`, the client the server left, is closed on the next attempt's thread before
    // it opens the new one: closing, too, may wait on the server. Returns whether an
    // attempt began.
    bool Try(std::chrono::steady_clock::time_point now, std::unique_ptr<JackClient> dead = nullptr);
    // The client an attempt has opened, once; else null.
    std::unique_ptr<JackClient> Take();

private:
    // Shared with the attempt's thread, which outlives the reopener if the server
    // holds it; the client it opens is then closed when the thread lets go.
    struct Attempt {
        std::unique_ptr<JackClient> opened;
        std::atomic<bool> done{false};
    };

    std::string clientName_, serverName_;
    double driveLimit_;
    std::shared_ptr<Attempt> attempt_;
    std::unique_ptr<JackClient> dead_;
    std::chrono::steady_clock::time_point lastStart_;
    bool started_ = false;
};
