#include "core/Steps.h"

// Test data export; built with the files.
void AutoExportData(Controller&) {}
void AskExportFileName(Controller&) {}
