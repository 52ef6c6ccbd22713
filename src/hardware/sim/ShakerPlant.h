#pragma once

#include "hardware/sim/BenchSetup.h"

#include <complex>
#include <utility>
#include <vector>

namespace sim {

// The amplifier, shaker and mountings of a bench as linear frequency responses, and
// the sine source that drives them. The source keeps its phase across every change of
// frequency, so the motion it produces is continuous in time.
class ShakerPlant {
public:
    explicit ShakerPlant(BenchModel model) : model_(std::move(model)) {}

    // From `nowMs` on the source runs at `hz` with `level` of full output.
    void Retune(double nowMs, double hz, double level);
    double FrequencyHz() const { return hz_; }
    double Level() const { return level_; }
    // The source's phase in cycles at a time not before the last retune.
    double PhaseCycles(double tMs) const;

    // Table acceleration in G per unit drive at `hz`: suspension and armature.
    std::complex<double> TableResponse(double hz) const;
    // What channel 1..16's sensor feels per unit drive: the table, seen through the
    // base-excited specimen mode when it sits on one.
    std::complex<double> ChannelResponse(int channel, double hz) const;
    // The fundamental's amplitude, G peak, at the present drive.
    double ChannelAmplitudeG(int channel) const;
    // The motion under channel 1..16 at the present drive as complex amplitudes in G of
    // the fundamental and each harmonic below `nyquistHz` (those above are dropped, as
    // the board's input filter removes them): sample = sum of Im(c[h] e^{i 2 pi (h+1) phase}).
    std::vector<std::complex<double>> ChannelHarmonicsG(int channel, double nyquistHz) const;

    const BenchModel& Model() const { return model_; }
    BenchModel& Model() { return model_; }

private:
    BenchModel model_;
    double hz_ = 0.0;
    double level_ = 0.0;
    double phaseAtRetune_ = 0.0;
    double retuneMs_ = 0.0;
};

} // namespace sim
