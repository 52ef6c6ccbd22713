#pragma once

#include <string>

// Where the audio interface is found and what its digital full scale means in volts.
struct AudioInterfaceSettings {
    std::string clientName = "zek8";
    std::string serverName; // empty: the audio server's default
    double outputFullScaleVolts = 1.0;
    double inputFullScaleVolts = 1.0;
    double safetyLimitVolts = 1.0; // the drive never exceeds it
};
