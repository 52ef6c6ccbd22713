#pragma once

#include <cmath>
#include <concepts>
#include <limits>

// Every conversion of a floating value to an integer goes through these, so that no
// conversion is undefined: infinity and NaN give `fallback`, values beyond the
// integer type saturate to its limits.

template <class Int>
concept CheckedInteger = std::integral<Int> && !std::same_as<Int, bool>;

namespace checked_convert_detail {

template <CheckedInteger Int>
Int Saturate(double whole, Int fallback) {
    if (!std::isfinite(whole)) return fallback;
    // The limits as doubles: lowest is a power of two (exact), max + 1 is one too,
    // so `whole < upperBound` admits exactly the values that fit.
    constexpr double lowest = static_cast<double>(std::numeric_limits<Int>::lowest());
    // NOLINTNEXTLINE(bugprone-integer-division): halved as an integer so that + 1 cannot overflow.
    constexpr double upperBound = static_cast<double>(std::numeric_limits<Int>::max() / 2 + 1) * 2.0;
    if (whole <= lowest) return std::numeric_limits<Int>::lowest();
    if (whole >= upperBound) return std::numeric_limits<Int>::max();
    return static_cast<Int>(whole);
}

} // namespace checked_convert_detail

// Nearest integer, ties to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2): the rounding of
// every "rounded to a whole number" of the controller.
template <CheckedInteger Int>
Int RoundToInt(double value, Int fallback) {
    if (!std::isfinite(value)) return fallback;
    const double below = std::floor(value);
    const double rest = value - below;
    double whole = below;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(below, 2.0) != 0.0)) whole = below + 1.0;
    return checked_convert_detail::Saturate(whole, fallback);
}

// Toward zero: the integer part (-2.7 -> -2).
template <CheckedInteger Int>
Int TruncateToInt(double value, Int fallback) {
    return checked_convert_detail::Saturate(std::trunc(value), fallback);
}

// Toward minus infinity (-0.5 -> -1).
template <CheckedInteger Int>
Int FloorToInt(double value, Int fallback) {
    return checked_convert_detail::Saturate(std::floor(value), fallback);
}
