#include "core/Steps.h"

// Sweep generator; built with the engine.
void SweepStep(Controller&) {}
