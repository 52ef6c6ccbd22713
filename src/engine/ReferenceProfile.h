#pragma once

struct Controller;

// The reference profile: the breakpoint table turned into the acceleration the
// shaker must reach at the present frequency, and the check that reconciles the
// table with the sweep limits and the limits of the system.

// `ReferenceLevel` at `CurrentFrequency` from the segment of the table it falls in;
// in Manual control only the Level buttons move it.
void ComputeReference(Controller& c);
// Moves the sweep limits to agree with the table, finds the last point and the peak
// acceleration, and tells the operator what the system limits cannot take.
void CheckProfile(Controller& c);
