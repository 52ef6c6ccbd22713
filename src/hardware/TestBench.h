#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The push-buttons of the run panel, as port C carries them (bit = button).
enum class RunButton { ServoOn = 0, Stop = 1, SweepRun = 2, SweepHold = 3 };

// An error code returned by a library function from its n-th call on (1 = every call).
struct CallFault {
    std::string function; // e.g. "daqAdcTransferBufData"
    int code = 1;
    int fromCall = 1;
};

// The names of the library functions, as calls are recorded and faults name them.
const std::vector<std::string>& DaqFunctionNames();

// What a backend that stands for a whole test bench offers beside the library: the true
// values under the sensors and the faults a test script plays. A backend without a bench
// behind it (the absent library, real boards) offers none.
class TestBench {
public:
    virtual ~TestBench() = default;

    // The fundamental, G peak, that channel 1..16's sensor really felt in the newest scan
    // of the block last read from its board, before the sensor's own noise, harmonics
    // and faults. 0 until a read.
    virtual double AcquiredFundamentalG(int channel) const = 0;

    // A push-button held down for `milliseconds` from now.
    virtual void PressFor(RunButton button, std::int64_t milliseconds) = 0;
    // Throws std::invalid_argument when no library function has the fault's name.
    virtual void InjectCallFault(CallFault fault) = 0;
    // Sensor faults from `fromSeconds` after the bench was made on.
    virtual void KillSensor(int channel, double fromSeconds) = 0;
    virtual void SaturateSensor(int channel, double fromSeconds) = 0;
};
