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
    bool operator==(const InputCorrectionPoint&) const = default;
};

// Where the audio interface is found, which of the server's ports it is cabled to and what
// its digital full scale means in volts.
struct AudioInterfaceSettings {
    static constexpr int Inputs = 16;

    std::string clientName = "zek8";
    std::string serverName; // empty: the audio server's default
    // The server's port the drive is connected to, and the one each input inK is connected
    // from (inputPorts[K - 1]); empty: left as it is.
    std::string drivePort;
    std::array<std::string, Inputs> inputPorts;
    double outputFullScaleVolts = 1.0;
    std::array<double, Inputs> inputFullScaleVolts = [] {
        std::array<double, Inputs> volts{};
        volts.fill(1.0);
        return volts;
    }();
    double safetyLimitVolts = 1.0; // the drive never exceeds it
    // The input the drive is cabled to while the inputs are calibrated, 1..16.
    int loopbackInput = 1;
    // Each input's correction, ascending in frequency; empty: the input is read as it is.
    std::array<std::vector<InputCorrectionPoint>, Inputs> inputCorrection;

    // The largest drive as a fraction of the output's full scale.
    double DriveLimit() const { return safetyLimitVolts / outputFullScaleVolts; }
    bool operator==(const AudioInterfaceSettings&) const = default;
};
