#include "core/MeasurableBand.h"

#include <algorithm>
#include <cmath>

float Band::Held(float frequency, float instead) {
    return std::isnan(frequency) ? instead : std::clamp(frequency, LowestFrequency, HighestFrequency);
}
