#include "plot/AxisLabels.h"
#include "core/Defaults.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

namespace {

struct AxisLabelsTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    AxisLabelsTest() { SetDefaults(c); }
    const PanelItem& Item(const char* name) const { return c.Indicators.Item(name); }
};

TEST_F(AxisLabelsTest, AmplitudeLabelsOfEachRangeAndUnits) {
    // Label29, 30, 31, 32, 34, 35, 36 with a comma for the separator; "-" is blank.
    struct Row {
        float range, units;
        std::array<const char*, 7> texts;
    };
    const Row rows[] = {
        {3, 0, {" 100,", " 10,0", "  1,0", "  0,1", "-", "-", "-"}},
        {2, 2, {"-", "-", "-", "  0,1", " 10,0", "  1,0", "-"}},
        {1, 0, {"-", "-", "-", "  0,1", "-", "-", "  1,0"}},
        {0, 0, {"  10,", "  1,0", "  0,1", " 0,01", "-", "-", "-"}},
        {3, 1, {" 1000", " 100,", "  10,", "  1,0", "-", "-", "-"}},
        {2, 1, {"-", "-", "-", "  1,0", "  100", "  10,", "-"}},
        {1, 1, {"-", "-", "-", "  1,0", "-", "-", "  10,"}},
        {0, 1, {"  100", "  10,", "  1,0", "  0,1", "-", "-", "-"}},
    };
    const std::array<const char*, 7> names = {"Label29", "Label30", "Label31", "Label32",
                                              "Label34", "Label35", "Label36"};
    c.DecimalSeparator = ",";
    for (const Row& row : rows) {
        c.P[52] = row.range;
        c.P[22] = row.units;
        WriteAmplitudeAxisLabels(c);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string expected = std::string(row.texts[i]) == "-" ? "     " : row.texts[i];
            EXPECT_EQ(Item(names[i]).text, expected) << names[i] << " range " << row.range << " units " << row.units;
        }
    }
    c.P[52] = 5.0f;
    WriteAmplitudeAxisLabels(c);
    EXPECT_EQ(Item("Label29").text, "  100") << "another range leaves them";

    // Labels are written again only for a change, and a new separator alone is one.
    c.P[52] = 3.0f;
    c.P[22] = 0.0f;
    WriteAmplitudeAxisLabels(c);
    c.DecimalSeparator = ".";
    WriteAmplitudeAxisLabels(c);
    EXPECT_EQ(Item("Label30").text, " 10.0");
}

TEST_F(AxisLabelsTest, FrequencyLabelsPlacedAndShown) {
    struct Row {
        float range;
        std::array<double, 4> left;
        std::array<bool, 4> shown;
    };
    const Row rows[] = {{3, {0.25, 0.41, 0.56, 0.70}, {true, true, true, true}},
                        {2, {0.30, 0.51, 0.71, 0.60}, {true, true, true, false}},
                        {1, {0.41, 0.72, 0.60, 0.60}, {true, true, false, false}}};
    const std::array<const char*, 4> names = {"LblX2", "LblX3", "LblX4", "LblX5"};
    for (const Row& row : rows) {
        c.P[51] = row.range;
        PlaceFrequencyAxisLabels(c);
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(Item(names[i]).value, row.left[i]) << names[i] << " range " << row.range;
            EXPECT_EQ(Item(names[i]).visible, row.shown[i]) << names[i] << " range " << row.range;
        }
    }
    EXPECT_EQ(Item("LblX5").text, "10000");
}

TEST(AxisLabelHeights, AtTheDecadeLinesOfTheirScale) {
    EXPECT_DOUBLE_EQ(AmplitudeLabelHeight("Label32"), 1.0);
    EXPECT_NEAR(AmplitudeLabelHeight("Label31"), 1.0 - 0.1315 * std::log(10.0), 1e-7);
    EXPECT_NEAR(AmplitudeLabelHeight("Label29"), 1.0 - 0.1315 * std::log(1000.0), 1e-7);
    EXPECT_NEAR(AmplitudeLabelHeight("Label34"), 1.0 - 0.189 * std::log(100.0), 1e-7);
    EXPECT_NEAR(AmplitudeLabelHeight("Label36"), 1.0 - 0.333 * std::log(10.0), 1e-7);
    EXPECT_LT(AmplitudeLabelHeight("Label33"), 0.0) << "the unit label is not a value label";
}

} // namespace
