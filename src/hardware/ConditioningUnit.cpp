#include "core/Steps.h"

// Signal-conditioning unit words; built with the hardware.
void UpdateCurrentSources(Controller&) {}
void SetPortBRunLevel(Controller&) {}
