#include "core/Steps.h"

// Sweep generator; built with the engine.
void SweepStep(Controller&) {}
void MilStep(Controller&) {}
void EndOfTest(Controller&) {}
void ResonanceReversal(Controller&) {}
