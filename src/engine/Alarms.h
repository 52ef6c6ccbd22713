#pragma once

#include <string>

// The message shown for an abort code: 1 open loop, 2 displacement limit, 3 velocity
// limit, 4 under-test, 5 over-test, 6 low gain; 7, and any code the controller does
// not know, the acceleration limit.
std::string AbortMessageText(float code);
