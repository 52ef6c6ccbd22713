#pragma once

#include <string>

struct Controller;

// The elapsed test time as the panel shows it. Days past the first stand before the
// time of day as a prefix ("1:" after 24 hours), so the hours never wrap unnoticed.
struct ElapsedTime {
    std::string dayPrefix;    // empty during the first day
    double dayFraction = 0.0; // hours, minutes and seconds as a fraction of a day
    std::string text;         // " E.T. = " + prefix + hh:mm:ss
};
ElapsedTime ElapsedTimeOf(double runSeconds);

// The displacement, velocity and acceleration lines, the large readout with its
// caption and the unit of the amplitude axis, in the unit system of P[22].
void WriteUnitReadouts(Controller& c);
