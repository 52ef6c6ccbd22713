#include "hardware/sim/BenchSetup.h"

namespace sim {

BenchModel DefaultBenchModel() {
    BenchModel model;
    // At 20 G these two read well above the board's range at the default gains; they
    // are never control channels by default, so they show the modes without aborting.
    SensorMounting& bracket = model.channels[1];
    bracket.onSpecimen = true;
    bracket.modeHz = 180.0;
    bracket.modeQ = 8.0;
    SensorMounting& panel = model.channels[2];
    panel.onSpecimen = true;
    panel.modeHz = 900.0;
    panel.modeQ = 12.0;
    return model;
}

} // namespace sim
