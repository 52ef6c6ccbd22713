#include "core/Steps.h"

// Board layer; until it is built, no board is opened and nothing needs making safe.
void InitialiseHardware(Controller&) {}
void MakeBoardsSafe(Controller&, bool) {}
void ReadAdcBlock(Controller&) {}
