#include "core/FormatMask.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(FormatMask, PanelMasks) {
    EXPECT_EQ(FormatMask(150.256, "   ##0.0"), "   150.3");
    EXPECT_EQ(FormatMask(1234.7, "   ##0."), "   1235.");
    EXPECT_EQ(FormatMask(20, "####.##"), "20.");
    EXPECT_EQ(FormatMask(5.678, "   ##0.00"), "   5.68");
    EXPECT_EQ(FormatMask(0.04, "   ##0.00"), "   0.04");
    EXPECT_EQ(FormatMask(50, "##0 Hz"), "50 Hz");
}

TEST(FormatMask, OptionalAndForcedPlaces) {
    EXPECT_EQ(FormatMask(0.5, "##.#"), ".5");
    EXPECT_EQ(FormatMask(0, "####"), "");
    EXPECT_EQ(FormatMask(0, "##0.0"), "0.0");
    EXPECT_EQ(FormatMask(7, "000"), "007");
    EXPECT_EQ(FormatMask(7, "#0#"), "07");
    EXPECT_EQ(FormatMask(1.5, "###.0#"), "1.5");
    EXPECT_EQ(FormatMask(1.25, "###.0#"), "1.25");
    EXPECT_EQ(FormatMask(1.0, "###.0#"), "1.0");
    EXPECT_EQ(FormatMask(12345, "##0"), "12345");
}

TEST(FormatMask, RoundsHalfAwayFromZeroOnTheDecimalValue) {
    EXPECT_EQ(FormatMask(static_cast<double>(2.675f), "0.00"), "2.68");
    EXPECT_EQ(FormatMask(0.0005, "##0.000"), "0.001");
    EXPECT_EQ(FormatMask(9.96, "##0.0"), "10.0");
    EXPECT_EQ(FormatMask(999.5, "##0."), "1000.");
    EXPECT_EQ(FormatMask(-2.5, "##0"), "-3");
}

TEST(FormatMask, SignSitsBeforeTheFirstDigit) {
    EXPECT_EQ(FormatMask(-5.25, "  ##0.0"), "  -5.3");
    EXPECT_EQ(FormatMask(-0.5, "##.#"), "-.5");
    EXPECT_EQ(FormatMask(-0.04, "  ##0.0"), "  0.0");
    EXPECT_EQ(FormatMask(-1234.5, "##0.0"), "-1234.5");
}

TEST(FormatMask, SeparatorAndNonFiniteValues) {
    EXPECT_EQ(FormatMask(1.5, "##0.0", ','), "1,5");
    EXPECT_EQ(FormatMask(std::numeric_limits<double>::quiet_NaN(), "   ##0.0"), "   0.0");
    EXPECT_EQ(FormatMask(std::numeric_limits<double>::infinity(), "##0.00"), "0.00");
}

TEST(FormatTimeOfDay, FractionOfTheDayToTheNearestSecond) {
    EXPECT_EQ(FormatTimeOfDay(0.5, "hh:mm:ss"), "12:00:00");
    EXPECT_EQ(FormatTimeOfDay(3661.0 / 86400.0, "hh:mm:ss"), "01:01:01");
    EXPECT_EQ(FormatTimeOfDay(46000.75, "hh:mm:ss"), "18:00:00");
    EXPECT_EQ(FormatTimeOfDay(-1.25, "hh:mm:ss"), "06:00:00");
    EXPECT_EQ(FormatTimeOfDay(0.999999, "hh:mm:ss"), "00:00:00");
    EXPECT_EQ(FormatTimeOfDay(59.4 / 86400.0, "hh:mm:ss"), "00:00:59");
    EXPECT_EQ(FormatTimeOfDay(std::numeric_limits<double>::quiet_NaN(), "hh:mm:ss"), "00:00:00");
    EXPECT_EQ(FormatTimeOfDay(0.75, " T hh.mm"), " T 18.00");
}

TEST(FormatDate, YearMonthDayPlaces) {
    EXPECT_EQ(FormatDate(2026, 12, 8, "mm/dd/yyyy"), "12/08/2026");
    EXPECT_EQ(FormatDate(2026, 1, 31, "dd.mm.yyyy"), "31.01.2026");
    EXPECT_EQ(FormatDate(999, 3, 4, "yyyy-mm-dd"), "0999-03-04");
}

} // namespace
