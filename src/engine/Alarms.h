#pragma once

#include <string>

struct Controller;

// The message shown for an abort code: 1 open loop, 2 displacement limit, 3 velocity
// limit, 4 under-test, 5 over-test, 6 low gain; 7, and any code the controller does
// not know, the acceleration limit.
std::string AbortMessageText(float code);

// The abort checks of one cycle: open loop, system limits, under- and over-test,
// low gain. A check that trips aborts the test.
void CheckAlarms(Controller& c);
// The drive down first, then the test stopped and the operator told why (`AbortCode`).
void AbortTest(Controller& c);
