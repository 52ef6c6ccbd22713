#pragma once

#include <cstdint>

// The words the signal generator takes, worked out from the drive and the frequency.

// The drive in 0.0001..1 of full output; a value that is not a number, or an
// infinite one, is the smallest drive.
float LimitDrive(float drive);

// round(drive x 4000), ties to even, of the drive limited as above: 0..4000.
std::int16_t DriveWordFor(float drive);

// frequency x 8.192 word units, within the 16 bits the generator holds: 65535 above
// about 8000 Hz, 0 for a negative frequency or one that is not finite.
float FrequencyWordFor(float frequency);
