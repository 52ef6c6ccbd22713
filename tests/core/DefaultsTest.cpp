#include "core/Defaults.h"
#include "core/Banner.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct DefaultsTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
};

TEST_F(DefaultsTest, TableEntriesOfEveryEncoding) {
    SetDefaults(c);
    const std::pair<int, float> expected[] = {
        {0, 2},    {1, 5},  {2, 5000},  {3, 1},     {4, 3},     {5, 1},    {6, 2},     {7, 2},     {8, 6},     {9, 10},
        {10, 10},  {11, 1}, {12, 1},    {13, 2},    {14, 1},    {16, 10},  {17, 1},    {18, 1000}, {19, 100},  {20, 1},
        {21, 100}, {28, 5}, {29, 0.1f}, {33, 200},  {34, 0.1f}, {35, 400}, {36, 0.1f}, {37, 20},   {38, 0.5f}, {43, 2},
        {44, 1},   {46, 1}, {47, 2},    {50, 1},    {51, 3},    {52, 3},   {57, 9},    {65, 1},    {66, 10},   {74, 10},
        {78, 1},   {83, 1}, {88, 1000}, {89, 4000}, {99, 1},    {101, 10}, {108, 10},  {110, 0},   {120, 1},
    };
    for (const auto& [entry, value] : expected) EXPECT_EQ(c.P[entry], value) << "P[" << entry << "]";
    EXPECT_EQ(c.P[55], 0.0f);
    EXPECT_EQ(c.P[56], 0.0f);
}

TEST_F(DefaultsTest, LeftoverSwitchValuesReadAsOff) {
    SetDefaults(c);
    EXPECT_FALSE(IsOn(c.P[33])); // 200
    EXPECT_FALSE(IsOn(c.P[34])); // 0.1
    EXPECT_TRUE(IsChecked(c.P[43]));
    EXPECT_TRUE(IsChecked(c.P[47]));
    EXPECT_FALSE(IsChecked(c.P[11]));
}

TEST_F(DefaultsTest, EntriesMarkedNotSetKeepTheirValue) {
    for (int entry : {31, 32, 109, 111, 118, 121, 128, 150, 200}) c.P[entry] = 7.5f;
    SetDefaults(c);
    for (int entry : {31, 32, 109, 111, 118, 121, 128, 150, 200}) EXPECT_EQ(c.P[entry], 7.5f) << "P[" << entry << "]";
}

TEST_F(DefaultsTest, DefaultProfileAndAbortColumn) {
    c.Breakpoints[3].Fifth = 4.0f;
    c.Breakpoints[65].Abort = 9.0f;
    SetDefaults(c);
    const float rows[5][3] = {{5, 1, 500}, {20, 3, 10}, {44.3f, 1, 100}, {62.6f, 3, 20}, {5000, 3, 20}};
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(c.Breakpoints[row].Frequency, rows[row - 1][0]);
        EXPECT_EQ(c.Breakpoints[row].Mode, rows[row - 1][1]);
        EXPECT_EQ(c.Breakpoints[row].Level, rows[row - 1][2]);
    }
    EXPECT_EQ(c.Breakpoints[3].Fifth, 4.0f);
    for (int row = 0; row <= 64; ++row) EXPECT_EQ(c.Breakpoints[row].Abort, 6.0f) << row;
    EXPECT_EQ(c.Breakpoints[65].Abort, 9.0f);
}

TEST_F(DefaultsTest, ProfileLastFrequencyIsTheUpperLimitBeforeTheDefaults) {
    SetDefaults(c);
    EXPECT_EQ(c.ProfileLastFrequency, 0.0f); // first start: the table was empty
    c.P[2] = 2000.0f;
    SetDefaults(c);
    EXPECT_EQ(c.ProfileLastFrequency, 2000.0f);
    EXPECT_EQ(c.P[2], 5000.0f);
}

TEST_F(DefaultsTest, SharedStateAndWorkingValues) {
    t.clock.AdvanceMs(12'500);
    SetDefaults(c);
    EXPECT_EQ(c.CurrentFrequency, 5.0f);
    EXPECT_EQ(c.SweepDirection, 2.0f);
    EXPECT_EQ(c.SweepCounter, 0.5f);
    EXPECT_EQ(c.DriveOutput, 0.0001f);
    EXPECT_EQ(c.Compression, 70.0f);
    EXPECT_EQ(c.ControlResponse, 0.1f);
    EXPECT_EQ(c.CycleCounter, 1);
    EXPECT_EQ(c.RunCycleCount, 1.0);
    EXPECT_EQ(c.CycleRate, 10.0f);
    EXPECT_EQ(c.ActiveMode, 3.0f);
    EXPECT_EQ(c.DetectorWindowLength, 5);
    EXPECT_EQ(c.DecimalSeparator, ".");
    EXPECT_EQ(c.ProfileFileName, " DEFAULT PROFILE");
    EXPECT_EQ(c.PortBValue, 171);
    EXPECT_EQ(c.SegmentStartTime, 12.5);
    EXPECT_EQ(c.TestStartDate, t.clock.Today());
    for (int k = 1; k <= 16; ++k) EXPECT_EQ(c.CalibrationFactor[static_cast<std::size_t>(k)], 1.0f);
    // Printed pen at the lower limit 5 Hz: 10800 * (ln 5 * 0.0814 + 0.15) = 3034.88 twips.
    EXPECT_NEAR(c.PrintPenPositions[0], 3034.88f, 0.05f);
    EXPECT_EQ(c.PrintPenPositions[4], 10080.0f);
}

TEST_F(DefaultsTest, BannerSelectsALineForEachPairOfValues) {
    SetDefaults(c);
    EXPECT_EQ(c.Indicators.Item("frmQMS").text, *BannerLine(5));
    EXPECT_EQ(BannerLine(5), BannerLine(6));
    EXPECT_NE(BannerLine(5), BannerLine(4));
    EXPECT_EQ(BannerLine(11), BannerLine(12));
    EXPECT_FALSE(BannerLine(0).has_value());
    EXPECT_FALSE(BannerLine(13).has_value());
    for (int selector = 1; selector <= 12; ++selector)
        EXPECT_EQ(BannerLine(selector)->rfind("ZEK-8 DIGITAL SINE CONTROLLER   ", 0), 0u);
}

} // namespace
