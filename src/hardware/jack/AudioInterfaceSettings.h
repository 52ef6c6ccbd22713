#pragma once

#include <array>
#include <string>
#include <vector>

// One input's gain and phase at one frequency, as the loop-back calibration measured
// them: what the input reads of a sine of 1 V at the connector, and by how many degrees
// it leads it.
struct InputCorrectionPoint {
    double hz = 0.0;
    double gain = 1.0;
    double phaseDegrees = 0.0;
};

// Where the audio interface is found and what its digital full scale means in volts.
struct AudioInterfaceSettings {
    static constexpr int Inputs = 16;

    std::string clientName = "zek8";
    std::string serverName; // empty: the audio server's default
    double outputFullScaleVolts = 1.0;
    double inputFullScaleVolts = 1.0;
    double safetyLimitVolts = 1.0; // the drive never exceeds it
    // The input the drive is cabled to while the inputs are calibrated, 1..16.
    int loopbackInput = 1;
    // Each input's correction, ascending in frequency; empty: the input is read as it is.
    std::array<std::vector<InputCorrectionPoint>, Inputs> inputCorrection;
};
