#include "hardware/jack/InputCalibration.h"

#include "hardware/jack/AudioInterface.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <sstream>

namespace {

constexpr double LowestHz = 2.0, BendsBelowHz = 40.0, FlatAboveHz = 640.0, HighestHz = 10000.0;
// A step waits this long, and at least one and a half cycles, before it measures: the
// coupling's own response to the change of frequency dies away (a 3 Hz corner's in 53 ms
// a time constant, and the steps above 40 Hz barely change what it passes), and the round
// trip through the server is a few periods more. It measures whole cycles, at least one
// and at least 0.1 s of them.
constexpr double SettleSeconds = 0.1, SettleCycles = 1.5;
constexpr double MeasureSeconds = 0.1;

std::string Shown(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

} // namespace

double InputCalibration::DriveLevel(double outputFullScaleVolts, double safetyLimitVolts) {
    const double limit = outputFullScaleVolts > 0.0 ? safetyLimitVolts / outputFullScaleVolts : 0.0;
    return std::clamp(std::min(0.1, 0.5 * limit), 0.0, 0.1);
}

std::vector<double> InputCalibration::StepFrequencies() {
    std::vector<double> steps;
    // From `from` up to (not including) `to`, `perOctave` steps an octave.
    const auto stepsOver = [&steps](double from, double to, double perOctave) {
        for (int i = 0; from * std::exp2(i / perOctave) < to; ++i) steps.push_back(from * std::exp2(i / perOctave));
    };
    stepsOver(LowestHz, BendsBelowHz, 4.0);
    stepsOver(BendsBelowHz, FlatAboveHz, 2.0);
    stepsOver(FlatAboveHz, HighestHz, 1.0);
    steps.push_back(HighestHz);
    return steps;
}

InputCalibration::~InputCalibration() {
    if (Running()) audio_->ReleaseDrive();
}

std::optional<std::string> InputCalibration::Start(AudioInterface* audio, bool servoOn) {
    if (Running()) return "the inputs are being calibrated already";
    if (audio == nullptr) return "there is no audio interface to calibrate: System / Interface is not USB";
    const JackClient* client = audio->Client();
    if (client == nullptr || client->Gone()) return "no audio server answers: the inputs cannot be calibrated";
    if (servoOn) return "turn the servo off first: the calibration plays a drive of its own";
    const int loopback = audio->Settings().loopbackInput;
    if (loopback < 1 || loopback > client->Inputs())
        return "the loop-back input in" + std::to_string(loopback) + " is not registered (the interface has " +
               std::to_string(client->Inputs()) + " inputs)";
    const AudioInterfaceSettings& settings = audio->Settings();
    level_ = DriveLevel(settings.outputFullScaleVolts, settings.safetyLimitVolts);
    if (!(level_ > 0.0)) return "the safety limit allows no drive to calibrate with";
    audio_ = audio;
    inputs_ = client->Inputs();
    steps_ = StepFrequencies();
    step_ = 0;
    measuring_ = false;
    measured_ = {};
    message_.clear();
    state_ = State::Running;
    return std::nullopt;
}

void InputCalibration::Advance(bool servoOn) {
    if (!Running()) return;
    const JackClient* client = audio_->Client();
    if (client == nullptr || client->Gone()) return Fail("the audio server has gone away");
    if (servoOn) return Fail("Servo On ended the calibration");
    const std::int64_t frames = audio_->FramesCaptured();
    if (measuring_) {
        if (!audio_->Measurement()) return;
        measuring_ = false;
        Record(step_);
        if (Running() && ++step_ == steps_.size()) Finish();
        if (!Running()) return;
    }
    // The next step starts at once, not a cycle later. A full ring of aims is taken at
    // the next period: the step starts again at the next call.
    const double hz = steps_[step_];
    if (!audio_->HoldDrive(hz, level_)) return;
    const double rate = client->SampleRate();
    const double settle = std::max(SettleSeconds, SettleCycles / hz) * rate + 4.0 * client->Period();
    const double cycles = std::max(1.0, std::ceil(MeasureSeconds * hz));
    audio_->Measure(hz, frames + std::llround(settle), std::llround(cycles * rate / hz));
    measuring_ = true;
}

void InputCalibration::Record(std::size_t step) {
    const SineMeter::Phasors phasors = *audio_->Measurement();
    const AudioInterfaceSettings& settings = audio_->Settings();
    const double driveVolts = level_ * settings.outputFullScaleVolts;
    const std::complex<double> loopback = phasors[static_cast<std::size_t>(settings.loopbackInput - 1)];
    const double loopbackGain = std::abs(loopback) / driveVolts;
    if (!(loopbackGain >= LowestCorrectionGain && loopbackGain <= HighestCorrectionGain))
        return Fail("the loop-back input in" + std::to_string(settings.loopbackInput) + " reads " +
                    Shown(loopbackGain) + " V a volt of drive at " + Shown(steps_[step]) +
                    " Hz: is the drive cabled to it?");
    for (std::size_t k = 0; k < static_cast<std::size_t>(inputs_); ++k)
        measured_[k].push_back({steps_[step], std::abs(phasors[k]) / driveVolts,
                                std::arg(phasors[k] / loopback) * 180.0 / std::numbers::pi});
}

void InputCalibration::Finish() {
    audio_->ReleaseDrive();
    const std::vector<std::string> refused =
        audio_->SetInputCorrection(CorrectionsFromCalibration(measured_, audio_->Settings().loopbackInput));
    state_ = State::Done;
    // The loop-back input's own correction passed the same test as each step; only an
    // input that read the drive with a gain outside the range could be refused.
    for (const std::string& line : refused) message_ += (message_.empty() ? "" : "\n") + line;
}

void InputCalibration::Cancel() {
    if (Running()) Fail("the calibration was cancelled", State::Cancelled);
}

void InputCalibration::Fail(const std::string& why, State state) {
    audio_->ReleaseDrive();
    audio_->Measure(0.0, 0, 0);
    state_ = state;
    message_ = why;
}

double InputCalibration::Progress() const {
    if (state_ == State::Done) return 1.0;
    return steps_.empty() ? 0.0 : static_cast<double>(step_) / static_cast<double>(steps_.size());
}
