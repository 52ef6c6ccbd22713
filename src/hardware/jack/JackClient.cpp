#include "hardware/jack/JackClient.h"

#include "hardware/jack/AudioLibraries.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <string_view>
#include <thread>

namespace {

constexpr std::size_t ScratchFrames = 8192;
constexpr std::size_t CapturedFrames = 65536; // 1.3 s at 48 kHz, 0.34 s at 192 kHz

jack_client_t* OpenClient(const AudioLibraries& calls, const std::string& clientName, const std::string& serverName) {
    jack_status_t status{};
    // The controller never starts a server of its own: which server, at which rate, on
    // which device is the lab's choice.
    jack_client_t* client =
        serverName.empty() ? calls.jack_client_open(clientName.c_str(), JackNoStartServer, &status)
                           : calls.jack_client_open(clientName.c_str(),
                                                    static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                                    &status, serverName.c_str());
    if (client == nullptr)
        throw JackClientError(serverName.empty() ? "no audio server answers"
                                                 : "the audio server '" + serverName + "' does not answer");
    return client;
}

std::vector<std::string> ListPorts(const AudioLibraries& calls, jack_client_t* client, bool inputs) {
    std::vector<std::string> names;
    const char** ports =
        calls.jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, inputs ? JackPortIsInput : JackPortIsOutput);
    if (ports == nullptr) return names;
    const std::string own = std::string(calls.jack_get_client_name(client)) + ":";
    for (const char** port = ports; *port != nullptr; ++port)
        if (!std::string_view(*port).starts_with(own)) names.emplace_back(*port);
    calls.jack_free(static_cast<void*>(ports));
    return names;
}

} // namespace

struct JackCallbacks {
    static int Process(jack_nframes_t frames, void* arg) {
        JackClient& self = *static_cast<JackClient*>(arg);
        if (const double limit = self.driveLimit_.load(std::memory_order_relaxed); limit != self.ramp_.Limit())
            self.ramp_.SetLimit(limit);
        JackClient::DriveAim aim;
        bool aimed = false;
        while (self.aims_.Read(std::span(&aim, 1)) == 1) aimed = true;
        if (aimed) self.ramp_.Aim(aim.hz, aim.amplitude);
        auto* drive = static_cast<float*>(self.calls_->jack_port_get_buffer(self.drivePort_, frames));
        self.ramp_.Render(std::span(drive, frames));
        self.driveAmplitude_.store(self.ramp_.Amplitude(), std::memory_order_relaxed);

        const std::size_t count = std::min<std::size_t>(frames, ScratchFrames);
        const int inputs = self.inputs_.load(std::memory_order_acquire);
        constexpr auto width = static_cast<std::size_t>(JackClient::MaxInputs);
        for (int k = 0; k < JackClient::MaxInputs; ++k) {
            const auto column = static_cast<std::size_t>(k);
            const float* in =
                k < inputs
                    ? static_cast<const float*>(self.calls_->jack_port_get_buffer(self.inputPorts_[column], frames))
                    : nullptr;
            for (std::size_t i = 0; i < count; ++i) self.frameScratch_[i * width + column] = in ? in[i] : 0.0f;
        }
        if (!self.captured_.Write(std::span<const float>(self.frameScratch_.data(), count * width)))
            self.overruns_.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }
    static int Xrun(void* arg) {
        static_cast<JackClient*>(arg)->xruns_.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }
    static void Shutdown(jack_status_t, const char*, void* arg) {
        static_cast<JackClient*>(arg)->gone_.store(true, std::memory_order_release);
    }
};

JackClient::JackClient(const std::string& clientName, const std::string& serverName, double driveLimit)
    : calls_(&LoadAudioLibraries()), client_(OpenClient(*calls_, clientName, serverName)),
      sampleRate_(calls_->jack_get_sample_rate(client_)), ramp_(sampleRate_, RampSeconds, driveLimit),
      captured_(CapturedFrames * MaxInputs), driveLimit_(ramp_.Limit()) {
    drivePort_ = calls_->jack_port_register(client_, "drive", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (drivePort_ == nullptr || calls_->jack_set_process_callback(client_, &JackCallbacks::Process, this) != 0 ||
        calls_->jack_set_xrun_callback(client_, &JackCallbacks::Xrun, this) != 0) {
        calls_->jack_client_close(client_);
        throw JackClientError("the audio server refused the drive port");
    }
    calls_->jack_on_info_shutdown(client_, &JackCallbacks::Shutdown, this);
    if (calls_->jack_activate(client_) != 0) {
        calls_->jack_client_close(client_);
        throw JackClientError("the audio server would not start the client");
    }
}

JackClient::~JackClient() {
    WaitForSilence();
    calls_->jack_deactivate(client_);
    calls_->jack_client_close(client_);
}

void JackClient::WaitForSilence() {
    Aim(aimedHz_, 0.0);
    // The ramp takes RampSeconds once the next period has taken the aim; a server that
    // stopped calling is not waited for beyond that.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
    while (!Gone() && DriveAmplitude() > 0.0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // One more period plays the 0 the ramp ended on.
    if (!Gone())
        std::this_thread::sleep_for(
            std::chrono::duration<double>(2.0 * calls_->jack_get_buffer_size(client_) / sampleRate_));
}

std::uint32_t JackClient::Period() const { return calls_->jack_get_buffer_size(client_); }

void JackClient::AddInputs(int count) {
    for (int k = Inputs(); k < std::min(count, MaxInputs); ++k) {
        const std::string name = "in" + std::to_string(k + 1);
        jack_port_t* port =
            calls_->jack_port_register(client_, name.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        if (port == nullptr) throw JackClientError("the audio server refused the port " + name);
        inputPorts_[static_cast<std::size_t>(k)] = port;
        inputs_.store(k + 1, std::memory_order_release);
    }
}

std::string JackClient::PortName(const std::string& shortName) const {
    return std::string(calls_->jack_get_client_name(client_)) + ":" + shortName;
}

std::string JackClient::Connect(const std::string& shortName, const std::string& other) {
    const std::string ours = PortName(shortName);
    if (calls_->jack_port_by_name(client_, other.c_str()) == nullptr)
        return "cannot connect " + ours + ": the audio server has no port " + other;
    const bool drive = shortName == "drive";
    const std::string& source = drive ? ours : other;
    const std::string& destination = drive ? other : ours;
    const int result = calls_->jack_connect(client_, source.c_str(), destination.c_str());
    if (result == 0 || result == EEXIST) return "";
    return "the audio server refused to connect " + source + " to " + destination;
}

void JackClient::Disconnect(const std::string& shortName) {
    jack_port_t* port = calls_->jack_port_by_name(client_, PortName(shortName).c_str());
    if (port != nullptr) calls_->jack_port_disconnect(client_, port);
}

std::vector<std::string> JackClient::ServerPorts(bool inputs) const { return ListPorts(*calls_, client_, inputs); }

std::vector<std::string> JackClient::ServerPorts(const std::string& serverName, bool inputs) {
    try {
        const AudioLibraries& calls = LoadAudioLibraries();
        jack_client_t* client = OpenClient(calls, "zek8-setup", serverName);
        std::vector<std::string> names = ListPorts(calls, client, inputs);
        calls.jack_client_close(client);
        return names;
    } catch (const JackClientError&) {
        return {};
    }
}

void JackClient::SetDriveLimit(double limit) {
    driveLimit_.store(std::isfinite(limit) ? std::clamp(limit, 0.0, 1.0) : 0.0, std::memory_order_relaxed);
}

bool JackClient::Aim(double hz, double amplitude) {
    const DriveAim aim{hz, amplitude};
    aimedHz_ = hz;
    return aims_.Write(std::span(&aim, 1));
}

std::size_t JackClient::ReadFrames(std::span<float> frames) {
    constexpr auto width = static_cast<std::size_t>(MaxInputs);
    const std::size_t whole = std::min(frames.size(), captured_.ReadAvailable()) / width * width;
    return captured_.Read(frames.first(whole)) / width;
}
