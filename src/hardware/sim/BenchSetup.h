#pragma once

#include "hardware/TestBench.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// The test set-up a simulated bench stands for: amplifier and shaker, the fixture or
// specimen under each accelerometer, the sensors, and the faults and button presses to
// play. Times are seconds after the bench was created.

constexpr int BenchChannels = 16; // channels 1..8 on the master board, 9..16 on the slave

// One accelerometer and what it sits on.
struct SensorMounting {
    bool fitted = true;      // no sensor: the input reads its own noise only
    bool onSpecimen = false; // else on the bare table
    double modeHz = 0.0;     // the specimen mode under the sensor
    double modeQ = 1.0;
    double sensitivity = 10.0;                  // true mV/G, whatever the controller's table says
    bool needsCurrent = false;                  // powered by the unit's constant-current source
    double noiseG = 0.002;                      // rms at the input, in G of this sensor
    std::optional<double> deadFromSeconds;      // noise only from then on
    std::optional<double> saturatedFromSeconds; // at the positive rail from then on
};

struct ButtonPress {
    RunButton button = RunButton::ServoOn;
    double atSeconds = 0.0;
    double heldSeconds = 0.2;
};

struct BenchModel {
    // The bare table's acceleration, G peak, at full drive between the two resonances.
    double fullDriveG = 60.0;
    // The suspension lets the armature stand still below it (second-order high-pass).
    double suspensionHz = 4.0;
    double suspensionQ = 2.0;
    // The armature's own resonance, above the test band (second-order low-pass).
    double armatureHz = 6500.0;
    double armatureQ = 4.0;
    // Harmonics of the shaker motion as fractions of the fundamental: 2nd, 3rd, ...
    std::vector<double> harmonics{0.003};
    unsigned seed = 1;
    std::array<SensorMounting, BenchChannels> channels{}; // channel k at k - 1

    bool masterPresent = true;
    bool slavePresent = true;
    bool libraryLoadable = true;
    std::vector<CallFault> callFaults;
    std::vector<ButtonPress> presses;

    // The audio bench only: what the inputs of an audio interface make of the sensors'
    // volts. A sample of 1 is `audioFullScaleVolts`; the first-order high-pass of an
    // AC-coupled input has its -3 dB corner at `audioHighPassHz` (0: none).
    double audioFullScaleVolts = 1.0;
    double audioHighPassHz = 0.0;
};

// A small shaker with every sensor at the controller's default 10 mV/G: bare-table
// accelerometers on channels 1 and 4 (and 5 to 16), specimen modes under channel 2
// (180 Hz, Q 8) and channel 3 (900 Hz, Q 12).
BenchModel DefaultBenchModel();

} // namespace sim
