#include "core/Steps.h"

// Signal-conditioning unit words; built with the hardware.
void UpdateCurrentSources(Controller&) {}
void SetPortBRunLevel(Controller&) {}
void SendFrequencyWord(Controller&) {}
void SendDriveWord(Controller&, std::int16_t, std::int16_t) {}
