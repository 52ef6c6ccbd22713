#pragma once

struct Controller;

// Fills the parameter table, the default profile and the shared state, then puts
// the banner line into the window title. The first step of start-up.
void SetDefaults(Controller& c);
