#include "engine/ResponseMeasurement.h"

#include "core/CheckedConvert.h"
#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "core/Units.h"
#include "engine/TrackingFilter.h"
#include "hardware/BoardLayer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

// Once per cycle the sampled blocks become one amplitude per channel in G peak,
// smoothed by a moving window and an exponential smoother; the display channel's
// readouts and the strategy value the servo compares with the reference follow.

namespace {

constexpr int SamplesPerScan = 8;
constexpr int ChannelsPerBoard = 8;
constexpr int Channels = 16;
constexpr std::int32_t LargestCount = 32767;

constexpr int SamplesWithoutFrequency = 500;
constexpr int FewestDetectorSamples = 511;
constexpr int MostDetectorSamples = 1023;

// The detectors of AmplitudeDetector.
constexpr float RectifiedMean = 0.0f;
constexpr float Peak = 1.0f;
constexpr float TrackingFilter = 2.0f;
constexpr float RmsTimesRootTwo = 3.0f;

// The mean of a rectified sine times pi/2 is its peak.
constexpr double RectifiedMeanToPeak = 1.57;

constexpr std::int16_t BoardWindowLength = 20;
constexpr int LastWindowPlace = 64;

constexpr float ResponseFloor = 0.01f;
constexpr float HeavySmoothingAbove = 100.0f; // Hz, while holding
constexpr float VelocityLimit = 999.0f;
constexpr float DisplacementLimit = 9999.0f;
constexpr float CompressionLimit = 70.0f;

constexpr float Average = 2.0f;
constexpr float Extremal = 3.0f;

// The simulated plant answers the reference with a fixed share per channel.
constexpr std::array<double, ChannelsPerBoard> DemoChannelShare = {1.0, 0.9, 0.8, 0.7, 0.6, 0.5, 0.4, 0.3};
constexpr double DemoDriveShare = 0.0025;
constexpr float SmallestDrive = 0.0001f;

float ScaleOrOne(float value) { return std::isfinite(value) && value > 0.0f ? value : 1.0f; }

float Product(float value, double constant) { return static_cast<float>(static_cast<double>(value) * constant); }

// The drive frequency of the block just read, as the generator was given it, in
// radians per scan.
double RadiansPerScan(const Controller& c) {
    const double frequency = static_cast<double>(c.AcquiredFrequencyWord) / Unit::FrequencyWordPerHz;
    const double rate = c.SampleRate > 0.0f && std::isfinite(c.SampleRate) ? c.SampleRate : Unit::ScanRate;
    return 2.0 * std::numbers::pi * frequency / rate;
}

// The tracking filter needs no whole periods: it fits the whole block, which below
// 20 Hz holds twice the rectified mean's half period or more.
int TrackedScans(const Controller& c) { return std::min(c.AdcScansRead - 1, MostDetectorSamples); }

void StoreCounts(Controller& c, int firstChannel) {
    const float detector = c.P[Param::AmplitudeDetector];
    const TrackedAmplitudes tracked = detector == TrackingFilter
                                          ? TrackAmplitudes(c.AdcBuffer, TrackedScans(c), RadiansPerScan(c))
                                          : TrackedAmplitudes{};
    for (int place = 0; place < ChannelsPerBoard; ++place) {
        const DetectedAmplitude amplitude = DetectAmplitude(c.AdcBuffer, place, c.DetectorSamples);
        auto& counts = c.ChannelCounts[static_cast<std::size_t>(firstChannel + place)];
        // Any other detector setting leaves the counts as they were; a block the filter
        // cannot fit (no frequency yet, or one where the fit would read noise as response)
        // is read as the rectified mean reads it.
        if (detector == RectifiedMean) counts = amplitude.rectifiedMean;
        if (detector == Peak) counts = amplitude.peak;
        if (detector == TrackingFilter)
            counts = tracked.fitted ? tracked.counts[static_cast<std::size_t>(place)] : amplitude.rectifiedMean;
        if (detector == RmsTimesRootTwo) counts = amplitude.rms;
    }
}

// The slave board is read through the master's scan gain list: its first eight
// places carry the gain codes of channels 9..16 for the read and get the master's
// back afterwards, however the read ends.
void ReadSecondBoard(Controller& c) {
    struct RestoreMaster {
        Controller& c;
        std::array<std::int32_t, ChannelsPerBoard> savedGains{};
        ~RestoreMaster() {
            c.BoardHandle = c.MasterBoardHandle;
            std::copy(savedGains.begin(), savedGains.end(), c.ScanGains.begin());
        }
    } restore{c};
    std::copy_n(c.ScanGains.begin(), ChannelsPerBoard, restore.savedGains.begin());
    std::copy_n(c.ScanGains.begin() + ChannelsPerBoard, ChannelsPerBoard, c.ScanGains.begin());
    c.BoardHandle = c.SlaveBoardHandle;
    ReadAdcBlock(c);
}

std::int16_t WindowLength(const Controller& c) {
    return std::clamp<std::int16_t>(c.DetectorWindowLength, 1, LastWindowPlace);
}

// Writes this cycle's raw responses into the ring and returns each channel's mean
// over places 1..L; place 0 is written in its turn but never averaged.
std::array<float, Channels + 1> AdvanceWindow(Controller& c) {
    const std::int16_t length = WindowLength(c);
    if (c.WindowPosition < 0 || c.WindowPosition > length) c.WindowPosition = 0;
    std::array<float, Channels + 1> mean{};
    for (int k = 1; k <= Channels; ++k) {
        auto& ring = c.ChannelWindow[static_cast<std::size_t>(k)];
        ring[static_cast<std::size_t>(c.WindowPosition)] = c.ChannelRawResponse[static_cast<std::size_t>(k)];
        float sum = 0.0f;
        for (int place = 1; place <= length; ++place) sum += ring[static_cast<std::size_t>(place)];
        mean[static_cast<std::size_t>(k)] = sum / static_cast<float>(length);
    }
    c.WindowPosition = static_cast<std::int16_t>(c.WindowPosition + 1);
    if (c.WindowPosition > length) c.WindowPosition = 0;
    return mean;
}

void RunDemoPlant(Controller& c) {
    // A reference that is not a number drives the plant with nothing.
    const bool known = std::isfinite(c.ReferenceLevel);
    const float reference = known ? c.ReferenceLevel : 0.0f;
    for (int k = 1; k <= Channels; ++k) {
        const double share = DemoChannelShare[static_cast<std::size_t>((k - 1) % ChannelsPerBoard)];
        c.ChannelRawResponse[static_cast<std::size_t>(k)] = Product(reference, share);
    }
    const float drive = Product(reference, DemoDriveShare);
    c.DriveOutput = known && std::isfinite(drive) ? drive : SmallestDrive;
}

std::size_t DisplayedChannel(float displayChannel) {
    for (int k = 2; k <= Channels; ++k) {
        if (displayChannel == static_cast<float>(k)) return static_cast<std::size_t>(k);
    }
    return 1;
}

float VelocityOf(float response, float f) {
    return std::min(static_cast<float>(static_cast<double>(response) * Unit::InchesPerSecondToG / f), VelocityLimit);
}
float DisplacementOf(float velocity, float f) {
    return std::min(static_cast<float>(static_cast<double>(velocity) * Unit::InchesPerSecondToMils / f),
                    DisplacementLimit);
}

// At no frequency there is nothing to integrate: the readouts keep their values.
void DeriveVelocityAndDisplacement(Controller& c) {
    const float f = c.CurrentFrequency;
    if (!(f > 0.0f)) return;
    c.ControlVelocity = static_cast<float>(0.33 * VelocityOf(c.ControlResponse, f) + 0.67 * c.ControlVelocity);
    c.ControlDisplacement =
        static_cast<float>(0.2 * DisplacementOf(c.ControlVelocity, f) + 0.8 * c.ControlDisplacement);
}

void ComputeCompression(Controller& c) {
    if (IsOn(c.DemoMode)) {
        c.Compression = static_cast<float>(50.0 - 10.0 * std::log(static_cast<double>(c.ChannelResponse[1])));
    } else {
        c.Compression = static_cast<float>(std::fabs(8.688 * std::log(static_cast<double>(c.DriveOutput))));
    }
    if (c.Compression > CompressionLimit) c.Compression = CompressionLimit;
}

// With no ticked channel there is nothing to average or compare: both values stay 0
// and the loop is open.
void FormControlValues(Controller& c) {
    c.ControlChannelCount = CountControlChannels(c);
    c.ControlValue = ControlStrategyValue(c, c.ChannelRawResponse);
    c.SmoothedControlValue = ControlStrategyValue(c, c.ChannelResponse);
}

} // namespace

void RestartMeasurement(Controller& c) {
    for (std::size_t k = 1; k <= Channels; ++k) {
        const float raw = c.ChannelRawResponse[k];
        c.ChannelWindow[k].fill(raw);
        c.ChannelResponse[k] = std::max(raw, ResponseFloor);
    }
    c.ControlResponse = c.ChannelResponse[DisplayedChannel(c.DisplayChannel)];
    const float f = c.CurrentFrequency;
    if (f > 0.0f) {
        c.ControlVelocity = VelocityOf(c.ControlResponse, f);
        c.ControlDisplacement = DisplacementOf(c.ControlVelocity, f);
    }
}

std::int16_t DetectorSampleCount(float frequency, float sampleRate) {
    const double rate =
        static_cast<double>(std::isfinite(sampleRate) && sampleRate > 0.0f ? sampleRate : Unit::ScanRate);
    std::int32_t samples = SamplesWithoutFrequency;
    if (frequency > 0.0f) {
        const double halfPeriod = 0.5 * rate / static_cast<double>(frequency);
        for (int i = 1; i <= 1000; ++i) {
            samples = FloorToInt<std::int32_t>(i * halfPeriod, std::numeric_limits<std::int32_t>::max());
            if (samples >= FewestDetectorSamples) break;
        }
    }
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(samples, 1, MostDetectorSamples));
}

DetectedAmplitude DetectAmplitude(std::span<const std::int16_t> block, int place, int samples) {
    if (place < 0 || place >= SamplesPerScan || samples < 1 || block.size() <= static_cast<std::size_t>(place))
        return {};
    const int scansHeld =
        static_cast<int>((block.size() - static_cast<std::size_t>(place) + SamplesPerScan - 1) / SamplesPerScan);
    const int lastScan = std::min(samples, scansHeld - 1);
    std::int32_t sum = 0;
    std::int32_t largest = 0;
    std::int64_t squares = 0;
    for (int scan = 1; scan <= lastScan; ++scan) {
        const std::int32_t magnitude =
            std::abs(static_cast<std::int32_t>(block[static_cast<std::size_t>(scan * SamplesPerScan + place)]));
        sum += magnitude;
        largest = std::max(largest, magnitude);
        squares += static_cast<std::int64_t>(magnitude) * magnitude;
    }
    const std::int32_t mean =
        RoundToInt<std::int32_t>(static_cast<double>(sum) * RectifiedMeanToPeak / static_cast<double>(samples), 0);
    const std::int32_t rms = RoundToInt<std::int32_t>(
        std::sqrt(2.0 * static_cast<double>(squares) / static_cast<double>(samples)), LargestCount);
    return {static_cast<std::int16_t>(std::min(mean, LargestCount)),
            static_cast<std::int16_t>(std::min(largest, LargestCount)),
            static_cast<std::int16_t>(std::min(rms, LargestCount))};
}

std::int16_t CountControlChannels(const Controller& c) {
    std::int16_t count = 0;
    for (int entry = Param::ControlCh1; entry <= Param::ControlCh1 + 3; ++entry) {
        if (IsChecked(c.P[entry])) ++count;
    }
    return count;
}

float ControlStrategyValue(const Controller& c, const std::array<float, Channels + 1>& responses) {
    const std::int16_t count = CountControlChannels(c);
    if (count == 0) return 0.0f;
    float sum = 0.0f;
    float largest = 0.0f;
    for (int k = 1; k <= 4; ++k) {
        if (!IsChecked(c.P[Param::ControlCh1 + (k - 1)])) continue;
        const float response = responses[static_cast<std::size_t>(k)];
        sum += response;
        largest = std::max(largest, response);
    }
    if (c.P[Param::ControlStrategy] == Average) return sum / static_cast<float>(count);
    if (c.P[Param::ControlStrategy] == Extremal) return largest;
    return 0.0f;
}

bool HasControlFeedback(const Controller& c) {
    return (c.P[Param::ControlStrategy] == Average || c.P[Param::ControlStrategy] == Extremal) &&
           CountControlChannels(c) > 0;
}

void MeasureResponses(Controller& c) {
    // Off the boards nothing is converted, so nothing can overload.
    if (IsOn(c.DemoMode) || !BoardPathActive(c)) {
        c.OverloadMask = 0;
        return;
    }
    ReadAdcBlock(c);
    c.DetectorSamples = DetectorSampleCount(c.CurrentFrequency, c.SampleRate);
    // A block short of the detector's scans (or none, after a failed read) would
    // read stale samples as a response: the channels keep their last counts, and
    // their overload marks.
    const auto blockIsWhole = [&] { return c.AdcScansRead > c.DetectorSamples; };
    const auto measure = [&](int firstChannel) {
        if (!blockIsWhole()) return;
        StoreCounts(c, firstChannel);
        MarkOverloads(c, firstChannel);
    };
    measure(1);
    if (c.SecondBoardActive == 1) {
        ReadSecondBoard(c);
        measure(ChannelsPerBoard + 1);
    } else {
        c.OverloadMask &= 0x00FF;
    }
}

void ScaleAndSmoothResponses(Controller& c) {
    const std::array<float, Channels + 1> previous = c.ChannelResponse;

    if (BoardPathActive(c)) {
        c.DetectorWindowLength = BoardWindowLength;
        for (std::size_t k = 1; k <= Channels; ++k) {
            c.ChannelRawResponse[k] = static_cast<float>(c.ChannelCounts[k]) * ScaleOrOne(c.CalibrationFactor[k]) /
                                      ScaleOrOne(c.ChannelScale[k]);
        }
    }
    if (IsOn(c.DemoMode)) RunDemoPlant(c);

    const std::array<float, Channels + 1> windowMean = AdvanceWindow(c);

    const bool heavy = c.SweepRunning == 0.0f && c.CurrentFrequency > HeavySmoothingAbove;
    const double kept = heavy ? 0.9 : 0.67;
    const double taken = heavy ? 0.1 : 0.33;
    for (std::size_t k = 1; k <= Channels; ++k) {
        c.ChannelResponse[k] = static_cast<float>(kept * previous[k] + taken * windowMean[k]);
    }

    c.ControlResponse = std::max(c.ChannelResponse[DisplayedChannel(c.DisplayChannel)], ResponseFloor);
    for (std::size_t k = 1; k <= Channels; ++k) c.ChannelResponse[k] = std::max(c.ChannelResponse[k], ResponseFloor);

    DeriveVelocityAndDisplacement(c);
    ComputeCompression(c);

    if (IsOn(c.ServoOn)) FormControlValues(c);
}
