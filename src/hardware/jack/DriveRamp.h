#pragma once

#include <span>

// The drive as samples: a sine of continuous phase whose frequency and amplitude move
// to each new aim along a straight ramp, sample by sample, so that a new word never
// makes a step, a jump of phase or a click. The amplitude is a fraction of the output's
// full scale and never exceeds the limit given; an aim that is not a number, or is
// negative, is taken as 0.
class DriveRamp {
public:
    // `limit`: the largest amplitude ever played, at most 1 (full scale).
    DriveRamp(double sampleRate, double rampSeconds, double limit);

    void Aim(double hz, double amplitude);
    // A new largest amplitude; a drive above it falls to it along the ramp.
    void SetLimit(double limit);
    double Limit() const { return limit_; }
    void Render(std::span<float> samples);

    double Hz() const { return hz_; }
    double Amplitude() const { return amplitude_; }
    // The ramp has reached its aim.
    bool Settled() const { return remaining_ == 0; }

private:
    double sampleRate_;
    int rampSamples_;
    double limit_;
    double requestedAmplitude_ = 0.0; // the aim before the limit held it
    double phaseCycles_ = 0.0;        // in [0, 1)
    double hz_ = 0.0, amplitude_ = 0.0;
    double hzStep_ = 0.0, amplitudeStep_ = 0.0;
    double aimHz_ = 0.0, aimAmplitude_ = 0.0;
    int remaining_ = 0;
};
