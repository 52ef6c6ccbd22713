#include "core/Steps.h"

// Frequency and drive words and the servo gain; built with the engine.
void SendFrequency(Controller&) {}
void UpdateServoGain(Controller&) {}
void SendDrive(Controller&) {}
void UpdateDrive(Controller&) {}
