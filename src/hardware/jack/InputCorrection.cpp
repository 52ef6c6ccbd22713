#include "hardware/jack/InputCorrection.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

std::string Shown(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

} // namespace

std::optional<std::string> CorrectionFault(const std::vector<InputCorrectionPoint>& points) {
    double lastHz = 0.0;
    for (const InputCorrectionPoint& point : points) {
        const std::string at = "at " + Shown(point.hz) + " Hz";
        if (!std::isfinite(point.hz) || point.hz <= lastHz)
            return point.hz > 0.0 && std::isfinite(point.hz)
                       ? at + ", the frequency is not above the one before"
                       : "the frequency " + Shown(point.hz) + " Hz is not a positive number";
        if (!std::isfinite(point.gain) || point.gain < LowestCorrectionGain || point.gain > HighestCorrectionGain)
            return at + ", the gain " + Shown(point.gain) + " is outside " + Shown(LowestCorrectionGain) + " .. " +
                   Shown(HighestCorrectionGain);
        if (!std::isfinite(point.phaseDegrees)) return at + ", the phase is not a number";
        lastHz = point.hz;
    }
    return std::nullopt;
}

double CorrectionGainAt(const std::vector<InputCorrectionPoint>& points, double hz) {
    if (points.empty()) return 1.0;
    if (!(hz > points.front().hz)) return points.front().gain; // also a frequency that is not a number
    if (hz >= points.back().hz) return points.back().gain;
    const auto above = std::upper_bound(points.begin(), points.end(), hz,
                                        [](double f, const InputCorrectionPoint& point) { return f < point.hz; });
    const auto below = above - 1;
    const double fraction = std::log(hz / below->hz) / std::log(above->hz / below->hz);
    return below->gain * std::pow(above->gain / below->gain, fraction);
}

InputCorrections CorrectionsFromCalibration(const InputCorrections& measured, int loopbackInput) {
    const auto& loopback = measured.at(static_cast<std::size_t>(loopbackInput - 1));
    std::vector<InputCorrectionPoint> shared = loopback;
    for (InputCorrectionPoint& point : shared) point.phaseDegrees = 0.0;
    InputCorrections corrections;
    for (std::size_t k = 0; k < corrections.size(); ++k) {
        const auto& own = measured[k];
        const bool readsTheDrive =
            own.size() == loopback.size() &&
            std::equal(own.begin(), own.end(), loopback.begin(),
                       [](const InputCorrectionPoint& a, const InputCorrectionPoint& b) {
                           return a.hz == b.hz && a.gain >= 0.5 * b.gain && a.gain <= 2.0 * b.gain;
                       });
        corrections[k] = readsTheDrive && !CorrectionFault(own) ? own : shared;
    }
    return corrections;
}
