#pragma once

struct Controller;

// The sweep generator: moves the drive frequency once per control cycle while the
// sweep runs, turns at the limits, counts half sweeps and marks the end of the test
// after the requested number, waits at the dwell points and hunts about a resonance.

// One cycle's step of a logarithmic or linear sweep, with the dwell points. Past the
// requested number of half sweeps it moves nothing and sets `EndOfTestDue`.
void SweepStep(Controller& c);
// One cycle's step of a stepped sweep: a fixed step after each dwell period.
void MilStep(Controller& c);
// Turns the sweep round inside the resonance band when the drive word just sent
// grew by more than one count over the previous cycle's.
void ResonanceReversal(Controller& c);
