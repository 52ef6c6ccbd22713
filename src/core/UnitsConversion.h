#pragma once

struct Controller;

// Converts the stored levels and system limits to units system 0 English, 1 Metric or
// 2 Hybrid; a conversion that would leave a value out of range converts nothing.
void ConvertUnits(Controller& c, int target);
