#include "core/LimitTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float D = 1.0f;
constexpr float V = 2.0f;
constexpr float A = 3.0f;
const float Nan = std::numeric_limits<float>::quiet_NaN();
const float Inf = std::numeric_limits<float>::infinity();

TEST(LimitTable, TakesChannelsInterleavedEachRisingInFrequency) {
    const std::vector<LimitRow> rows = {
        {2, 20, A, 30, 3}, {5, 10, D, 50, 1}, {2, 250, V, 10, 6}, {5, 2000, A, 5, 0.5f}, {16, 1, A, 1, 1}};
    EXPECT_FALSE(FindLimitFault(rows));
}

TEST(LimitTable, RefusesTheFirstRowThatBreaksARuleAndSaysWhy) {
    struct Case {
        LimitRow bad;
        const char* what;
    };
    const Case cases[] = {
        {{0, 100, A, 30, 3}, "the channel must be a whole number from 1 to 16."},
        {{17, 100, A, 30, 3}, "the channel must be a whole number from 1 to 16."},
        {{2, 0, A, 30, 3}, "the frequency must be greater than 0."},
        {{2, Nan, A, 30, 3}, "the frequency must be greater than 0."},
        {{2, Inf, A, 30, 3}, "the frequency must be greater than 0."},
        {{2, 100, 4, 30, 3}, "the mode must be D, V or A."},
        {{2, 100, 0, 30, 3}, "the mode must be D, V or A."},
        {{2, 100, A, 0, 3}, "the level must be greater than 0."},
        {{2, 100, A, -30, 3}, "the level must be greater than 0."},
        {{2, 100, A, Inf, 3}, "the level must be greater than 0."},
        {{2, 100, A, 30, 0}, "the abort margin must be greater than 0 dB."},
        {{2, 100, A, 30, Nan}, "the abort margin must be greater than 0 dB."},
        // Row 1 of channel 2 stands at 50 Hz: the same or a lower frequency is out of order.
        {{2, 50, A, 30, 3}, "the frequency must be greater than that of the channel's row before."},
        {{2, 40, A, 30, 3}, "the frequency must be greater than that of the channel's row before."},
    };
    for (const Case& k : cases) {
        // Another channel's row between them does not reset the order of channel 2.
        const std::vector<LimitRow> rows = {{2, 50, A, 30, 3}, {3, 500, A, 30, 3}, k.bad};
        const auto fault = FindLimitFault(rows);
        ASSERT_TRUE(fault) << k.what;
        EXPECT_EQ(fault->row, 3);
        EXPECT_EQ(fault->what, k.what);
    }
}

TEST(LimitTable, HoldsTenBreakpointsAChannel) {
    std::vector<LimitRow> rows;
    for (int i = 1; i <= 10; ++i) rows.push_back({4, 10.0f * static_cast<float>(i), A, 30, 3});
    EXPECT_FALSE(FindLimitFault(rows));
    rows.push_back({4, 1000, A, 30, 3});
    const auto fault = FindLimitFault(rows);
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->row, 11);
    EXPECT_EQ(fault->what, "a channel has at most 10 rows.");
}

} // namespace
