#include "JackBenchClient.h"

#include <span>
#include <type_traits>

namespace {

constexpr const char* ClientName = "zek8-bench";
// Rows for ten seconds: the writer falls that far behind only when the disk stalls.
constexpr std::size_t RingRows = 100;

static_assert(std::is_trivially_copyable_v<audiobench::TruthRow>, "rows go through the ring as bytes");

} // namespace

JackBenchClient::JackBenchClient(const sim::BenchModel& model, const std::string& server) {
    jack_status_t status{};
    const auto options = static_cast<jack_options_t>(JackNoStartServer | (server.empty() ? 0 : JackServerName));
    client_ = jack_client_open(ClientName, options, &status, server.c_str());
    if (!client_)
        throw Error("no JACK server " + (server.empty() ? std::string("(the default)") : "'" + server + "'") +
                    " answers (status " + std::to_string(static_cast<unsigned>(status)) + ")");
    if (status & JackNameNotUnique) {
        jack_client_close(client_);
        throw Error(std::string("another client is already called ") + ClientName);
    }
    sampleRate_ = jack_get_sample_rate(client_);
    audio_.emplace(model, sampleRate_);
    ring_ = jack_ringbuffer_create(RingRows * sizeof(audiobench::TruthRow));
    drive_ = jack_port_register(client_, "drive", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    bool registered = ring_ && drive_;
    for (std::size_t k = 0; k < channels_.size(); ++k) {
        const std::string name = "ch" + std::to_string(k + 1);
        channels_[k] = jack_port_register(client_, name.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        registered = registered && channels_[k];
    }
    jack_set_process_callback(client_, &JackBenchClient::Process, this);
    jack_on_shutdown(client_, &JackBenchClient::Shutdown, this);
    if (!registered || jack_activate(client_) != 0) {
        jack_client_close(client_);
        if (ring_) jack_ringbuffer_free(ring_);
        throw Error("the JACK server refused the bench's ports");
    }
}

JackBenchClient::~JackBenchClient() {
    if (!serverGone_.load()) jack_deactivate(client_);
    jack_client_close(client_);
    jack_ringbuffer_free(ring_);
}

int JackBenchClient::Process(jack_nframes_t frames, void* self) {
    auto& bench = *static_cast<JackBenchClient*>(self);
    const auto* drive = static_cast<const float*>(jack_port_get_buffer(bench.drive_, frames));
    std::array<float*, sim::BenchChannels> outputs{};
    for (std::size_t k = 0; k < outputs.size(); ++k)
        outputs[k] = static_cast<float*>(jack_port_get_buffer(bench.channels_[k], frames));
    for (const audiobench::TruthRow& row : bench.audio_->Process(std::span(drive, frames), outputs)) {
        if (jack_ringbuffer_write_space(bench.ring_) < sizeof row) {
            bench.lostRows_.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        jack_ringbuffer_write(bench.ring_, reinterpret_cast<const char*>(&row), sizeof row);
    }
    return 0;
}

void JackBenchClient::Shutdown(void* self) { static_cast<JackBenchClient*>(self)->serverGone_.store(true); }

void JackBenchClient::WriteTruthHeader(std::ostream& out) {
    out << "seconds,frequency_hz,drive";
    for (std::size_t k = 1; k <= sim::BenchChannels; ++k) out << ",ch" << k << "_g";
    out << '\n';
}

void JackBenchClient::WriteTruth(std::ostream& out) {
    audiobench::TruthRow row;
    while (jack_ringbuffer_read_space(ring_) >= sizeof row) {
        jack_ringbuffer_read(ring_, reinterpret_cast<char*>(&row), sizeof row);
        out << row.seconds << ',' << row.frequencyHz << ',' << row.drive;
        for (const double g : row.fundamentalG) out << ',' << g;
        out << '\n';
    }
    out.flush();
}
