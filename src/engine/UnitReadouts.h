#pragma once

struct Controller;

// The displacement, velocity and acceleration lines, the large readout with its
// caption and the unit of the amplitude axis, in the unit system of UnitsSystem.
void WriteUnitReadouts(Controller& c);
