#pragma once

#include <cstdint>

struct Controller;

// The words the signal generator takes, worked out from the drive and the frequency.

// The drive in 0.0001..1 of full output; a value that is not a number, or an
// infinite one, is the smallest drive.
float LimitDrive(float drive);

// round(drive x 4000), ties to even, of the drive limited as above: 0..4000.
std::int16_t DriveWordFor(float drive);

// frequency x 8.192 word units, within the 16 bits the generator holds: 65535 above
// about 8000 Hz, 0 for a negative frequency or one that is not finite.
float FrequencyWordFor(float frequency);

// The drive law: the frequency and drive words out to the signal generator each
// cycle, and the correction of the drive toward the reference.

// On the board path: `FrequencyWord` for `CurrentFrequency`, out to the generator.
void SendFrequency(Controller& c);
// The servo gain of this cycle: the servo rate's, lowered below 20 Hz and while the
// sweep holds.
void UpdateServoGain(Controller& c);
// On the board path: `DriveOutput` out as the drive word, then the resonance
// reversal when the resonance search is on.
void SendDrive(Controller& c);
// Corrects `DriveOutput` toward the reference by the control strategy in force.
void UpdateDrive(Controller& c);
