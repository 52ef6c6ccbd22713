#include "hardware/jack/AudioInterface.h"

#include "core/Units.h"
#include "hardware/EmulatedBoardsDetail.h"
#include "hardware/jack/AudioLibraries.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr auto Width = static_cast<std::size_t>(JackClient::MaxInputs);
constexpr std::int64_t HistoryScans = 16384; // 1.6 s at the boards' rate

} // namespace

void AudioInterface::SoxrDeleter::operator()(soxr* resampler) const {
    // Only a loaded library made one.
    LoadAudioLibraries().soxr_delete(resampler);
}

AudioInterface::AudioInterface(const Clock& clock, AudioInterfaceSettings settings)
    : EmulatedBoards(clock, *this, Setup{}), settings_(std::move(settings)),
      reopener_(settings_.clientName, settings_.serverName, DriveLimit()),
      history_(static_cast<std::size_t>(HistoryScans) * Width) {
    refusedCorrections_ = SetInputCorrection(settings_.inputCorrection);
}

AudioInterface::~AudioInterface() = default;

double AudioInterface::DriveLimit() const {
    return settings_.outputFullScaleVolts > 0.0 ? settings_.DriveLimit() : 0.0;
}

void AudioInterface::OpenClient(std::unique_ptr<JackClient> opened) {
    client_.reset();
    resampler_.reset();
    openError_.clear();
    connectionFaults_.clear();
    try {
        client_ = opened ? std::move(opened)
                         : std::make_unique<JackClient>(settings_.clientName, settings_.serverName, DriveLimit());
    } catch (const JackClientError& error) {
        openError_ = error.what();
        return;
    }
    // A client opened off the cycle has the limit of when it was asked for.
    client_->SetDriveLimit(DriveLimit());
    // The client loaded the libraries.
    calls_ = &LoadAudioLibraries();
    const soxr_io_spec_t io = calls_->soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = calls_->soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    resampler_.reset(calls_->soxr_create(client_->SampleRate(), Unit::ScanRate, Width, &error, &io, &quality, nullptr));
    if (error != nullptr) {
        openError_ = error;
        resampler_.reset();
        client_.reset();
        return;
    }
    captured_.resize(static_cast<std::size_t>(client_->SampleRate()) * Width);
    resampled_.resize((static_cast<std::size_t>(Unit::ScanRate) + 64) * Width);
    produced_ = 0;
    nextScan_ = {-1, -1};
    // The scans a block reads lie two of the server's periods behind the newest
    // resampled scan, so that periods arriving in bursts do not leave a block short.
    marginScans_ = std::max<std::int64_t>(
        64, std::llround(2.0 * client_->Period() * static_cast<double>(Unit::ScanRate) / client_->SampleRate()));
}

DaqHandle AudioInterface::daqOpen(const std::string& deviceName) {
    const bool master = deviceName == "DaqBoard1K0";
    if (!settingsFault_.empty()) {
        client_.reset();
    } else if (master && (!client_ || client_->Gone() || lost_)) {
        if (client_) earlierXruns_ += client_->Xruns();
        OpenClient();
        lost_ = false;
    }
    SetBoardPresent(MasterHandle, client_ != nullptr);
    SetBoardPresent(SlaveHandle, client_ != nullptr);
    if (client_) {
        try {
            client_->AddInputs(master ? emulated_boards_detail::BoardInputs : JackClient::MaxInputs);
        } catch (const JackClientError& error) {
            openError_ = error.what();
            SetBoardPresent(master ? MasterHandle : SlaveHandle, false);
        }
        ConnectPorts(nullptr);
    }
    return EmulatedBoards::daqOpen(deviceName);
}

void AudioInterface::ConnectPorts(const AudioInterfaceSettings* previous) {
    connectionFaults_.clear();
    const auto join = [&](const std::string& ours, const std::string& theirs, const std::string* before) {
        if (before != nullptr) {
            if (*before == theirs) return;
            client_->Disconnect(ours);
        }
        if (theirs.empty()) return;
        if (std::string fault = client_->Connect(ours, theirs); !fault.empty())
            connectionFaults_.push_back(std::move(fault));
    };
    join("drive", settings_.drivePort, previous ? &previous->drivePort : nullptr);
    for (std::size_t k = 0; k < static_cast<std::size_t>(client_->Inputs()); ++k)
        join("in" + std::to_string(k + 1), settings_.inputPorts[k], previous ? &previous->inputPorts[k] : nullptr);
}

std::optional<std::string> AudioInterface::RefusalOf(const AudioInterfaceSettings& next, bool servoOn) const {
    if (servoOn && next.DriveLimit() > settings_.DriveLimit())
        return "The servo is on: turn it off before raising the drive's safety limit (or lowering the output's full "
               "scale).";
    return std::nullopt;
}

void AudioInterface::Apply(const AudioInterfaceSettings& next) {
    const AudioInterfaceSettings previous = settings_;
    settings_ = next;
    settings_.clientName = previous.clientName;
    settings_.serverName = previous.serverName;
    refusedCorrections_ = SetInputCorrection(next.inputCorrection);
    settingsFault_.clear();
    if (!client_ || client_->Gone()) return;
    client_->SetDriveLimit(settings_.DriveLimit());
    ConnectPorts(&previous);
}

std::vector<std::string> AudioInterface::ServerPorts(bool inputs) const {
    if (client_ && !client_->Gone()) return client_->ServerPorts(inputs);
    return JackClient::ServerPorts(settings_.serverName, inputs);
}

int AudioInterface::daqGetLastError(DaqHandle handle, int& errorCode) {
    const int result = EmulatedBoards::daqGetLastError(handle, errorCode);
    // The boards were there to be found; the settings kept them shut.
    if (handle == NoDaqHandle && !settingsFault_.empty()) errorCode = SettingsRefused;
    return result;
}

int AudioInterface::daqFormatError(int errorCode, std::span<char> text) {
    if ((errorCode != ServerGone && errorCode != SettingsRefused) || text.empty())
        return EmulatedBoards::daqFormatError(errorCode, text);
    const std::string explanation =
        errorCode == SettingsRefused ? settingsFault_ : "The audio server has gone away: the drive is off";
    const std::size_t length = std::min(explanation.size(), text.size() - 1);
    std::memcpy(text.data(), explanation.data(), length);
    text[length] = '\0';
    return 0;
}

int AudioInterface::daqIOWrite(DaqHandle handle, int deviceType, int devicePort, int whichDevice, int whichExpPort,
                               int value) {
    if (Gone()) return ServerGone;
    return EmulatedBoards::daqIOWrite(handle, deviceType, devicePort, whichDevice, whichExpPort, value);
}

int AudioInterface::daqAdcTransferBufData(DaqHandle handle, std::span<std::int16_t> buffer, int scanCount,
                                          int bufferMask, int& returnedCount) {
    if (Gone()) {
        returnedCount = 0;
        return ServerGone;
    }
    return EmulatedBoards::daqAdcTransferBufData(handle, buffer, scanCount, bufferMask, returnedCount);
}

bool AudioInterface::Gone() {
    const auto now = std::chrono::steady_clock::now();
    if (client_ && client_->Gone()) {
        lost_ = true;
        inputsBeforeLoss_ = client_->Inputs();
        earlierXruns_ += client_->Xruns();
        resampler_.reset();
        reopener_.Try(now, std::move(client_));
        return true;
    }
    if (!lost_) return false;
    std::unique_ptr<JackClient> opened = reopener_.Take();
    if (!opened || opened->Gone()) {
        reopener_.Try(now, std::move(opened));
        return true;
    }
    OpenClient(std::move(opened));
    try {
        if (client_) {
            client_->AddInputs(inputsBeforeLoss_);
            // The server came back without the connections it had.
            ConnectPorts(nullptr);
        }
    } catch (const JackClientError& error) {
        openError_ = error.what();
        resampler_.reset();
        client_.reset();
    }
    if (!client_) return true;
    lost_ = false;
    heldSilent_ = true;
    ++reconnects_;
    return false;
}

void AudioInterface::DriveChanged(double, double hz, double level) {
    driveHz_ = hz;
    // After a reconnect the unit's latched drive is the one from before the loss (the
    // words that took it to 0 never reached it): the new client plays none until the
    // master has written a drive of 0, as Servo Off and Servo On do.
    if (level == 0.0) heldSilent_ = false;
    // Full drive is the output's full scale; the client holds it under the safety limit.
    if (client_ && !driveHeld_) client_->Aim(hz, heldSilent_ ? 0.0 : level);
}

std::vector<std::string> AudioInterface::SetInputCorrection(const InputCorrections& corrections) {
    std::vector<std::string> refused;
    for (std::size_t k = 0; k < corrections.size(); ++k) {
        const std::optional<std::string> fault = CorrectionFault(corrections[k]);
        if (fault) refused.push_back("the correction of in" + std::to_string(k + 1) + " is refused: " + *fault);
        settings_.inputCorrection[k] = fault ? std::vector<InputCorrectionPoint>{} : corrections[k];
    }
    return refused;
}

void AudioInterface::SetLoopbackInput(int input) {
    if (input >= 1 && input <= AudioInterfaceSettings::Inputs) settings_.loopbackInput = input;
}

bool AudioInterface::HoldDrive(double hz, double amplitude) {
    if (!client_ || Gone()) return false;
    driveHeld_ = true;
    return client_->Aim(hz, amplitude);
}

void AudioInterface::ReleaseDrive() {
    if (!driveHeld_) return;
    driveHeld_ = false;
    if (client_) client_->Aim(client_->AimedHz(), 0.0);
}

std::int64_t AudioInterface::FramesCaptured() {
    TakeCaptured();
    return framesCaptured_;
}

void AudioInterface::Measure(double hz, std::int64_t first, std::int64_t count) {
    meter_.Arm(hz, client_ ? client_->SampleRate() : 0.0, first, count);
}

std::optional<SineMeter::Phasors> AudioInterface::Measurement() const {
    if (!meter_.Done()) return std::nullopt;
    SineMeter::Phasors phasors = meter_.Measured();
    for (std::size_t k = 0; k < phasors.size(); ++k) phasors[k] *= settings_.inputFullScaleVolts[k];
    return phasors;
}

void AudioInterface::TakeCaptured() {
    if (!client_ || !resampler_) return;
    for (;;) {
        const std::size_t frames = client_->ReadFrames(captured_);
        if (frames == 0) return;
        if (meter_.Armed()) meter_.Feed(std::span(captured_).first(frames * Width), framesCaptured_);
        framesCaptured_ += static_cast<std::int64_t>(frames);
        std::size_t used = 0;
        while (used < frames) {
            std::size_t taken = 0, made = 0;
            calls_->soxr_process(resampler_.get(), captured_.data() + used * Width, frames - used, &taken,
                                 resampled_.data(), resampled_.size() / Width, &made);
            for (std::size_t i = 0; i < made; ++i, ++produced_) {
                const auto at = static_cast<std::size_t>(produced_ % HistoryScans) * Width;
                std::copy_n(resampled_.data() + i * Width, Width, history_.data() + at);
            }
            used += taken;
            if (taken == 0 && made == 0) break;
        }
    }
}

double InputMillivolts(float sample, double millivoltsPerUnit) {
    if (std::fabs(sample) >= 1.0f) return std::copysign(std::numeric_limits<double>::infinity(), sample);
    return sample * millivoltsPerUnit;
}

void AudioInterface::Sample(const Scans& scans, std::span<double> millivolts) {
    TakeCaptured();
    const auto board = static_cast<std::size_t>(scans.board);
    const std::int64_t count = scans.end - scans.first;
    std::int64_t& cursor = cursor_[board];
    // A new acquisition, or a stream that has fallen behind the clock or run ahead of
    // it by more than the margin: the block takes the newest scans again, less the
    // margin. The stream and the clock drift apart slowly; this costs a jump of a few
    // scans now and then.
    const std::int64_t lag = produced_ - (cursor + count);
    if (scans.first != nextScan_[board] || lag < 0 || lag > 2 * marginScans_) cursor = produced_ - count - marginScans_;
    const int firstInput = scans.board * emulated_boards_detail::BoardInputs;
    // Each input's millivolts a unit of full scale, divided by its gain at the drive's
    // frequency: a block is short beside the time a sweep takes to move.
    std::array<double, Width> millivoltsPerUnit{};
    for (const std::int32_t place : scans.places) {
        const auto input = static_cast<std::size_t>(firstInput + place);
        millivoltsPerUnit[input] = settings_.inputFullScaleVolts[input] * 1000.0 /
                                   CorrectionGainAt(settings_.inputCorrection[input], driveHz_);
    }
    auto sample = millivolts.begin();
    for (std::int64_t scan = cursor; scan < cursor + count; ++scan) {
        const bool held = !StreamLost() && scan >= 0 && scan < produced_ && scan >= produced_ - HistoryScans;
        for (const std::int32_t place : scans.places) {
            const auto input = static_cast<std::size_t>(firstInput + place);
            const float value = held ? history_[static_cast<std::size_t>(scan % HistoryScans) * Width + input] : 0.0f;
            *sample++ = InputMillivolts(value, millivoltsPerUnit[input]);
        }
    }
    cursor += count;
    nextScan_[board] = scans.end;
}
