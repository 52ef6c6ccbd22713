#pragma once

#include <complex>

namespace audiobench {

// Follows a sine drive from its samples: frequency, amplitude and phase, one sample
// behind. For a sine x[n] = A sin(theta[n]) at w radians a sample, every three
// neighbouring samples hold
//   x[n-1] + x[n+1] = 2 cos(w) x[n]      and      x[n+1] - x[n-1] = 2 A sin(w) cos(theta[n]),
// so cos(w) is the running ratio of x[n] (x[n-1] + x[n+1]) to 2 x[n]^2 (exact for a steady
// sine whatever the weighting; the running sums follow a sweep), and the middle sample
// with its quadrature part gives amplitude and phase at once: a drive that falls to 0
// reads 0 on the next sample, and a drive without steps gives estimates without steps.
// Real-time safe: no allocation, no lock, no system call.
class DriveTracker {
public:
    explicit DriveTracker(double sampleRate);

    // Takes the next drive sample; the estimates are then those of the sample before it.
    void Push(double sample);

    double FrequencyHz() const { return frequencyHz_; }
    // A e^{i theta} of the tracked sample, whose value is A sin(theta).
    std::complex<double> Analytic() const { return analytic_; }
    double Amplitude() const { return std::abs(analytic_); }

private:
    double sampleRate_;
    double previous_ = 0.0; // x[n-1]
    double middle_ = 0.0;   // x[n]
    double sumSquares_ = 0.0;
    double sumProducts_ = 0.0;
    double cosStep_ = 1.0; // cos(w)
    double frequencyHz_ = 0.0;
    std::complex<double> analytic_;
};

} // namespace audiobench
