#include "runner/PlotSize.h"

#include <charconv>
#include <string>

namespace {

enum class Side { Good, NotANumber, TooSmall, TooLarge };

Side ReadSide(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || end != text.data() + text.size()) return Side::NotANumber;
    // All digits but more than an int holds: a side far beyond the limit.
    if (error == std::errc::result_out_of_range) return text.front() == '-' ? Side::TooSmall : Side::TooLarge;
    if (error != std::errc{}) return Side::NotANumber;
    if (value < 1) return Side::TooSmall;
    return value > LargestPlotSide ? Side::TooLarge : Side::Good;
}

} // namespace

PlotSize ReadPlotSize(std::string_view text) {
    const std::string quoted = "'" + std::string(text) + "'";
    const std::size_t x = text.find_first_of("xX");
    PlotSize size;
    const Side width = x == std::string_view::npos ? Side::NotANumber : ReadSide(text.substr(0, x), size.width);
    const Side height = x == std::string_view::npos ? Side::NotANumber : ReadSide(text.substr(x + 1), size.height);
    if (width == Side::NotANumber || height == Side::NotANumber)
        throw PlotSizeError("--plot-size takes WIDTHxHEIGHT in whole pixels, such as 640x480, not " + quoted);
    if (width == Side::TooSmall || height == Side::TooSmall)
        throw PlotSizeError("--plot-size: each side is at least 1 pixel, not " + quoted);
    if (width == Side::TooLarge || height == Side::TooLarge)
        throw PlotSizeError("--plot-size: a side is at most " + std::to_string(LargestPlotSide) + " pixels, not " +
                            quoted);
    return size;
}
