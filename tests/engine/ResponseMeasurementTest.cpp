#include "engine/ResponseMeasurement.h"

#include "engine/DriveLaw.h"
#include "support/FakeBoard.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Inf = std::numeric_limits<float>::infinity();

// ---------------------------------------------------------------- detector length

struct SampleCountCase {
    float frequency;
    float sampleRate;
    int expected;
};

TEST(DetectorSampleCount, IsTheShortestRunOfWholeHalfPeriodsAbove510Samples) {
    const SampleCountCase cases[] = {
        {100.0f, 10240.0f, 512},  // ten half periods of 51.2 samples
        {5.0f, 10240.0f, 1023},   // one half period is 1024 samples: cut to 1023
        {5000.0f, 10240.0f, 512}, // 500 half periods of 1.024 samples
        {37.0f, 10240.0f, 553},   // four half periods: 20480 / 37 = 553.5
        {10000.0f, 10240.0f, 511},
        {20000.0f, 10240.0f, 256}, // 1000 half periods are not enough; the last
                                   // count stays
        {0.0f, 10240.0f, 500},
        {-3.0f, 10240.0f, 500},
        {NaN, 10240.0f, 500},
        {1e-30f, 10240.0f, 1023}, // a count far beyond 16 bits still ends at 1023
        {1e7f, 10240.0f, 1},      // never below one sample
        {Inf, 10240.0f, 1},
        {100.0f, NaN, 512}, // an unusable rate is the board's 10240
        {100.0f, 0.0f, 512},
        {100.0f, -10240.0f, 512},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(DetectorSampleCount(k.frequency, k.sampleRate), k.expected)
            << k.frequency << " Hz at " << k.sampleRate << " scans/s";
    }
}

// ---------------------------------------------------------------- detectors

std::vector<std::int16_t> EmptyBlock() { return std::vector<std::int16_t>(8193, 0); }

void PutSine(std::vector<std::int16_t>& block, int place, double amplitude, double samplesPerPeriod) {
    for (int scan = 0; scan * 8 + place < static_cast<int>(block.size()); ++scan) {
        const double x = amplitude * std::sin(2.0 * std::numbers::pi * scan / samplesPerPeriod);
        block[static_cast<std::size_t>(scan * 8 + place)] = static_cast<std::int16_t>(std::lround(x));
    }
}

TEST(DetectAmplitude, SineOfTenThousandCounts) {
    // 160 Hz at 10240 scans/s: 64 samples per period, N = 512, eight whole periods.
    // The mean of |sin| over 64 even samples is 2 cot(pi/64) / 64 = 0.63611, so the
    // rectified mean is 10000 x 0.63611 x 1.57 = 9986.9: just under the peak. The
    // sample at a quarter period is the peak itself.
    auto block = EmptyBlock();
    PutSine(block, 0, 10000.0, 64.0);
    PutSine(block, 5, 3000.0, 64.0);
    const DetectedAmplitude first = DetectAmplitude(block, 0, 512);
    EXPECT_EQ(first.rectifiedMean, 9987);
    EXPECT_EQ(first.peak, 10000);
    const DetectedAmplitude sixth = DetectAmplitude(block, 5, 512);
    EXPECT_EQ(sixth.peak, 3000);
    EXPECT_NEAR(sixth.rectifiedMean, 2996, 1); // 3000 x 0.63611 x 1.57
    const DetectedAmplitude silent = DetectAmplitude(block, 1, 512);
    EXPECT_EQ(silent.rectifiedMean, 0);
    EXPECT_EQ(silent.peak, 0);
}

TEST(DetectAmplitude, FullNegativeScaleCountsAs32768AndIsLimited) {
    auto block = EmptyBlock();
    // A quarter of the block at -32768: 256 x 32768 x 1.57 / 512 = 25722.88 -> 25723
    // (with 32767 it would be 25722.10 -> 25722); the peak is limited to 32767.
    for (int scan = 1; scan <= 256; ++scan) block[static_cast<std::size_t>(scan * 8 + 2)] = -32768;
    const DetectedAmplitude partial = DetectAmplitude(block, 2, 512);
    EXPECT_EQ(partial.rectifiedMean, 25723);
    EXPECT_EQ(partial.peak, 32767);

    // All of it: 32768 x 1.57 = 51445.8, limited to 32767 before it is kept in 16 bits.
    for (int scan = 0; scan <= 1023; ++scan) block[static_cast<std::size_t>(scan * 8 + 4)] = -32768;
    const DetectedAmplitude full = DetectAmplitude(block, 4, 1023);
    EXPECT_EQ(full.rectifiedMean, 32767);
    EXPECT_EQ(full.peak, 32767);
}

TEST(DetectAmplitude, ScanZeroAndScansBeyondNAreLeftOut) {
    auto block = EmptyBlock();
    block[3] = 30000;            // scan 0
    block[513 * 8 + 3] = -20000; // scan 513, one past N = 512
    block[512 * 8 + 3] = 512;    // scan 512, the last one used: 512 x 1.57 / 512
    const DetectedAmplitude a = DetectAmplitude(block, 3, 512);
    EXPECT_EQ(a.peak, 512);
    EXPECT_EQ(a.rectifiedMean, 2); // 1.57 rounds to 2
}

TEST(DetectAmplitude, ShortBlocksAndBadPlacesReadNothingOutside) {
    std::vector<std::int16_t> shortBlock(8 * 11, 100); // scans 0..10
    const DetectedAmplitude a = DetectAmplitude(shortBlock, 7, 512);
    EXPECT_EQ(a.peak, 100);
    EXPECT_EQ(a.rectifiedMean, 3); // 10 scans x 100 x 1.57 / 512 = 3.07
    EXPECT_EQ(DetectAmplitude(shortBlock, 8, 512).peak, 0);
    EXPECT_EQ(DetectAmplitude(shortBlock, -1, 512).peak, 0);
    EXPECT_EQ(DetectAmplitude({}, 0, 512).peak, 0);
}

// ---------------------------------------------------------------- block reading

struct MeasureResponsesTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    FakeBoard board{c};

    MeasureResponsesTest() {
        c.ports.daq = &board;
        c.P[65] = 1.0f;
        c.P[68] = 0.0f;
        c.DemoMode = 0.0f;
        c.CurrentFrequency = 160.0f;
        c.MasterBoardHandle = 0;
        c.SlaveBoardHandle = 1;
        c.BoardHandle = 0;
        for (std::size_t i = 0; i < 16; ++i) c.ScanGains[i] = static_cast<std::int32_t>(i < 8 ? 1 : 3);
        // A square wave of (place + 1) x 1000 counts on the master, x 100 on the slave:
        // rectified mean 1.57 of its height, peak its height.
        board.makeBlock = [](DaqHandle handle, std::span<std::int16_t> buffer) {
            const int unit = handle == 0 ? 1000 : 100;
            for (std::size_t i = 0; i < buffer.size(); ++i) {
                const int height = unit * static_cast<int>(i % 8 + 1);
                buffer[i] = static_cast<std::int16_t>((i / 8) % 2 == 0 ? height : -height);
            }
        };
    }
};

TEST_F(MeasureResponsesTest, ReadsTheMasterBlockIntoChannelsOneToEight) {
    MeasureResponses(c);
    ASSERT_EQ(board.reads.size(), 1u);
    EXPECT_EQ(c.DetectorSamples, 512);
    for (int k = 1; k <= 8; ++k) EXPECT_EQ(c.ChannelCounts[static_cast<std::size_t>(k)], 1570 * k) << k;
    for (int k = 9; k <= 16; ++k) EXPECT_EQ(c.ChannelCounts[static_cast<std::size_t>(k)], 0) << k;

    c.P[68] = 1.0f;
    MeasureResponses(c);
    for (int k = 1; k <= 8; ++k) EXPECT_EQ(c.ChannelCounts[static_cast<std::size_t>(k)], 1000 * k) << k;
}

TEST_F(MeasureResponsesTest, TrackingFilterNextToHalfTheScanRateGivesWayToTheRectifiedMean) {
    // The word nearest half the scan rate, 41943 (5119.995 Hz): no fit there, so the square
    // wave reads as its rectified mean, 1.57 of its height.
    c.P[68] = 2.0f;
    c.AcquiredFrequencyWord = 41943.0f;
    MeasureResponses(c);
    for (int k = 1; k <= 8; ++k) EXPECT_EQ(c.ChannelCounts[static_cast<std::size_t>(k)], 1570 * k) << k;
}

TEST_F(MeasureResponsesTest, SecondBoardIsReadWithItsOwnGainsAndTheMasterRestored) {
    c.SecondBoardActive = 1;
    MeasureResponses(c);
    ASSERT_EQ(board.reads.size(), 2u);
    EXPECT_EQ(board.reads[0].handle, 0);
    EXPECT_EQ(board.reads[1].handle, 1);
    EXPECT_EQ(board.reads[1].firstGains, std::vector<std::int32_t>(8, 3));
    for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(c.ScanGains[i], i < 8 ? 1 : 3) << i;
    EXPECT_EQ(c.BoardHandle, 0);
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(c.ChannelCounts[static_cast<std::size_t>(k)], 1570 * k) << k;
        EXPECT_EQ(c.ChannelCounts[static_cast<std::size_t>(k + 8)], 157 * k) << k + 8;
    }
}

TEST_F(MeasureResponsesTest, ShortOrFailedBlockKeepsTheLastCounts) {
    MeasureResponses(c);
    board.makeBlock = [](DaqHandle, std::span<std::int16_t> buffer) { std::fill(buffer.begin(), buffer.end(), 0); };
    board.scansDelivered = 512; // N = 512 needs scans 1..512
    MeasureResponses(c);
    EXPECT_EQ(c.ChannelCounts[1], 1570);
    board.failing["daqAdcTransferBufData"] = 4;
    board.scansDelivered = 1024;
    MeasureResponses(c);
    EXPECT_EQ(c.ChannelCounts[1], 1570);
    board.failing.clear();
    MeasureResponses(c);
    EXPECT_EQ(c.ChannelCounts[1], 0);
}

TEST_F(MeasureResponsesTest, NothingIsReadInDemoModeOrWithoutTheBoardPath) {
    c.ChannelCounts[1] = 77;
    c.DemoMode = 1.0f;
    MeasureResponses(c);
    c.DemoMode = 0.0f;
    c.P[65] = 2.0f;
    MeasureResponses(c);
    EXPECT_TRUE(board.reads.empty());
    EXPECT_EQ(c.ChannelCounts[1], 77);
}

// ---------------------------------------------------------------- scaling and smoothing

struct ScaleAndSmoothTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;

    ScaleAndSmoothTest() {
        c.P[65] = 1.0f;
        c.DemoMode = 0.0f;
        c.ServoOn = 0.0f;
        c.SweepRunning = 1.0f;
        c.CurrentFrequency = 100.0f;
        c.DisplayChannel = 1.0f;
        c.DriveOutput = 0.1f;
        c.DetectorWindowLength = 5;
        for (std::size_t k = 1; k <= 16; ++k) {
            c.ChannelScale[k] = 1000.0f;
            c.CalibrationFactor[k] = 1.0f;
        }
    }

    // Channel k as if it had read `g` G for a long time: full window, settled smoother.
    void Settle(int k, float g) {
        const auto index = static_cast<std::size_t>(k);
        c.ChannelCounts[index] = static_cast<std::int16_t>(std::lround(g * 1000.0f));
        c.ChannelWindow[index].fill(g);
        c.ChannelResponse[index] = g;
    }
};

TEST_F(ScaleAndSmoothTest, CountsBecomeGWithCalibrationAndScale) {
    struct Case {
        float calibration;
        float scale;
        float expected;
    };
    // 1000 counts; a factor that is not finite or not positive counts as 1.
    const Case cases[] = {
        {1.5f, 500.0f, 3.0f},   {1.0f, 1000.0f, 1.0f}, {1.5f, NaN, 1500.0f}, {1.5f, 0.0f, 1500.0f},
        {1.5f, -2.0f, 1500.0f}, {-1.0f, 500.0f, 2.0f}, {Inf, 500.0f, 2.0f},  {NaN, 500.0f, 2.0f},
    };
    for (const auto& k : cases) {
        c.ChannelCounts[7] = 1000;
        c.CalibrationFactor[7] = k.calibration;
        c.ChannelScale[7] = k.scale;
        ScaleAndSmoothResponses(c);
        EXPECT_FLOAT_EQ(c.ChannelRawResponse[7], k.expected) << k.calibration << " " << k.scale;
        EXPECT_TRUE(std::isfinite(c.ChannelResponse[7]));
    }
}

TEST_F(ScaleAndSmoothTest, WindowAndSmootherFillDuringTheFirstTwentyCycles) {
    c.ChannelCounts[1] = 2000; // 2 G every cycle into an empty window of 20
    std::vector<float> response;
    for (int cycle = 1; cycle <= 21; ++cycle) {
        ScaleAndSmoothResponses(c);
        response.push_back(c.ChannelResponse[1]);
    }
    EXPECT_EQ(c.DetectorWindowLength, 20);
    // Cycle 1 writes place 0, which is never averaged: 0, floored to 0.01. Cycle 2
    // averages one sample over 20: 0.67 x 0.01 + 0.33 x 0.1; cycle 3 two samples.
    EXPECT_FLOAT_EQ(response[0], 0.01f);
    EXPECT_NEAR(response[1], 0.0397f, 1e-6);
    EXPECT_NEAR(response[2], 0.092599f, 1e-6);
    for (std::size_t i = 1; i < response.size(); ++i) EXPECT_GT(response[i], response[i - 1]) << i;
    EXPECT_LT(response.back(), 2.0f);
    // The write position ran over places 0..20 and is back at 0.
    EXPECT_EQ(c.WindowPosition, 0);

    // Cycle 22 writes place 0: the window still averages 2 G whatever this cycle read.
    c.ChannelCounts[1] = 0;
    const float before = c.ChannelResponse[1];
    ScaleAndSmoothResponses(c);
    EXPECT_NEAR(c.ChannelResponse[1], 0.67f * before + 0.33f * 2.0f, 1e-5);
    // Cycle 23 puts the 0 at place 1: 19 x 2 / 20 = 1.9.
    const float next = c.ChannelResponse[1];
    ScaleAndSmoothResponses(c);
    EXPECT_NEAR(c.ChannelResponse[1], 0.67f * next + 0.33f * 1.9f, 1e-5);
}

TEST_F(ScaleAndSmoothTest, HoldingAbove100HzSmoothsMoreHeavily) {
    struct Case {
        float running;
        float frequency;
        float expected; // from 1 G toward a window of 2 G
    };
    const Case cases[] = {
        {0.0f, 200.0f, 1.1f}, {1.0f, 200.0f, 1.33f}, {0.0f, 50.0f, 1.33f}, {0.0f, 100.0f, 1.33f}, {0.0f, 100.5f, 1.1f},
    };
    for (const auto& k : cases) {
        Settle(1, 2.0f);
        c.ChannelResponse[1] = 1.0f;
        c.SweepRunning = k.running;
        c.CurrentFrequency = k.frequency;
        ScaleAndSmoothResponses(c);
        EXPECT_NEAR(c.ChannelResponse[1], k.expected, 1e-6) << k.running << " at " << k.frequency;
    }
}

TEST_F(ScaleAndSmoothTest, DisplayChannelAndFloors) {
    Settle(1, 0.004f);
    Settle(3, 0.5f);
    struct Case {
        float displayChannel;
        float expected;
    };
    const Case cases[] = {{3.0f, 0.5f}, {1.0f, 0.01f}, {0.0f, 0.01f}, {17.0f, 0.01f}, {2.5f, 0.01f}};
    for (const auto& k : cases) {
        c.DisplayChannel = k.displayChannel;
        ScaleAndSmoothResponses(c);
        EXPECT_FLOAT_EQ(c.ControlResponse, k.expected) << k.displayChannel;
    }
    EXPECT_FLOAT_EQ(c.ChannelResponse[1], 0.01f);
    EXPECT_FLOAT_EQ(c.ChannelResponse[16], 0.01f);
    EXPECT_NEAR(c.ChannelResponse[3], 0.5f, 1e-6);
}

TEST_F(ScaleAndSmoothTest, VelocityAndDisplacementOfTheDisplayChannel) {
    Settle(1, 1.0f);
    ScaleAndSmoothResponses(c);
    // 1 G at 100 Hz: 0.6145 in/s, a third of it taken; then x 318 / 100 mils, a fifth.
    EXPECT_NEAR(c.ControlVelocity, 0.202785f, 1e-6);
    EXPECT_NEAR(c.ControlDisplacement, 0.128971f, 1e-6);

    // At no frequency the readouts keep their values.
    c.ControlVelocity = 5.0f;
    c.ControlDisplacement = 7.0f;
    for (const float f : {0.0f, -1.0f, NaN}) {
        c.CurrentFrequency = f;
        ScaleAndSmoothResponses(c);
        EXPECT_FLOAT_EQ(c.ControlVelocity, 5.0f) << f;
        EXPECT_FLOAT_EQ(c.ControlDisplacement, 7.0f) << f;
    }

    // 30 G at 1 Hz: 1843.5 in/s is limited to 999, and the displacement to 9999.
    Settle(1, 30.0f);
    c.ControlVelocity = 0.0f;
    c.ControlDisplacement = 0.0f;
    c.CurrentFrequency = 1.0f;
    ScaleAndSmoothResponses(c);
    EXPECT_NEAR(c.ControlVelocity, 329.67f, 1e-3);
    EXPECT_NEAR(c.ControlDisplacement, 1999.8f, 1e-3);
}

TEST_F(ScaleAndSmoothTest, CompressionIsTheDriveInDecibelsBelowFullOutput) {
    struct Case {
        float drive;
        float expected;
    };
    const Case cases[] = {{0.1f, 20.00485f}, {1.0f, 0.0f}, {0.5f, 6.02206f}, {0.0001f, 70.0f}, {0.0f, 70.0f}};
    for (const auto& k : cases) {
        c.DriveOutput = k.drive;
        ScaleAndSmoothResponses(c);
        EXPECT_NEAR(c.Compression, k.expected, 1e-4) << k.drive;
    }
}

// ---------------------------------------------------------------- demo plant

TEST_F(ScaleAndSmoothTest, DemoPlantAnswersTheReferencePerChannel) {
    c.DemoMode = 1.0f;
    c.P[65] = 0.0f;
    c.ReferenceLevel = 2.0f;
    for (int cycle = 0; cycle < 200; ++cycle) ScaleAndSmoothResponses(c);
    EXPECT_EQ(c.DetectorWindowLength, 5);
    EXPECT_NEAR(c.ChannelResponse[1], 2.0f, 1e-5);
    EXPECT_NEAR(c.ChannelResponse[8], 0.6f, 1e-5);
    EXPECT_NEAR(c.ChannelResponse[9], 2.0f, 1e-5);
    EXPECT_NEAR(c.ChannelResponse[16], 0.6f, 1e-5);
    EXPECT_FLOAT_EQ(c.DriveOutput, 0.005f);
    EXPECT_NEAR(c.Compression, 43.0685f, 1e-3); // 50 - 10 ln 2
}

TEST_F(ScaleAndSmoothTest, DemoPlantWithAReferenceThatIsNotANumber) {
    c.DemoMode = 1.0f;
    for (const float reference : {NaN, Inf}) {
        c.ReferenceLevel = reference;
        ScaleAndSmoothResponses(c);
        EXPECT_FLOAT_EQ(c.DriveOutput, 0.0001f);
        EXPECT_FLOAT_EQ(c.ChannelRawResponse[1], 0.0f);
        EXPECT_TRUE(std::isfinite(c.ChannelResponse[1]));
    }
}

// ---------------------------------------------------------------- control strategy

TEST_F(ScaleAndSmoothTest, StrategiesOverTheTickedChannels) {
    struct Case {
        float strategy;
        std::array<float, 4> ticks; // P[43]..P[46]
        float expected;
    };
    // Raw and smoothed responses 1, 5, 3 and 9 G on channels 1..4.
    const Case cases[] = {
        {2.0f, {2, 1, 2, 1}, 2.0f}, // Average of channels 1 and 3
        {3.0f, {2, 1, 2, 1}, 3.0f}, // Extremal of channels 1 and 3
        {2.0f, {2, 2, 2, 2}, 4.5f}, {3.0f, {2, 2, 2, 2}, 9.0f},
        {2.0f, {1, 2, 1, 1}, 5.0f}, {1.0f, {2, 2, 2, 2}, 0.0f}, // Manual: no measured value
        {2.0f, {1, 1, 1, 1}, 0.0f}, {3.0f, {1, 1, 1, 1}, 0.0f}, // no channel: the loop is open
    };
    for (const auto& k : cases) {
        Settle(1, 1.0f);
        Settle(2, 5.0f);
        Settle(3, 3.0f);
        Settle(4, 9.0f);
        c.ServoOn = 1.0f;
        c.ReferenceLevel = 4.0f;
        c.P[0] = k.strategy;
        for (int i = 0; i < 4; ++i) c.P[43 + i] = k.ticks[static_cast<std::size_t>(i)];
        ScaleAndSmoothResponses(c);
        EXPECT_NEAR(c.ControlValue, k.expected, 1e-6) << k.strategy;
        EXPECT_NEAR(c.SmoothedControlValue, k.expected, 1e-6) << k.strategy;
    }
}

TEST_F(ScaleAndSmoothTest, ServoOffFormsNoControlValueAndLeavesTheDrive) {
    Settle(1, 1.0f);
    c.P[0] = 2.0f;
    c.P[43] = 2.0f;
    c.ControlValue = 0.25f;
    c.DriveOutput = 0.0001f;
    c.ReferenceLevel = 4.0f;
    ScaleAndSmoothResponses(c);
    EXPECT_FLOAT_EQ(c.ControlValue, 0.25f);
    EXPECT_FLOAT_EQ(c.DriveOutput, 0.0001f);

    // With the servo on the control value is formed; the drive law, the next step of
    // the cycle, corrects the drive from it: 1 G of 4 G demanded.
    c.ServoOn = 1.0f;
    c.ServoGain = 18.0f;
    ScaleAndSmoothResponses(c);
    EXPECT_FLOAT_EQ(c.ControlValue, 1.0f);
    EXPECT_FLOAT_EQ(c.DriveOutput, 0.0001f);
    UpdateDrive(c);
    EXPECT_NEAR(c.DriveOutput, 0.0001f * (1.0f + 18.0f * 0.033f * 0.75f), 1e-9);
}

} // namespace
