#include "core/Steps.h"

// Profile file; built with the files.
void LoadDefaultProfile(Controller&) {}
