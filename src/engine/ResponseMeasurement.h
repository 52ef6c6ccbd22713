#pragma once

#include <array>
#include <cstdint>
#include <span>

struct Controller;

// The amplitude detector and the choice of the control channels, open to the drive
// law and to tests that feed the detector a block of their own.

// Samples per channel the detector looks at: the shortest whole number of half
// periods of `frequency` that exceeds 510 samples, at most 1023 and at least 1; 500
// when there is no positive frequency. A rate that is not positive and finite is
// taken as the board's fixed scan rate.
std::int16_t DetectorSampleCount(float frequency, float sampleRate);

struct DetectedAmplitude {
    std::int16_t rectifiedMean = 0; // mean of |x| x 1.57: the peak of a sine
    std::int16_t peak = 0;          // largest |x|
    std::int16_t rms = 0;           // root mean square x sqrt 2: the peak of a sine
};

// The detectors over scans 1..`samples` (scan 0 is not used) of the channel in
// `place` 0..7 of a block of 8-sample scans. The results are limited to 32767;
// scans the block does not hold are left out.
DetectedAmplitude DetectAmplitude(std::span<const std::int16_t> block, int place, int samples);

// Channels 1..4 whose control entry (ControlCh1..ControlCh1 + 3) carries its check mark.
std::int16_t CountControlChannels(const Controller& c);

// The strategy value of channels 1..4's `responses` (channel k at k, G peak) over the
// ticked ones: their mean under Average, the largest under Extremal; 0 with none
// ticked or under any other strategy. The servo's control value is this of the raw
// responses.
float ControlStrategyValue(const Controller& c, const std::array<float, 17>& responses);

// Average and Extremal close the loop over at least one ticked channel; Manual and
// a strategy the controller does not know have no measured feedback.
bool HasControlFeedback(const Controller& c);

// A new start of the servo: the measurement window, the smoothed responses and the
// readouts start again from the present raw reading, so the abort checks judge only
// what the shaker does from now on, not what a stopped test left behind.
void RestartMeasurement(Controller& c);
// On the board path: the newest block read and each channel's amplitude detected in
// counts; a block too short for the detector keeps the last counts.
void MeasureResponses(Controller& c);
// The counts scaled by calibration and channel scale (or the demo plant's response),
// smoothed, velocity, displacement and compression derived, and with the servo on the
// control value formed for the drive law.
void ScaleAndSmoothResponses(Controller& c);
