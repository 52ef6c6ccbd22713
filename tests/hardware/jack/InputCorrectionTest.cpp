#include "hardware/jack/InputCorrection.h"
#include "core/Clock.h"
#include "hardware/jack/AudioInterface.h"
#include "hardware/jack/InputCalibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();

} // namespace

// Points at 10, 1000 and 10000 Hz of gains 0.25, 1 and 0.5: 100 Hz lies halfway from 10
// to 1000 in log frequency, so its gain is halfway in log gain, 0.25 x 4^0.5 = 0.5; the
// middle of 1000 .. 10000, 3162.3 Hz, is 1 x 0.5^0.5. Outside the points the end gains
// hold, and a frequency that is not a number takes the lowest point's.
TEST(InputCorrection, GainIsStraightInLogFrequencyAndLogGainAndFlatOutside) {
    const std::vector<InputCorrectionPoint> points = {{10.0, 0.25, 0.0}, {1000.0, 1.0, 0.0}, {10000.0, 0.5, 0.0}};
    const struct {
        double hz, gain;
    } cases[] = {{100.0, 0.5},   {std::sqrt(1e7), std::sqrt(0.5)},
                 {10.0, 0.25},   {1000.0, 1.0},
                 {10000.0, 0.5}, {2.0, 0.25},
                 {0.0, 0.25},    {NaN, 0.25},
                 {20000.0, 0.5}};
    for (const auto& k : cases) EXPECT_NEAR(CorrectionGainAt(points, k.hz), k.gain, 1e-12) << k.hz << " Hz";
    EXPECT_EQ(CorrectionGainAt({}, 5.0), 1.0);
}

TEST(InputCorrection, AbsurdPointsAreFaultsAndTheRangesEndsAreNot) {
    const struct {
        InputCorrectionPoint second;
        bool fault;
    } cases[] = {
        {{20.0, 0.05, -30.0}, false},  {{20.0, 20.0, 0.0}, false}, {{20.0, 0.0, 0.0}, true},
        {{20.0, 0.049, 0.0}, true},    {{20.0, -1.0, 0.0}, true},  {{20.0, NaN, 0.0}, true},
        {{20.0, Infinity, 0.0}, true}, {{20.0, 21.0, 0.0}, true},  {{20.0, 1.0, NaN}, true},
        {{10.0, 1.0, 0.0}, true},      {{5.0, 1.0, 0.0}, true},    {{NaN, 1.0, 0.0}, true},
    };
    for (const auto& k : cases) {
        const std::vector<InputCorrectionPoint> points = {{10.0, 1.0, 0.0}, k.second};
        EXPECT_EQ(CorrectionFault(points).has_value(), k.fault)
            << k.second.hz << " Hz, gain " << k.second.gain << ": " << CorrectionFault(points).value_or("");
    }
    EXPECT_TRUE(CorrectionFault({{0.0, 1.0, 0.0}}));
    EXPECT_FALSE(CorrectionFault({}));
}

// A correction refused as the interface is made leaves its input read as it is; the
// others are taken.
TEST(InputCorrection, InterfaceRefusesAnAbsurdCorrectionAndSaysWhich) {
    SimulatedClock clock;
    AudioInterfaceSettings settings;
    settings.inputCorrection[0] = {{5.0, 0.8, 10.0}, {50.0, 1.0, 0.0}};
    settings.inputCorrection[2] = {{5.0, 0.0, 10.0}};
    const AudioInterface audio(clock, settings);
    ASSERT_EQ(audio.RefusedCorrections().size(), 1U);
    EXPECT_EQ(audio.RefusedCorrections()[0],
              "the correction of in3 is refused: at 5 Hz, the gain 0 is outside 0.05 .. 20");
    EXPECT_EQ(audio.Settings().inputCorrection[0].size(), 2U);
    EXPECT_TRUE(audio.Settings().inputCorrection[2].empty());
}

// Loop-back in2 read the drive at 0.5 and 1 (phase 0 against itself). in1 read it too, at
// 1.5 times that: it keeps its own. in3 read almost nothing, in4 a shaker's sensor four
// times the drive at 100 Hz, in5 is not registered: they take in2's, with phase 0.
TEST(InputCorrection, InputsThatDidNotReadTheDriveTakeTheLoopbacksCorrection) {
    InputCorrections measured;
    measured[1] = {{5.0, 0.5, 0.0}, {100.0, 1.0, 0.0}};
    measured[0] = {{5.0, 0.75, 3.0}, {100.0, 1.5, -1.0}};
    measured[2] = {{5.0, 0.001, 70.0}, {100.0, 0.002, 12.0}};
    measured[3] = {{5.0, 0.6, 80.0}, {100.0, 4.0, -90.0}};
    const InputCorrections corrections = CorrectionsFromCalibration(measured, 2);
    const std::vector<InputCorrectionPoint> loopback = {{5.0, 0.5, 0.0}, {100.0, 1.0, 0.0}};
    const auto same = [](const std::vector<InputCorrectionPoint>& a, const std::vector<InputCorrectionPoint>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
            return x.hz == y.hz && x.gain == y.gain && x.phaseDegrees == y.phaseDegrees;
        });
    };
    EXPECT_TRUE(same(corrections[0], measured[0]));
    for (const std::size_t k : {1U, 2U, 3U, 4U, 15U}) EXPECT_TRUE(same(corrections[k], loopback)) << "in" << k + 1;
}

// Without an interface, or with one whose server never answered, nothing is driven.
TEST(InputCalibration, RefusesToStartWithoutAnInterfaceOrItsServer) {
    SimulatedClock clock;
    AudioInterface unopened(clock, AudioInterfaceSettings{});
    InputCalibration calibration;
    EXPECT_EQ(calibration.Start(nullptr, false),
              "there is no audio interface to calibrate: System / Interface is not USB");
    EXPECT_EQ(calibration.Start(&unopened, false), "no audio server answers: the inputs cannot be calibrated");
    EXPECT_EQ(calibration.Status(), InputCalibration::State::Idle);
}

// 1 V full scale, no correction: 1000 mV a unit. A sample that reached the interface's full
// scale goes beyond every range of the boards, which read it as their full-scale code.
TEST(InputMillivolts, OnlyASampleAtTheInterfacesFullScaleGoesBeyondTheBoardsRanges) {
    const double beyond = std::numeric_limits<double>::infinity();
    const float belowFullScale = std::nextafter(1.0f, 0.0f);
    const std::pair<float, double> cases[] = {
        {0.5f, 500.0},    {-0.5f, -500.0}, {1.0f, beyond},
        {-1.0f, -beyond}, {1.25f, beyond}, {belowFullScale, static_cast<double>(belowFullScale) * 1000.0},
    };
    for (const auto& [sample, millivolts] : cases) EXPECT_EQ(InputMillivolts(sample, 1000.0), millivolts) << sample;
}
