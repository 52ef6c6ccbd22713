#include "plot/PlotMapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

float FrequencyScaleFor(float range) {
    if (range == 3.0f) return 0.1086f;
    if (range == 2.0f) return 0.145f;
    return 0.217f;
}

std::optional<AmplitudeAxis> AmplitudeAxisFor(float range) {
    if (range == 3.0f) return AmplitudeAxis{0.1315f, 3, 10.0f};
    if (range == 2.0f) return AmplitudeAxis{0.189f, 2, 10.0f};
    if (range == 1.0f) return AmplitudeAxis{0.333f, 1, 10.0f};
    if (range == 0.0f) return AmplitudeAxis{0.1315f, 3, 100.0f};
    return std::nullopt;
}

float TraceMultiplier(TraceKind kind, float amplitudeRange) {
    // One decade lower at range 0: every multiplier ten times larger.
    const float decade = amplitudeRange == 0.0f ? 10.0f : 1.0f;
    return (kind == TraceKind::Drive ? 2000.0f : 10.0f) * decade;
}

double PlotMapping::X(double frequency) const {
    if (!(frequency > 0.0)) return box.left;
    if (std::isinf(frequency)) return box.Right();
    const double x = box.left + box.width * static_cast<double>(frequencyScale) * std::log(frequency);
    return clampToBox ? std::clamp(x, box.left, box.Right()) : x;
}

double PlotMapping::Y(double value, float multiplier) const {
    return YOfRatio(static_cast<double>(multiplier) * value);
}

double PlotMapping::YOfRatio(double ratio) const {
    if (!(ratio > 0.0)) return box.Bottom();
    if (std::isinf(ratio)) return box.top;
    const double y = box.Bottom() - box.height * static_cast<double>(amplitudeScale) * std::log(ratio);
    return clampToBox ? std::clamp(y, box.top, box.Bottom()) : y;
}

double PlotMapping::FrequencyAt(double x) const {
    const double across = box.width * static_cast<double>(frequencyScale);
    return across > 0.0 ? std::exp((x - box.left) / across) : std::numeric_limits<double>::quiet_NaN();
}

double PlotMapping::RatioAt(double y) const {
    const double up = box.height * static_cast<double>(amplitudeScale);
    return up > 0.0 ? std::exp((box.Bottom() - y) / up) : std::numeric_limits<double>::quiet_NaN();
}
