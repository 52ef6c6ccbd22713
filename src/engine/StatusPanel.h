#pragma once

#include <string>

struct Controller;

// The elapsed test time as the panel shows it. Days past the first stand before the
// time of day as a prefix ("1:" after 24 hours), so the hours never wrap unnoticed.
struct ElapsedTime {
    std::string dayPrefix;    // empty during the first day
    double dayFraction = 0.0; // hours, minutes and seconds as a fraction of a day
    // " E.T. = " + prefix + hh:mm:ss; made only for the panel, as the run-time clock
    // needs no text.
    std::string Text() const;
};
ElapsedTime ElapsedTimeOf(double runSeconds);

// The run time of the test, `RunSeconds` (which the dwell waits and the cycle-rate
// estimate read), and the elapsed time the panel and the data file show, as of now.
void UpdateRunTime(Controller& c);

// The status panel rewritten from the shared state: limits, rate, sweep type and
// count, times, servo rate, compression, frequency and channel, the unit readouts,
// the axis labels and the window title. The elapsed time shown is `RunSeconds` as the
// last UpdateRunTime left it.
void RefreshStatusPanel(Controller& c);

// The display-mode commands of the View menu: the large readout shows the
// acceleration only, or the quantity the profile controls.
void DisplayAccelerationOnly(Controller& c);
void DisplayControlledResponse(Controller& c);
