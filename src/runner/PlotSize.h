#pragma once

#include <stdexcept>
#include <string_view>

// The size of the plot area a run draws on, in pixels.
struct PlotSize {
    int width = 640;
    int height = 480;
};

// A larger side would take hundreds of megabytes for one picture, and the report files
// the window itself writes never come near it.
constexpr int LargestPlotSide = 8192;

struct PlotSizeError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

// "WIDTHxHEIGHT" in whole pixels, each side 1 .. LargestPlotSide. Throws PlotSizeError
// with a message for the operator on anything else.
PlotSize ReadPlotSize(std::string_view text);
