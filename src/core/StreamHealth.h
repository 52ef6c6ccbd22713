#pragma once

#include <cstdint>

// What a backend that streams in real time tells the operator about its stream: the
// periods the server missed, whether the stream has gone, and how often it came back.
class StreamHealth {
public:
    virtual ~StreamHealth() = default;
    virtual std::int64_t Xruns() const = 0;
    // The stream has gone and is not yet back: the boards behind it are silent.
    virtual bool StreamLost() const = 0;
    // How often the stream came back after it had gone.
    virtual int Reconnects() const = 0;
};
