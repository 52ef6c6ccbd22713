#pragma once

#include "hardware/audiobench/BenchAudio.h"
#include "hardware/sim/BenchSetup.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

#include <jack/jack.h>
#include <jack/ringbuffer.h>

// The simulated bench as a JACK client: input port `drive`, output ports `ch1` .. `ch16`,
// the samples made by BenchAudio in the process callback. The rows of truth leave the
// callback through a lock-free ring; the program's own thread writes them out.
class JackBenchClient {
public:
    struct Error : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // Connects to `server` (JACK's default if empty) without starting one, and activates.
    JackBenchClient(const sim::BenchModel& model, const std::string& server);
    ~JackBenchClient();
    JackBenchClient(const JackBenchClient&) = delete;
    JackBenchClient& operator=(const JackBenchClient&) = delete;

    // Writes the rows of truth waiting in the ring as CSV lines.
    void WriteTruth(std::ostream& out);
    static void WriteTruthHeader(std::ostream& out);
    // The server stopped or threw the client out.
    bool ServerGone() const { return serverGone_.load(); }
    std::uint64_t LostRows() const { return lostRows_.load(); }
    double SampleRate() const { return sampleRate_; }

private:
    static int Process(jack_nframes_t frames, void* self);
    static void Shutdown(void* self);

    jack_client_t* client_ = nullptr;
    jack_port_t* drive_ = nullptr;
    std::array<jack_port_t*, sim::BenchChannels> channels_{};
    jack_ringbuffer_t* ring_ = nullptr;
    double sampleRate_ = 0.0;
    std::optional<audiobench::BenchAudio> audio_;
    std::atomic<bool> serverGone_{false};
    std::atomic<std::uint64_t> lostRows_{0};
};
