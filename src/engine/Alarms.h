#pragma once

#include <string>

struct Controller;

// The message shown for an abort code: 1 open loop, 2 displacement limit, 3 velocity
// limit, 4 under-test, 5 over-test, 6 low gain; 7, and any code the controller does
// not know, the acceleration limit. Codes 8 and 9 name their channel: LimitAbortText
// and OverloadAbortText.
std::string AbortMessageText(float code);
// The message of code 8, a limit channel above its limit by its abort margin.
std::string LimitAbortText(int channel);
// The message of code 9, a control or limit channel overloaded for more than a second
// without a break.
std::string OverloadAbortText(int channel);

// The abort checks of one cycle: open loop, system limits, the limit channels' abort
// margins, a control or limit channel overloaded for more than a second, under- and
// over-test (no under-test while a limit channel limits), low gain. A check that trips
// aborts the test.
void CheckAlarms(Controller& c);
// The drive down first, then the test stopped and the operator told why (`AbortCode`).
void AbortTest(Controller& c);
