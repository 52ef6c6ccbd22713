#include "core/Steps.h"

// Reference profile and profile check; built with the engine.
void ComputeReference(Controller&) {}
void CheckProfile(Controller&) {}
