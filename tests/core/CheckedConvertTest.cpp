#include "core/CheckedConvert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(CheckedConvert, RoundsTiesToEven) {
    EXPECT_EQ(RoundToInt<int>(2.5, -1), 2);
    EXPECT_EQ(RoundToInt<int>(3.5, -1), 4);
    EXPECT_EQ(RoundToInt<int>(-2.5, -1), -2);
    EXPECT_EQ(RoundToInt<int>(-3.5, -1), -4);
    EXPECT_EQ(RoundToInt<int>(0.5, -1), 0);
    EXPECT_EQ(RoundToInt<int>(2.4999, -1), 2);
    EXPECT_EQ(RoundToInt<int>(-2.5001, -1), -3);
    EXPECT_EQ(RoundToInt<long>(1e6 + 0.5, -1), 1000000);
}

TEST(CheckedConvert, NonFiniteGivesTheFallback) {
    EXPECT_EQ(RoundToInt<int>(NaN, 100), 100);
    EXPECT_EQ(RoundToInt<int>(Inf, 100), 100);
    EXPECT_EQ(TruncateToInt<int>(-Inf, 7), 7);
    EXPECT_EQ(FloorToInt<long>(NaN, 3), 3);
}

TEST(CheckedConvert, SaturatesAtTheLimitsOfTheType) {
    EXPECT_EQ(RoundToInt<int>(1e300, 0), std::numeric_limits<int>::max());
    EXPECT_EQ(RoundToInt<int>(-1e300, 0), std::numeric_limits<int>::min());
    EXPECT_EQ(RoundToInt<int>(2147483647.4, 0), 2147483647);
    EXPECT_EQ(RoundToInt<int>(2147483647.5, 0), 2147483647);
    EXPECT_EQ(RoundToInt<int>(-2147483648.4, 0), -2147483647 - 1);
    EXPECT_EQ(RoundToInt<std::int16_t>(40000.0, 0), 32767);
    EXPECT_EQ(RoundToInt<std::int16_t>(-40000.0, 0), -32768);
    EXPECT_EQ(RoundToInt<std::uint8_t>(-3.0, 7), 0);
    EXPECT_EQ(RoundToInt<std::uint8_t>(255.4, 7), 255);
    EXPECT_EQ(RoundToInt<long long>(9.3e18, 0), std::numeric_limits<long long>::max());
}

TEST(CheckedConvert, TruncateAndFloorDirections) {
    EXPECT_EQ(TruncateToInt<int>(-2.7, 0), -2);
    EXPECT_EQ(TruncateToInt<int>(2.7, 0), 2);
    EXPECT_EQ(FloorToInt<int>(-0.5, 0), -1);
    EXPECT_EQ(FloorToInt<int>(2.999, 0), 2);
    EXPECT_EQ(TruncateToInt<std::int16_t>(1e9, 0), 32767);
}

} // namespace
