#pragma once

#include <string>

struct Controller;

// The whole state of the controller as JSON: "P", "breakpoints", "state", "menus",
// "panel" and "calibration".
std::string StateJson(const Controller& c);
