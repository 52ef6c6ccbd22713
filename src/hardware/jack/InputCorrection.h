#pragma once

#include "hardware/jack/AudioInterfaceSettings.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// An input's correction: the gain it was measured to have, against frequency, by which
// every reading is divided. A gain outside this range is no coupling of an input but a
// fault of the measurement or of the file: below it a reading would be blown up, above it
// a reading made so small that the loop would raise the drive to its limit.
inline constexpr double LowestCorrectionGain = 0.05;
inline constexpr double HighestCorrectionGain = 20.0;

// What makes a correction unusable (a frequency that is not positive or not above the
// one before, a gain that is not finite or outside the range, a phase that is not
// finite), or nothing. An empty correction is usable: the input is read as it is.
std::optional<std::string> CorrectionFault(const std::vector<InputCorrectionPoint>& points);

// The gain at `hz`: straight between the two points around it in log frequency and log
// gain, held at the end points outside them; 1 without points.
double CorrectionGainAt(const std::vector<InputCorrectionPoint>& points, double hz);

using InputCorrections = std::array<std::vector<InputCorrectionPoint>, AudioInterfaceSettings::Inputs>;

// Each input's correction from one calibration: `measured` holds every input's gain and
// its phase against the loop-back input's at the same frequencies, empty for an input
// that is not registered. An input that read the drive (within a factor of 2 of the
// loop-back input at every frequency) keeps its own; any other, whether it read nothing
// or a sensor on a shaker the drive moved, takes the loop-back input's, as the inputs of
// one interface share one coupling. `loopbackInput` is 1..16.
InputCorrections CorrectionsFromCalibration(const InputCorrections& measured, int loopbackInput);
