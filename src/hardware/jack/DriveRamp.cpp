#include "hardware/jack/DriveRamp.h"

#include <algorithm>
#include <cmath>
#include <numbers>

DriveRamp::DriveRamp(double sampleRate, double rampSeconds, double limit)
    : sampleRate_(sampleRate), rampSamples_(std::max(1, static_cast<int>(std::lround(rampSeconds * sampleRate)))),
      limit_(std::isfinite(limit) ? std::clamp(limit, 0.0, 1.0) : 0.0) {}

void DriveRamp::SetLimit(double limit) {
    limit_ = std::isfinite(limit) ? std::clamp(limit, 0.0, 1.0) : 0.0;
    // A raised limit gives the drive no more than it was last asked for; a lowered one
    // takes the drive down to it within the ramp's time, with no step.
    Aim(aimHz_, requestedAmplitude_);
}

void DriveRamp::Aim(double hz, double amplitude) {
    // Above half the sample rate the sine would fold back as another frequency.
    aimHz_ = std::isfinite(hz) ? std::clamp(hz, 0.0, sampleRate_ / 2.0) : hz_;
    requestedAmplitude_ = amplitude;
    aimAmplitude_ = std::isfinite(amplitude) ? std::clamp(amplitude, 0.0, limit_) : 0.0;
    remaining_ = rampSamples_;
    hzStep_ = (aimHz_ - hz_) / rampSamples_;
    amplitudeStep_ = (aimAmplitude_ - amplitude_) / rampSamples_;
}

void DriveRamp::Render(std::span<float> samples) {
    for (float& sample : samples) {
        if (remaining_ > 0) {
            hz_ += hzStep_;
            amplitude_ += amplitudeStep_;
            // The last step lands on the aim itself, free of the sum's rounding.
            if (--remaining_ == 0) {
                hz_ = aimHz_;
                amplitude_ = aimAmplitude_;
            }
        }
        phaseCycles_ += hz_ / sampleRate_;
        phaseCycles_ -= std::floor(phaseCycles_);
        sample = static_cast<float>(amplitude_ * std::sin(2.0 * std::numbers::pi * phaseCycles_));
    }
}
