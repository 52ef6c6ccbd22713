#pragma once

#include "hardware/jack/DriveRamp.h"
#include "hardware/jack/SpscRing.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

struct AudioLibraries;
struct _jack_client;
struct _jack_port;

// No audio server could be reached, or it refused the client; the text says why.
struct JackClientError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The client of the audio server: one output port `drive`, input ports `in1`.. as the
// boards ask for them. The server's process thread plays the drive from the newest aim
// and captures the inputs; it meets the control thread only through lock-free rings and
// atomics, so it never allocates, locks or calls the system.
class JackClient {
public:
    static constexpr int MaxInputs = 16;
    // The drive moves to each new aim within this time: short enough for a stop to be
    // silent well within 50 ms, long enough for full scale to fall by 0.23 % a sample
    // at 44.1 kHz.
    static constexpr double RampSeconds = 0.01;

    // Loads the client library, opens the client and starts the process thread; an empty server name is the
    // server's default. `driveLimit`: the largest drive, a fraction of full scale.
    // Throws JackClientError.
    JackClient(const std::string& clientName, const std::string& serverName, double driveLimit);
    // Takes the drive to 0 along its ramp (waiting at most a few periods) before the
    // client leaves the server.
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    double SampleRate() const { return sampleRate_; }
    // Frames the server hands over at a time.
    std::uint32_t Period() const;
    // Registers inputs up to in`count`, if not already there.
    void AddInputs(int count);
    int Inputs() const { return inputs_.load(std::memory_order_acquire); }
    std::string PortName(const std::string& shortName) const;
    // Connects the client's port `shortName` (`drive`, `inK`) with the server's port
    // `other`; an existing connection is kept. Empty when done, else why not.
    std::string Connect(const std::string& shortName, const std::string& other);
    // Drops every connection of the client's port `shortName`.
    void Disconnect(const std::string& shortName);
    // The audio ports of the server's other clients that take a signal (`inputs`) or
    // give one, by full name.
    std::vector<std::string> ServerPorts(bool inputs) const;
    // The same from the server `serverName` (empty: the default), through a client of
    // its own for the moment; none when no server answers.
    static std::vector<std::string> ServerPorts(const std::string& serverName, bool inputs);

    // The largest drive from the next period on, a fraction of full scale: a lower one
    // takes the drive down along the ramp.
    void SetDriveLimit(double limit);

    // The drive from now on: `amplitude` a fraction of full scale. Returns false when the
    // process thread has not taken the aims before it.
    bool Aim(double hz, double amplitude);
    double AimedHz() const { return aimedHz_; }
    // Captured frames, each MaxInputs samples wide (inputs not registered read 0),
    // oldest first; returns the number of whole frames read.
    std::size_t ReadFrames(std::span<float> frames);

    // The server shut down or threw the client out.
    bool Gone() const { return gone_.load(std::memory_order_acquire); }
    std::int64_t Xruns() const { return xruns_.load(std::memory_order_relaxed); }
    // Periods whose capture found the ring full and was dropped.
    std::int64_t Overruns() const { return overruns_.load(std::memory_order_relaxed); }
    double DriveAmplitude() const { return driveAmplitude_.load(std::memory_order_relaxed); }

private:
    struct DriveAim {
        double hz = 0.0;
        double amplitude = 0.0;
    };
    friend struct JackCallbacks; // the server's callbacks, in the source
    void WaitForSilence();

    const AudioLibraries* calls_;
    _jack_client* client_ = nullptr;
    _jack_port* drivePort_ = nullptr;
    std::array<_jack_port*, MaxInputs> inputPorts_{};
    std::atomic<int> inputs_{0};
    double sampleRate_ = 0.0;
    DriveRamp ramp_;       // the process thread's alone
    double aimedHz_ = 0.0; // the control thread's newest aim
    SpscRing<DriveAim> aims_{64};
    SpscRing<float> captured_;
    std::array<float, 8192 * MaxInputs> frameScratch_{}; // one period's frames, interleaved
    std::atomic<bool> gone_{false};
    std::atomic<std::int64_t> xruns_{0};
    std::atomic<std::int64_t> overruns_{0};
    std::atomic<double> driveAmplitude_{0.0};
    std::atomic<double> driveLimit_{0.0}; // the control thread's newest, as the ramp holds it
    // The process thread may not wait on a lock hidden in an atomic.
    static_assert(std::atomic<double>::is_always_lock_free && std::atomic<std::int64_t>::is_always_lock_free &&
                  std::atomic<std::size_t>::is_always_lock_free);
};
