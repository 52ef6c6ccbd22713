#include "plot/PlotMapping.h"
#include "plot/Traces.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// A 1000 x 600 area on the widest axes: 1 .. 10000 Hz, 0.1 .. 200 G.
const PlotMapping Screen{{0.0, 0.0, 1000.0, 600.0}, 0.1086f, 0.1315f};

TEST(PlotMapping, ScaleFactorsOfEachRange) {
    EXPECT_EQ(FrequencyScaleFor(3.0f), 0.1086f);
    EXPECT_EQ(FrequencyScaleFor(2.0f), 0.145f);
    EXPECT_EQ(FrequencyScaleFor(1.0f), 0.217f);
    EXPECT_EQ(FrequencyScaleFor(7.0f), 0.217f) << "any other range spans 1 .. 100 Hz";

    struct Row {
        float range;
        float scale;
        int decades;
        float multiplier;
    };
    for (const Row& row :
         {Row{3, 0.1315f, 3, 10}, Row{2, 0.189f, 2, 10}, Row{1, 0.333f, 1, 10}, Row{0, 0.1315f, 3, 100}}) {
        const auto axis = AmplitudeAxisFor(row.range);
        ASSERT_TRUE(axis) << row.range;
        EXPECT_EQ(axis->scale, row.scale);
        EXPECT_EQ(axis->gridDecades, row.decades);
        EXPECT_EQ(axis->multiplier, row.multiplier);
    }
    EXPECT_FALSE(AmplitudeAxisFor(4.0f)) << "leaves the axis as it was";
    EXPECT_FALSE(AmplitudeAxisFor(0.5f));
}

TEST(PlotMapping, PointsWorkedByHand) {
    EXPECT_DOUBLE_EQ(Screen.X(1.0), 0.0) << "1 Hz on the left edge";
    EXPECT_NEAR(Screen.X(10.0), 250.0607, 1e-3) << "1000 x 0.1086 x ln 10";
    EXPECT_DOUBLE_EQ(Screen.Y(0.1, 10.0f), 600.0) << "0.1 G on the bottom edge";
    EXPECT_DOUBLE_EQ(Screen.Y(0.01, 100.0f), 600.0) << "0.01 G at range 0";
    EXPECT_NEAR(Screen.Y(1.0, 10.0f), 418.326, 1e-3) << "600 - 600 x 0.1315 x ln 10";
    // Full drive stands where a 200 G response does: 600 - 600 x 0.1315 x ln 2000.
    EXPECT_NEAR(Screen.Y(1.0, TraceMultiplier(TraceKind::Drive, 3.0f)), 0.289, 1e-3);
    EXPECT_DOUBLE_EQ(Screen.Y(1.0, TraceMultiplier(TraceKind::Drive, 3.0f)),
                     Screen.Y(200.0, TraceMultiplier(TraceKind::Response, 3.0f)));
    EXPECT_EQ(TraceMultiplier(TraceKind::Drive, 0.0f), 20000.0f);
    EXPECT_EQ(TraceMultiplier(TraceKind::Transfer, 0.0f), 100.0f);
    // A box elsewhere (a page) maps into itself.
    const PlotMapping page{{150.0, 100.0, 750.0, 600.0}, 0.1086f, 0.1315f};
    EXPECT_DOUBLE_EQ(page.X(1.0), 150.0);
    EXPECT_DOUBLE_EQ(page.Y(0.1, 10.0f), 700.0);
}

TEST(PlotMapping, NothingNonFiniteReachesThePainter) {
    for (double v : {0.0, -1.0, NaN}) {
        EXPECT_EQ(Screen.Y(v, 10.0f), 600.0) << v << " on the bottom edge";
        EXPECT_EQ(Screen.X(v), 0.0) << v << " on the left edge";
    }
    EXPECT_EQ(Screen.Y(Inf, 10.0f), 0.0);
    EXPECT_EQ(Screen.X(Inf), 1000.0);
    EXPECT_TRUE(std::isfinite(Screen.Y(1e-38, 10.0f)));
}

TEST(PlotMapping, APointReadsBackWhatIsDrawnThere) {
    const PlotMapping page{{150.0, 100.0, 750.0, 600.0}, 0.1086f, 0.1315f, true};
    for (const double f : {1.0, 100.0, 1000.0}) EXPECT_NEAR(page.FrequencyAt(page.X(f)), f, 1e-6 * f) << f;
    EXPECT_NEAR(page.RatioAt(700.0), 1.0, 1e-12) << "K v at the bottom edge";
    EXPECT_TRUE(std::isnan(PlotMapping{}.FrequencyAt(5.0))) << "no area, no reading";
}

TEST(PlotMapping, TransferRatioStaysWithinItsBand) {
    struct Row {
        float output, input, ratio;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Row& row : {Row{2, 4, 0.5f}, Row{500, 1, 200}, Row{0.001f, 1, 0.01f}, Row{5, 0, 1}, Row{5, -1, 1},
                           Row{nan, 1, 1}, Row{1, nan, 1}})
        EXPECT_EQ(ComputeTransferRatio(row.output, row.input), row.ratio) << row.output << " / " << row.input;
}

} // namespace
