#include "hardware/audiobench/BenchAudio.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace audiobench {

namespace {

// The responses are worked out anew every this many samples and approached in a
// straight line in between: the plant's cost stays small at any period size.
constexpr std::size_t ResponseStride = 32;
constexpr double SaturatedSensorVolts = 5.0; // a sensor driven into its supply: beyond every range
constexpr double TinyVolts = 1e-30;

} // namespace

BenchAudio::BenchAudio(const sim::BenchModel& model, double sampleRate)
    : plant_(model), sampleRate_(sampleRate), tracker_(sampleRate), noise_(model.seed),
      orders_(1 + std::min(model.harmonics.size(), MaxHarmonics)) {
    if (model.audioHighPassHz > 0.0) {
        // The bilinear transform with the corner pre-warped, so that the gain there is
        // exactly that of the analogue coupling: 1 / sqrt(2).
        const double k = std::tan(std::numbers::pi * model.audioHighPassHz / sampleRate);
        highPassGain_ = 1.0 / (1.0 + k);
        highPassFeedback_ = (1.0 - k) / (1.0 + k);
    }
}

void BenchAudio::UpdateResponses() {
    const sim::BenchModel& model = plant_.Model();
    const double hz = tracker_.FrequencyHz();
    const bool first = sample_ == 0;
    for (std::size_t k = 0; k < sim::BenchChannels; ++k)
        for (std::size_t h = 0; h < orders_; ++h) {
            const double order = static_cast<double>(h + 1);
            // Harmonics above half the rate are dropped, as an input's anti-alias filter would.
            std::complex<double> target;
            if (order * hz < sampleRate_ / 2.0)
                target = plant_.ChannelResponse(static_cast<int>(k + 1), order * hz) *
                         (h == 0 ? 1.0 : model.harmonics[h - 1]);
            if (first) response_[k][h] = target;
            responseStep_[k][h] = (target - response_[k][h]) / static_cast<double>(ResponseStride);
        }
}

double BenchAudio::ChannelG(std::size_t k, std::complex<double> unitPhasor, double amplitude) {
    const sim::SensorMounting& sensor = plant_.Model().channels[k];
    double g = sensor.noiseG * unitNoise_(noise_);
    const double seconds = static_cast<double>(sample_) / sampleRate_;
    const bool dead = sensor.deadFromSeconds && seconds >= *sensor.deadFromSeconds;
    std::complex<double> turn = unitPhasor;
    for (std::size_t h = 0; h < orders_; ++h) {
        response_[k][h] += responseStep_[k][h];
        if (sensor.fitted && !dead) g += (response_[k][h] * turn).imag() * amplitude;
        turn *= unitPhasor;
    }
    return g;
}

TruthRow BenchAudio::Truth() const {
    TruthRow row;
    row.seconds = static_cast<double>(sample_) / sampleRate_;
    row.frequencyHz = tracker_.FrequencyHz();
    row.drive = tracker_.Amplitude();
    for (std::size_t k = 0; k < sim::BenchChannels; ++k)
        row.fundamentalG[k] = std::abs(plant_.ChannelResponse(static_cast<int>(k + 1), row.frequencyHz)) * row.drive;
    return row;
}

std::span<const TruthRow> BenchAudio::Process(std::span<const float> drive, std::span<float* const> channels) {
    const sim::BenchModel& model = plant_.Model();
    std::size_t rows = 0;
    for (std::size_t n = 0; n < drive.size(); ++n) {
        tracker_.Push(drive[n]);
        if (strideLeft_ == 0) {
            UpdateResponses();
            strideLeft_ = ResponseStride;
        }
        --strideLeft_;
        const std::complex<double> analytic = tracker_.Analytic();
        const double amplitude = std::abs(analytic);
        const std::complex<double> unitPhasor = amplitude > 0.0 ? analytic / amplitude : 0.0;
        const double seconds = static_cast<double>(sample_) / sampleRate_;
        for (std::size_t k = 0; k < sim::BenchChannels; ++k) {
            const sim::SensorMounting& sensor = model.channels[k];
            double volts = ChannelG(k, unitPhasor, amplitude) * sensor.sensitivity / 1000.0;
            if (sensor.fitted && sensor.saturatedFromSeconds && seconds >= *sensor.saturatedFromSeconds)
                volts = SaturatedSensorVolts;
            if (model.audioHighPassHz > 0.0) {
                double coupled = highPassGain_ * (volts - lastVolts_[k]) + highPassFeedback_ * lastCoupled_[k];
                // A silent, noiseless input decays towards denormals, which cost the
                // callback many times an ordinary number.
                if (std::abs(coupled) < TinyVolts) coupled = 0.0;
                lastVolts_[k] = volts;
                lastCoupled_[k] = coupled;
                volts = coupled;
            }
            if (k < channels.size() && channels[k])
                channels[k][n] = static_cast<float>(std::clamp(volts / model.audioFullScaleVolts, -1.0, 1.0));
        }
        if (static_cast<double>(sample_) >= nextTruthSample_) {
            if (rows < truth_.size()) truth_[rows++] = Truth();
            nextTruthSample_ += TruthIntervalSeconds * sampleRate_;
        }
        ++sample_;
    }
    return {truth_.data(), rows};
}

} // namespace audiobench
