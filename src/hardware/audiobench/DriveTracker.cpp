#include "hardware/audiobench/DriveTracker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace audiobench {

namespace {

// The running sums forget with a time constant of this many periods of the tracked
// frequency: long enough that the ripple an amplitude ramp puts into one period averages
// out, short enough to follow a fast sweep.
constexpr double SmoothingPeriods = 1.0;
// Bounds of that time constant in seconds: below 2 Hz the sums stop lengthening.
constexpr double ShortestSmoothingSeconds = 0.0001;
constexpr double LongestSmoothingSeconds = 0.5;
// Below this sin(w) the quadrature part is not worth the noise it amplifies.
constexpr double SmallestSinStep = 1e-9;

} // namespace

DriveTracker::DriveTracker(double sampleRate) : sampleRate_(sampleRate) {}

void DriveTracker::Push(double sample) {
    const double next = sample;
    // Silence adds nothing: the sums keep the last frequency instead of decaying into
    // denormals.
    if (previous_ != 0.0 || middle_ != 0.0 || next != 0.0) {
        const double periodSeconds = frequencyHz_ > 0.0 ? 1.0 / frequencyHz_ : LongestSmoothingSeconds;
        const double smoothingSeconds =
            std::clamp(SmoothingPeriods * periodSeconds, ShortestSmoothingSeconds, LongestSmoothingSeconds);
        const double keep = std::exp(-1.0 / (smoothingSeconds * sampleRate_));
        sumSquares_ = keep * sumSquares_ + 2.0 * middle_ * middle_;
        sumProducts_ = keep * sumProducts_ + middle_ * (previous_ + next);
        if (sumSquares_ > 0.0) {
            cosStep_ = std::clamp(sumProducts_ / sumSquares_, -1.0, 1.0);
            frequencyHz_ = std::acos(cosStep_) * sampleRate_ / (2.0 * std::numbers::pi);
        }
    }
    const double sinStep = std::sqrt(1.0 - cosStep_ * cosStep_);
    const double quadrature = sinStep > SmallestSinStep ? (next - previous_) / (2.0 * sinStep) : 0.0;
    analytic_ = {quadrature, middle_};
    previous_ = middle_;
    middle_ = next;
}

} // namespace audiobench
