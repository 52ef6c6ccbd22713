#include "core/Steps.h"

// Test report picture; built with the files.
void AutoSaveReport(Controller&) {}
void AskReportFileName(Controller&) {}
