#include "core/Steps.h"

// Remote-control file; built with the run commands.
void ExchangeRemoteControlFile(Controller&) {}
void PublishRunCommand(Controller&) {}
