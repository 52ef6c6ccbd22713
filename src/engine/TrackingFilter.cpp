#include "engine/TrackingFilter.h"

#include "core/CheckedConvert.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr int SamplesPerScan = 8;
constexpr std::int32_t LargestCount = 32767;
// A fit is refused when the determinant of its normal equations is this small against
// the product of their diagonal: its columns are nearly alike.
constexpr double SmallestConditioning = 1e-9;
// A fit is refused when one count of white noise in the samples reads, as the amplitude's
// RMS, as more than this many counts. Over a block of 1023 scans every fit in the band
// the drive is held to reads noise at 2.4 or less (2.2 at 1 Hz, 2.4 at 5 Hz with the
// harmonics, 0.09 near its top); below about 0.7 Hz, or within 0.06 Hz of half the scan
// rate, the columns are so nearly alike that noise reads several times over, and the
// rectified mean, which reads noise at 1.25, is the better reading.
constexpr double LargestNoiseGain = 4.0;
constexpr double HarmonicsFittedBelowPeriods = 8.0;
// Scans are summed in groups spanning at most this angle of the highest harmonic fitted,
// and at most 8 scans: a group's sine sum is then within 1 % of the sum's largest.
constexpr double LargestGroupRadians = 0.5;
constexpr double MostScansPerGroup = 8.0;

// The sum of cos(h*(centre + k*step)) over the n scans k = -(n-1)/2..(n-1)/2 of a group
// is cos(h*centre) times this (and likewise for the sine).
double GroupGain(int harmonic, int n, double radiansPerScan) {
    const double half = 0.5 * harmonic * radiansPerScan;
    const double denominator = std::sin(half);
    return std::abs(denominator) < 1e-12 ? n : std::sin(n * half) / denominator;
}

// Columns: the offset, then the cosine and sine of each harmonic 1..H. The normal
// equations are formed over groups of consecutive scans, from each group's sum of
// samples and sum of every column: the model holds for the sums as it holds for the
// samples, and summing a group costs a fraction of fitting each scan.
template <int Harmonics>
class Fit {
public:
    Fit(int lastScan, double radiansPerScan)
        : lastScan_(lastScan), radiansPerScan_(radiansPerScan),
          group_(static_cast<int>(
              std::clamp(LargestGroupRadians / (Harmonics * std::abs(radiansPerScan)), 1.0, MostScansPerGroup))) {}

    bool Run(std::span<const std::int16_t> block, TrackedAmplitudes& result) {
        const double groupStep = group_ * radiansPerScan_;
        const double stepCos = std::cos(groupStep);
        const double stepSin = std::sin(groupStep);
        std::array<double, Harmonics + 1> fullGroupGain{};
        for (int h = 0; h <= Harmonics; ++h) fullGroupGain[h] = h == 0 ? group_ : GroupGain(h, group_, radiansPerScan_);
        double centre = radiansPerScan_ * (1.0 + 0.5 * (group_ - 1)); // of the group from scan 1
        double cosine = std::cos(centre);
        double sine = std::sin(centre);
        for (int first = 1; first <= lastScan_; first += group_) {
            const int n = std::min(group_, lastScan_ - first + 1);
            const std::int16_t* samples = block.data() + static_cast<std::ptrdiff_t>(first) * SamplesPerScan;
            if (n == group_) {
                if (group_ == 1) {
                    Add(fullGroupGain, cosine, sine, samples);
                } else {
                    Add(fullGroupGain, cosine, sine, SumOfGroup(samples, n).data());
                }
                const double nextCos = cosine * stepCos - sine * stepSin;
                sine = sine * stepCos + cosine * stepSin;
                cosine = nextCos;
            } else { // the shorter last group
                std::array<double, Harmonics + 1> gain{};
                for (int h = 0; h <= Harmonics; ++h) gain[h] = h == 0 ? n : GroupGain(h, n, radiansPerScan_);
                centre = radiansPerScan_ * (first + 0.5 * (n - 1));
                Add(gain, std::cos(centre), std::sin(centre), SumOfGroup(samples, n).data());
            }
        }
        std::array<std::array<double, Columns>, Columns> lower{};
        if (!Factor(lower) || NoiseGain(lower) > LargestNoiseGain) return false;
        for (std::size_t place = 0; place < SamplesPerScan; ++place) {
            std::array<double, Columns> moment{};
            for (std::size_t i = 0; i < Columns; ++i) moment[i] = moments_[i][place];
            const std::array<double, Columns> weight = Solve(lower, moment);
            const auto amplitude = RoundToInt<std::int32_t>(std::hypot(weight[1], weight[2]), LargestCount);
            result.counts[place] = static_cast<std::int16_t>(std::min(amplitude, LargestCount));
        }
        return true;
    }

private:
    static constexpr int Columns = 1 + 2 * Harmonics;
    using Matrix = std::array<std::array<double, Columns>, Columns>;

    static std::array<std::int32_t, SamplesPerScan> SumOfGroup(const std::int16_t* samples, int n) {
        std::array<std::int32_t, SamplesPerScan> sums{};
        for (int scan = 0; scan < n; ++scan, samples += SamplesPerScan)
            for (std::size_t place = 0; place < SamplesPerScan; ++place) sums[place] += samples[place];
        return sums;
    }

    // One group (or one scan): its columns are each harmonic's gain times the cosine and
    // sine of that harmonic at the group's centre.
    template <typename Sample>
    void Add(const std::array<double, Harmonics + 1>& gain, double cosine, double sine, const Sample* sums) {
        std::array<double, Columns> column{gain[0], gain[1] * cosine, gain[1] * sine};
        double harmonicCos = cosine;
        double harmonicSin = sine;
        for (std::size_t h = 2; h <= Harmonics; ++h) {
            const double nextCos = harmonicCos * cosine - harmonicSin * sine;
            harmonicSin = harmonicSin * cosine + harmonicCos * sine;
            harmonicCos = nextCos;
            column[2 * h - 1] = gain[h] * harmonicCos;
            column[2 * h] = gain[h] * harmonicSin;
        }
        for (std::size_t i = 0; i < Columns; ++i)
            for (std::size_t j = 0; j <= i; ++j) gram_[i][j] += column[i] * column[j];
        for (std::size_t place = 0; place < SamplesPerScan; ++place) {
            const auto x = static_cast<double>(sums[place]);
#pragma GCC unroll 8
            for (std::size_t i = 0; i < Columns; ++i) moments_[i][place] += x * column[i];
        }
    }

    // Cholesky factor of the normal equations, shared by the eight places; refused where
    // the columns are too nearly alike.
    bool Factor(Matrix& lower) const {
        double determinantRatio = 1.0;
        for (std::size_t j = 0; j < Columns; ++j) {
            double d = gram_[j][j];
            for (std::size_t k = 0; k < j; ++k) d -= lower[j][k] * lower[j][k];
            if (!(d > 0.0)) return false;
            determinantRatio *= d / gram_[j][j];
            lower[j][j] = std::sqrt(d);
            for (std::size_t i = j + 1; i < Columns; ++i) {
                double s = gram_[i][j];
                for (std::size_t k = 0; k < j; ++k) s -= lower[i][k] * lower[j][k];
                lower[i][j] = s / lower[j][j];
            }
        }
        return determinantRatio > SmallestConditioning;
    }

    // The RMS amplitude the fit reads from unit white noise in the samples. A group sum
    // carries `group_` samples' noise, so each weight's variance is `group_` times its
    // diagonal of the inverse of the normal equations (the shorter last group carries
    // less: this is a bound); the amplitude's mean square is that of the cosine's and the
    // sine's weight together.
    double NoiseGain(const Matrix& lower) const {
        double meanSquare = 0.0;
        for (const std::size_t column : {std::size_t{1}, std::size_t{2}}) {
            std::array<double, Columns> unit{};
            unit[column] = 1.0;
            meanSquare += group_ * Solve(lower, unit)[column];
        }
        return std::sqrt(meanSquare);
    }

    static std::array<double, Columns> Solve(const Matrix& lower, const std::array<double, Columns>& moment) {
        std::array<double, Columns> y{};
        for (std::size_t i = 0; i < Columns; ++i) {
            double s = moment[i];
            for (std::size_t k = 0; k < i; ++k) s -= lower[i][k] * y[k];
            y[i] = s / lower[i][i];
        }
        std::array<double, Columns> weight{};
        for (std::size_t i = Columns; i-- > 0;) {
            double s = y[i];
            for (std::size_t k = i + 1; k < Columns; ++k) s -= lower[k][i] * weight[k];
            weight[i] = s / lower[i][i];
        }
        return weight;
    }

    int lastScan_;
    double radiansPerScan_;
    int group_;
    Matrix gram_{}; // lower triangle
    std::array<std::array<double, SamplesPerScan>, Columns> moments_{};
};
} // namespace

TrackedAmplitudes TrackAmplitudes(std::span<const std::int16_t> block, int samples, double radiansPerScan) {
    TrackedAmplitudes result;
    const int scansHeld = static_cast<int>(block.size() / SamplesPerScan);
    const int lastScan = std::min(samples, scansHeld - 1);
    if (lastScan < 3 || !std::isfinite(radiansPerScan)) return result;
    // Over a few periods the harmonics are far from orthogonal to the fundamental and
    // are fitted with it; over more they leak in by well under 0.1 dB.
    const bool fewPeriods = std::abs(radiansPerScan) * lastScan < HarmonicsFittedBelowPeriods * 2.0 * std::numbers::pi;
    result.fitted = (fewPeriods && Fit<3>(lastScan, radiansPerScan).Run(block, result)) ||
                    Fit<1>(lastScan, radiansPerScan).Run(block, result);
    return result;
}
