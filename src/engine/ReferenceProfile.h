#pragma once

#include <optional>

struct Controller;

// The reference profile: the breakpoint table turned into the acceleration the
// shaker must reach at the present frequency, and the check that reconciles the
// table with the sweep limits and the limits of the system.

// The profile acceleration in G that row `row` of the table demands at `frequency`, or
// nothing when the row gives no usable value: an empty row, a level of 0, a breakpoint
// at or below 0 Hz, a mode the engine does not know, or a value that overflowed.
std::optional<float> ProfileLevelAt(const Controller& c, int row, float frequency);

// `ReferenceLevel` at `CurrentFrequency` from the segment of the table it falls in;
// in Manual control only the Level buttons move it.
void ComputeReference(Controller& c);
// Moves the sweep limits to agree with the table, finds the last point and the peak
// acceleration, and tells the operator what the system limits cannot take.
void CheckProfile(Controller& c);
