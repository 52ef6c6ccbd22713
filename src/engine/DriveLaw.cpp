#include "engine/DriveLaw.h"

#include "core/CheckedConvert.h"
#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "core/Units.h"
#include "engine/ResponseMeasurement.h"
#include "engine/SweepGenerator.h"
#include "hardware/ConditioningUnit.h"

#include <cmath>

// A multiplicative servo: once per cycle the drive is scaled by
// 1 + 0.033 x gain x normalised error, with a gain set by the servo rate, lowered at
// low frequencies and on hold, raised far below the reference and cut back in steps
// as the error gets small. The drive worked out here goes out on the next cycle.

namespace {

constexpr float SmallestDrive = 0.0001f;
constexpr float FullDrive = 1.0f;
constexpr float LargestFrequencyWord = 65535.0f;

constexpr float LowestReference = 0.02f;
constexpr float FullGainFrom = 20.0f; // Hz
constexpr double StepPerGain = 0.033;

constexpr float Slow = 1.0f;
constexpr float Medium = 2.0f;

constexpr float Manual = 1.0f;
constexpr double ManualDrivePerLevel = 0.001;

float RateGain(float servoRate) {
    if (servoRate == Slow) return 10.0f;
    if (servoRate == Medium) return 18.0f;
    return 25.0f;
}

float Times(float value, double factor) { return static_cast<float>(static_cast<double>(value) * factor); }

// Far below the reference the gain doubles; close to it, it is cut in three steps
// that add up, to 0.02178 of its value within 1 %.
void AdjustGainForError(Controller& c) {
    if (c.ControlValue / c.ReferenceLevel < 0.1f) c.ServoGain = Times(c.ServoGain, 2.0);
    const float size = std::fabs(c.ControlError);
    if (size < 0.06f) c.ServoGain = Times(c.ServoGain, 0.66);
    if (size < 0.03f) c.ServoGain = Times(c.ServoGain, 0.33);
    if (size < 0.01f) c.ServoGain = Times(c.ServoGain, 0.1);
}

} // namespace

float LimitDrive(float drive) {
    if (!std::isfinite(drive) || drive < SmallestDrive) return SmallestDrive;
    return drive > FullDrive ? FullDrive : drive;
}

std::int16_t DriveWordFor(float drive) {
    return RoundToInt<std::int16_t>(static_cast<double>(LimitDrive(drive)) * Unit::DriveWordFullScale, 0);
}

float FrequencyWordFor(float frequency) {
    const float word = Times(frequency, Unit::FrequencyWordPerHz);
    if (!std::isfinite(word) || word < 0.0f) return 0.0f;
    return word > LargestFrequencyWord ? LargestFrequencyWord : word;
}

void SendFrequency(Controller& c) {
    if (!(c.DemoMode == 0.0f && BoardPathActive(c))) return;
    c.FrequencyWord = FrequencyWordFor(c.CurrentFrequency);
    // The boards digitise all the time and a block is their newest scans: the block read
    // after this word was made while the generator still ran at the word before it.
    c.AcquiredFrequencyWord = c.SentFrequencyWord;
    c.SentFrequencyWord = c.FrequencyWord;
    SendFrequencyWord(c);
}

void UpdateServoGain(Controller& c) {
    if (c.ReferenceLevel <= LowestReference) c.ReferenceLevel = LowestReference;
    c.ServoGain = RateGain(c.P[Param::ServoRate]);
    const float f = c.CurrentFrequency;
    // Below 20 Hz the gain falls with the frequency, to 0.2 of its value at 0 Hz; a
    // frequency below 0 must not turn the correction round.
    if (f < FullGainFrom) {
        const double lowered = 0.04 * static_cast<double>(f > 0.0f ? f : 0.0f) + 0.2;
        c.ServoGain = Times(c.ServoGain, lowered);
    }
    if (c.SweepRunning == 0.0f) c.ServoGain = Times(c.ServoGain, 0.33);
}

void SendDrive(Controller& c) {
    if (!(c.DemoMode == 0.0f && BoardPathActive(c))) return;
    c.PreviousDriveWord = c.DriveWord;
    c.DriveWord = DriveWordFor(c.DriveOutput);
    c.DriveWordLow = 0;
    c.DriveWordHigh = c.DriveWord;
    SendDriveWord(c, c.DriveWordLow, c.DriveWordHigh);
    if (IsOn(c.P[Param::ResonanceSearch])) ResonanceReversal(c);
}

void UpdateDrive(Controller& c) {
    const float reference = c.ReferenceLevel;
    const bool manual = c.P[Param::ControlStrategy] == Manual;
    // A reference that is not a number demands nothing; without measured feedback
    // (no ticked control channel) an error means nothing either, and the drive is
    // held where it is until the open-loop check ends the test.
    if (!std::isfinite(reference) || reference <= 0.0f) {
        c.ControlError = 0.0f;
        c.DriveOutput = SmallestDrive;
        return;
    }
    if (!manual && !HasControlFeedback(c)) {
        c.ControlError = 0.0f;
        if (IsOn(c.DemoMode)) c.DriveOutput = Times(reference, ManualDrivePerLevel);
        c.DriveOutput = LimitDrive(c.DriveOutput);
        return;
    }

    float error = (reference - c.ControlValue) / reference;
    if (error > 1.0f) error = 1.0f;
    if (error < -1.0f) error = -1.0f;
    // Only a control value that is not a number leaves no error to act on.
    c.ControlError = std::isfinite(error) ? error : 0.0f;
    AdjustGainForError(c);

    if (manual) c.DriveOutput = Times(reference, ManualDrivePerLevel);
    c.DriveOutput = Times(c.DriveOutput, 1.0 + static_cast<double>(c.ServoGain) * StepPerGain * c.ControlError);
    if (IsOn(c.DemoMode)) c.DriveOutput = Times(reference, ManualDrivePerLevel);
    c.DriveOutput = LimitDrive(c.DriveOutput);
}
