#pragma once

#include <string>

struct Controller;

// The labels beside the plot, written by the status refresh when their range, units or
// separator has changed since it last wrote them; the window shows them
// beside the plot area, they are not part of its picture.

// "10", "100", "1000" and "10000" below the frequency axis (`LblX2`..`LblX5`), each
// placed at a fraction of the window's inner width (the item's value) for the range
// `FrequencyRange`, and shown or hidden; another range leaves them as they are.
void PlaceFrequencyAxisLabels(Controller& c);
// The value labels of the amplitude axis (`Label29`..`Label36` but the unit label
// `Label33`) for the range `AmplitudeRange` and the units `UnitsSystem`; a label the range does not use
// is blank, and another range leaves them as they are.
void WriteAmplitudeAxisLabels(Controller& c);

// Where amplitude label `name` stands, as a fraction of the plot's height from its
// top: at the bottom edge, or at a decade line of the scale it belongs to. A name
// that is not one of them: a negative value.
double AmplitudeLabelHeight(const std::string& name);
