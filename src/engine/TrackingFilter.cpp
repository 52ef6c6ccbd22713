#include "engine/TrackingFilter.h"

#include "core/CheckedConvert.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int SamplesPerScan = 8;
constexpr std::int32_t LargestCount = 32767;
// The normal equations are refused when their determinant is this small against the
// product of their diagonal: the sine and cosine columns are nearly the offset's.
constexpr double SmallestConditioning = 1e-9;
} // namespace

TrackedAmplitudes TrackAmplitudes(std::span<const std::int16_t> block, int samples, double radiansPerScan) {
    TrackedAmplitudes result;
    const int scansHeld = static_cast<int>(block.size() / SamplesPerScan);
    const int lastScan = std::min(samples, scansHeld - 1);
    if (lastScan < 3 || !std::isfinite(radiansPerScan)) return result;

    // The cosine and sine of each scan come from a rotation, not from a call per sample;
    // the sums that do not depend on the signal are shared by the eight channels.
    const double stepCos = std::cos(radiansPerScan);
    const double stepSin = std::sin(radiansPerScan);
    double cosine = stepCos; // scan 1
    double sine = stepSin;
    double n = 0.0, sumC = 0.0, sumS = 0.0, sumCC = 0.0, sumSS = 0.0, sumCS = 0.0;
    std::array<double, SamplesPerScan> sumX{}, sumXC{}, sumXS{};
    for (int scan = 1; scan <= lastScan; ++scan) {
        n += 1.0;
        sumC += cosine;
        sumS += sine;
        sumCC += cosine * cosine;
        sumSS += sine * sine;
        sumCS += cosine * sine;
        const std::int16_t* samplesOfScan = block.data() + static_cast<std::ptrdiff_t>(scan) * SamplesPerScan;
        for (int place = 0; place < SamplesPerScan; ++place) {
            const double x = samplesOfScan[place];
            sumX[static_cast<std::size_t>(place)] += x;
            sumXC[static_cast<std::size_t>(place)] += x * cosine;
            sumXS[static_cast<std::size_t>(place)] += x * sine;
        }
        const double nextCos = cosine * stepCos - sine * stepSin;
        sine = sine * stepCos + cosine * stepSin;
        cosine = nextCos;
    }

    // [n sumC sumS; sumC sumCC sumCS; sumS sumCS sumSS] [a b c]' = [sumX sumXC sumXS]'
    const double m00 = sumCC * sumSS - sumCS * sumCS;
    const double m01 = sumC * sumSS - sumCS * sumS;
    const double m02 = sumC * sumCS - sumCC * sumS;
    const double determinant = n * m00 - sumC * m01 + sumS * m02;
    if (!(std::abs(determinant) > SmallestConditioning * n * sumCC * sumSS)) return result;
    for (int place = 0; place < SamplesPerScan; ++place) {
        const auto k = static_cast<std::size_t>(place);
        const double x = sumX[k], xc = sumXC[k], xs = sumXS[k];
        // Cramer's rule for the cosine and sine weights.
        const double b =
            (n * (xc * sumSS - sumCS * xs) - x * (sumC * sumSS - sumCS * sumS) + sumS * (sumC * xs - xc * sumS)) /
            determinant;
        const double c =
            (n * (sumCC * xs - xc * sumCS) - sumC * (sumC * xs - xc * sumS) + x * (sumC * sumCS - sumCC * sumS)) /
            determinant;
        const auto amplitude = RoundToInt<std::int32_t>(std::hypot(b, c), LargestCount);
        result.counts[k] = static_cast<std::int16_t>(std::min(amplitude, LargestCount));
    }
    result.fitted = true;
    return result;
}
