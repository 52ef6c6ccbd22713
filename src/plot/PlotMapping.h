#pragma once

#include <optional>

// The plot's coordinates: frequency across on a natural-log scale from 1 Hz at the
// left edge, amplitude up on a log scale whose bottom edge is 1/K. Plain numbers, so
// the screen, the report picture and the printed page each map with their own box.

// The factor of the frequency axis for the range `FrequencyRange`: 3 spans 1 .. about 10000 Hz,
// 2 1 .. about 1000 Hz, any other value 1 .. about 100 Hz.
float FrequencyScaleFor(float range);

// The amplitude axis for the range `AmplitudeRange` 0..3; nothing for any other range, which
// leaves the axis as it was.
struct AmplitudeAxis {
    float scale = 0.0f; // AmplitudeScale
    int gridDecades = 0;
    float multiplier = 0.0f; // K of the response traces
};
std::optional<AmplitudeAxis> AmplitudeAxisFor(float range);

// K of each kind of trace: the bottom edge is an amplitude of 1/K. The drive is drawn
// so that full drive stands at the height of a 200 G response.
enum class TraceKind { Response, Drive, Transfer };
float TraceMultiplier(TraceKind kind, float amplitudeRange);

// Where the plot is drawn: the whole plot area on screen, a box on the page.
struct PlotBox {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
};

struct PlotMapping {
    PlotBox box;
    float frequencyScale = 0.0f;
    float amplitudeScale = 0.0f;
    // The page keeps every point inside its box; the screen lets the area clip them.
    bool clampToBox = false;

    // box.left + width x scale x ln(f). A frequency of 0 or below, or not a number,
    // is drawn at the left edge, an infinite one at the right edge.
    double X(double frequency) const;
    // box.bottom - height x scale x ln(K v). An amplitude of 0 or below, or not a
    // number, is drawn at the bottom edge, an infinite one at the top edge.
    double Y(double value, float multiplier) const;
    // A height of the log scale itself: bottom - height x scale x ln(ratio).
    double YOfRatio(double ratio) const;

    // The inverses of X and YOfRatio, without the clamp: the frequency and the ratio
    // K v at a point of the box, so that a point reads what is drawn there. Not a
    // number on a box without width or height.
    double FrequencyAt(double x) const;
    double RatioAt(double y) const;
};
