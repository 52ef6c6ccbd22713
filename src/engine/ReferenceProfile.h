#pragma once

#include <optional>
#include <string>

struct Controller;

// The reference profile: the breakpoint table turned into the acceleration the
// shaker must reach at the present frequency, and the check that reconciles the
// table with the sweep limits and the limits of the system.

// The profile acceleration in G that row `row` of the table demands at `frequency`, or
// nothing when the row gives no usable value: an empty row, a level of 0, a breakpoint
// at or below 0 Hz, a mode the engine does not know, or a value that overflowed.
std::optional<float> ProfileLevelAt(const Controller& c, int row, float frequency);
// The acceleration in G that a level of mode D, V or A (in the units of UnitsSystem)
// demands at `frequency`; nothing for another mode or a value that overflowed. The
// reference profile's rows and the limit channels' rows are read alike.
std::optional<float> ModeLevelInG(const Controller& c, float mode, float level, float frequency);

// `ReferenceLevel` at `CurrentFrequency` from the segment of the table it falls in;
// in Manual control only the Level buttons move it.
void ComputeReference(Controller& c);
// Moves the sweep limits to agree with the table, finds the last point and the peak
// acceleration, and tells the operator what the system limits cannot take.
void CheckProfile(Controller& c);

// A row the reference cannot follow. The rows in use are those ComputeReference walks:
// from row 1 up to the first whose frequency reaches the upper limit UpperLimit, row 99 at
// most. Each must lie above 0 Hz and not below the row before it (a row at the same
// frequency only opens an empty segment; below the lower limit LowerLimit counts as at it),
// and hold a finite level. Rows after the one
// at the upper limit are never used and may hold anything.
struct ProfileFault {
    int row = 0;
    bool level = false; // its level is not finite; else its frequency is out of order
};
std::optional<ProfileFault> FindProfileFault(const Controller& c);
// The message that names the row, as Servo On shows it.
std::string ProfileFaultMessage(const ProfileFault& fault);
