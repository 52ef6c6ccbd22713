#pragma once

#include "hardware/jack/SpscRing.h"

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <span>
#include <string>
#include <thread>
#include <vector>

// A client of the test's own with one input, `probe:in`, keeping every sample.
class Probe {
public:
    explicit Probe(const std::string& server) {
        using namespace std::chrono_literals;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (client_ == nullptr && std::chrono::steady_clock::now() < deadline) {
            client_ = jack_client_open("probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                       nullptr, server.c_str());
            if (client_ == nullptr) std::this_thread::sleep_for(50ms);
        }
        if (client_ == nullptr) return;
        in_ = jack_port_register(client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client_, &Probe::Process, this);
        jack_set_xrun_callback(client_, &Probe::Xrun, this);
        jack_activate(client_);
    }
    ~Probe() { client_ != nullptr&& jack_client_close(client_); }
    bool Ready() const { return client_ != nullptr; }
    bool Connect(const std::string& from, const std::string& to) {
        return jack_connect(client_, from.c_str(), to.c_str()) == 0;
    }
    bool Disconnect(const std::string& from, const std::string& to) {
        return jack_disconnect(client_, from.c_str(), to.c_str()) == 0;
    }
    // The ports `probe:in` is connected from.
    std::vector<std::string> Sources() const {
        std::vector<std::string> names;
        if (const char** ports = jack_port_get_connections(in_)) {
            for (const char** port = ports; *port != nullptr; ++port) names.emplace_back(*port);
            jack_free(static_cast<void*>(ports));
        }
        return names;
    }
    std::size_t Recorded() const { return ring_.ReadAvailable(); }
    // The server's xruns since the probe came: a period lost leaves a seam in what it
    // recorded that no client played.
    int Xruns() const { return xruns_.load(); }
    std::vector<float> Take() {
        std::vector<float> samples(ring_.ReadAvailable());
        ring_.Read(samples);
        return samples;
    }

private:
    static int Xrun(void* arg) {
        ++static_cast<Probe*>(arg)->xruns_;
        return 0;
    }
    static int Process(jack_nframes_t frames, void* arg) {
        auto& self = *static_cast<Probe*>(arg);
        self.ring_.Write(std::span(static_cast<const float*>(jack_port_get_buffer(self.in_, frames)), frames));
        return 0;
    }
    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    std::atomic<int> xruns_{0};
    SpscRing<float> ring_{1 << 20};
};
