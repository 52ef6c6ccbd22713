#pragma once

struct Controller;

// Printable area of the page the report is laid out on when no printer tells us
// better: US letter less half-inch margins, in twips.
inline constexpr float PrintableWidth = 10800.0f;
inline constexpr float PrintableHeight = 14400.0f;

// Fills the parameter table, the default profile and the shared state, then puts
// the banner line into the window title. The first step of start-up.
void SetDefaults(Controller& c);
