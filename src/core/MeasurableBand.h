#pragma once

#include "core/Units.h"

// The frequencies the drive may be given: those at which every detector reads the
// response. The lowest is the lowest sweep limit the prompt takes. The highest comes
// from half the scan rate: a sine just below it reaches the samples as a full-scale
// sine whose envelope beats at the distance from half the scan rate, and the detectors'
// shortest block (512 scans there) must hold at least one half period of that beat, or
// the block may fall where the envelope is near 0 and every detector reads nothing.
// The tracking filter fits every frequency of the band (see TrackingFilter.h).
namespace Band {

inline constexpr float LowestFrequency = 1.0f;
inline constexpr int ShortestDetectorBlock = 512;
inline constexpr float HighestFrequency = Unit::ScanRate / 2.0f * (1.0f - 1.0f / ShortestDetectorBlock); // 5110 Hz

// `frequency` held within the band; a frequency that is not a number becomes `instead`.
float Held(float frequency, float instead);

} // namespace Band
