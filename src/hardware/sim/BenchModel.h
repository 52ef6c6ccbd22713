#pragma once

#include <array>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The test set-up the simulated bench stands for: amplifier and shaker, the fixture
// and specimen under each accelerometer, the sensors, and the faults to play.
struct SensorMounting {
    bool onSpecimen = false;   // else on the table
    float modeHz = 0.0f;       // the specimen mode under the sensor
    float modeQ = 1.0f;
    float sensitivity = 10.0f; // true mV/G
    bool needsCurrent = false; // powered by the unit's constant-current source
    std::optional<double> deadFromSeconds;     // reads nothing but noise from then on
    std::optional<double> saturatedFromSeconds; // sits at the rail from then on
};

struct CallFault {
    std::string function; // e.g. "daqAdcTransferBufData"
    int code = 1;
    int fromCall = 1;     // the n-th call of that function and every one after
};

struct BenchModel {
    float fullDriveG = 60.0f; // bare-table acceleration at full drive between the resonances
    float suspensionHz = 4.0f;
    float suspensionQ = 2.0f;
    float armatureHz = 6500.0f;
    float armatureQ = 4.0f;
    float noiseG = 0.002f;     // rms on every channel
    float distortion = 0.003f; // second harmonic as a fraction of the fundamental
    unsigned seed = 1;
    std::array<SensorMounting, 16> channels{}; // channel k at k - 1

    bool masterPresent = true;
    bool slavePresent = true;
    bool libraryLoadable = true;
    std::vector<CallFault> callFaults;
};

// A small shaker: bare-table accelerometers on channels 1 and 4 (and 5 to 16), specimen
// modes under channels 2 (180 Hz, Q 8) and 3 (900 Hz, Q 12), every sensor 10 mV/G.
BenchModel DefaultBenchModel();

struct BenchFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads a bench file over the default bench; throws BenchFileError naming the line.
BenchModel ReadBenchFile(std::istream& in);
BenchModel LoadBenchFile(const std::string& path);
