#include "core/Steps.h"

// Calibration factors file; built with the hardware.
void LoadCalibrationFile(Controller&) {}
