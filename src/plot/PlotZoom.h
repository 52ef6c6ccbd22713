#pragma once

struct Controller;

// The axis ranges of the View menu and the keys: frequency `FrequencyRange` 1..3, amplitude
// `AmplitudeRange` 0..3, one step at a time; each step redraws the plot.
void ZoomFrequencyIn(Controller& c);
void ZoomFrequencyOut(Controller& c);
void ZoomAmplitudeIn(Controller& c);
void ZoomAmplitudeOut(Controller& c);
