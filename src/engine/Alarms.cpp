#include "core/Steps.h"

// Alarm and abort checks; built with the engine.
void CheckAlarms(Controller&) {}
void AbortTest(Controller&) {}
