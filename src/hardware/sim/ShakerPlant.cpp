#include "hardware/sim/ShakerPlant.h"

#include <cmath>

namespace sim {

namespace {

using namespace std::complex_literals;

// Ratio to the resonance and its damping term of a second-order system.
struct Tuning {
    double r;
    double damping;
};
Tuning At(double hz, double resonanceHz, double q) { return {hz / resonanceHz, hz / resonanceHz / q}; }

} // namespace

void ShakerPlant::Retune(double nowMs, double hz, double level) {
    phaseAtRetune_ = PhaseCycles(nowMs);
    phaseAtRetune_ -= std::floor(phaseAtRetune_);
    retuneMs_ = nowMs;
    hz_ = hz;
    level_ = level;
}

double ShakerPlant::PhaseCycles(double tMs) const { return phaseAtRetune_ + hz_ * (tMs - retuneMs_) / 1000.0; }

std::complex<double> ShakerPlant::TableResponse(double hz) const {
    if (!(hz > 0.0)) return 0.0;
    const Tuning s = At(hz, model_.suspensionHz, model_.suspensionQ);
    const Tuning a = At(hz, model_.armatureHz, model_.armatureQ);
    const std::complex<double> suspension = s.r * s.r / (1.0 - s.r * s.r + 1i * s.damping);
    const std::complex<double> armature = 1.0 / (1.0 - a.r * a.r + 1i * a.damping);
    return model_.fullDriveG * suspension * armature;
}

std::complex<double> ShakerPlant::ChannelResponse(int channel, double hz) const {
    const SensorMounting& sensor = model_.channels.at(static_cast<std::size_t>(channel - 1));
    std::complex<double> response = TableResponse(hz);
    if (sensor.onSpecimen && sensor.modeHz > 0.0) {
        // Base excitation: the mass follows the table below the mode, rises to about
        // Q at it and is left behind above it.
        const Tuning m = At(hz, sensor.modeHz, sensor.modeQ);
        response *= (1.0 + 1i * m.damping) / (1.0 - m.r * m.r + 1i * m.damping);
    }
    return response;
}

double ShakerPlant::ChannelAmplitudeG(int channel) const { return std::abs(ChannelResponse(channel, hz_)) * level_; }

std::vector<std::complex<double>> ShakerPlant::ChannelHarmonicsG(int channel, double nyquistHz) const {
    std::vector<std::complex<double>> amplitudes;
    if (level_ == 0.0 || !(hz_ > 0.0) || hz_ >= nyquistHz) return amplitudes;
    amplitudes.push_back(ChannelResponse(channel, hz_) * level_);
    for (std::size_t i = 0; i < model_.harmonics.size(); ++i) {
        const double order = static_cast<double>(i + 2);
        if (order * hz_ >= nyquistHz) break;
        amplitudes.push_back(ChannelResponse(channel, order * hz_) * level_ * model_.harmonics[i]);
    }
    return amplitudes;
}

} // namespace sim
