#include "core/Steps.h"

// External run inputs; built with the run commands.
void PollRunInputs(Controller&) {}
