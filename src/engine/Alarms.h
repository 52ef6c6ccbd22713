#pragma once

#include <string>

struct Controller;

// The message shown for an abort code: 1 open loop, 2 displacement limit, 3 velocity
// limit, 4 under-test, 5 over-test, 6 low gain; 7, and any code the controller does
// not know, the acceleration limit. Code 8 names its channel: LimitAbortText.
std::string AbortMessageText(float code);
// The message of code 8, a limit channel above its limit by its abort margin.
std::string LimitAbortText(int channel);

// The abort checks of one cycle: open loop, system limits, the limit channels' abort
// margins, under- and over-test (no under-test while a limit channel limits), low gain. A check that trips aborts the
// test.
void CheckAlarms(Controller& c);
// The drive down first, then the test stopped and the operator told why (`AbortCode`).
void AbortTest(Controller& c);
