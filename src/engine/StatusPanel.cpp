#include "core/Steps.h"

// Status panel refresh; built with the engine.
void RefreshStatusPanel(Controller&) {}
