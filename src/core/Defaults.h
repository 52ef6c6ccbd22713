#pragma once

#include <optional>

struct Controller;

// Fills the parameter table, the default profile and the shared state, then puts
// the banner line into the window title. The first step of start-up.
void SetDefaults(Controller& c);

// The value SetDefaults writes into P[entry]; nothing for an entry it leaves as it is.
std::optional<float> DefaultOf(int entry);
