#pragma once

#include <cstdint>
#include <span>
#include <string>

// The acquisition library as the board layer calls it: one function per library
// entry point, with the library's parameters in the library's order and its integer
// result codes (0 = success). Buffers the board registers (the output waveform and
// the input transfer buffer) are passed as spans that must outlive the registration.
//
// A backend that cannot load the library at all throws DaqLibraryUnavailable from
// every call, as calling into a missing library would.
using DaqHandle = std::int32_t;
constexpr DaqHandle NoDaqHandle = -1;

class DaqLibrary {
public:
    virtual ~DaqLibrary() = default;

    virtual int daqSetDefaultErrorHandler(int handler) = 0;
    // The handle of the named device, or -1 when it cannot be opened.
    virtual DaqHandle daqOpen(const std::string& deviceName) = 0;
    virtual int daqGetLastError(DaqHandle handle, int& errorCode) = 0;
    virtual int daqClose(DaqHandle handle) = 0;
    // The library's explanation of a code, NUL-terminated within `text`.
    virtual int daqFormatError(int errorCode, std::span<char> text) = 0;
    virtual int daqSetOption(DaqHandle handle, int channel, int flags, int optionType, float value) = 0;

    virtual int daqDacSetOutputMode(DaqHandle handle, int deviceType, int output, int mode) = 0;
    virtual int daqDacWaveSetTrig(DaqHandle handle, int deviceType, int output, int triggerSource, int rising) = 0;
    virtual int daqDacWaveSetClockSource(DaqHandle handle, int deviceType, int output, int clockSource) = 0;
    virtual int daqDacWaveSetFreq(DaqHandle handle, int deviceType, int output, float frequency) = 0;
    virtual int daqDacWaveSetMode(DaqHandle handle, int deviceType, int output, int mode, int updateCount) = 0;
    virtual int daqDacWaveSetBuffer(DaqHandle handle, int deviceType, int output, std::span<std::int16_t> buffer,
                                    int count, int transferMask) = 0;
    virtual int daqDacWaveSetUserWave(DaqHandle handle, int deviceType, int output) = 0;
    virtual int daqDacTransferStart(DaqHandle handle, int deviceType, int output) = 0;
    virtual int daqDacWaveArm(DaqHandle handle, int deviceType) = 0;
    virtual int daqDacWaveDisarm(DaqHandle handle, int deviceType) = 0;

    virtual int daqIOGet8255Conf(DaqHandle handle, int portA, int portB, int portCHigh, int portCLow,
                                 int& configuration) = 0;
    virtual int daqIOWrite(DaqHandle handle, int deviceType, int devicePort, int whichDevice, int whichExpPort,
                           int value) = 0;
    virtual int daqIORead(DaqHandle handle, int deviceType, int devicePort, int whichDevice, int whichExpPort,
                          int& value) = 0;

    virtual int daqAdcSetAcq(DaqHandle handle, int mode, int preTriggerCount, int postTriggerCount) = 0;
    virtual int daqAdcSetScan(DaqHandle handle, std::span<const std::int32_t> channels,
                              std::span<const std::int32_t> gains, std::span<const std::int32_t> flags, int count) = 0;
    virtual int daqAdcSetClockSource(DaqHandle handle, int clockSource) = 0;
    virtual int daqAdcTransferSetBuffer(DaqHandle handle, std::span<std::int16_t> buffer, int scanCount,
                                        int transferMask) = 0;
    virtual int daqSetTriggerEvent(DaqHandle handle, int triggerSource, int sensitivity, int channel, int gainCode,
                                   int flags, int channelType, float level, float variance, int event) = 0;
    virtual int daqAdcSetFreq(DaqHandle handle, float frequency) = 0;
    virtual int daqAdcTransferStart(DaqHandle handle) = 0;
    virtual int daqAdcArm(DaqHandle handle) = 0;
    virtual int daqAdcDisarm(DaqHandle handle) = 0;
    virtual int daqAdcTransferStop(DaqHandle handle) = 0;
    virtual int daqAdcTransferGetStat(DaqHandle handle, int& active, int& returnedCount) = 0;
    // The newest `scanCount` scans into `buffer`; `returnedCount` tells how many came.
    virtual int daqAdcTransferBufData(DaqHandle handle, std::span<std::int16_t> buffer, int scanCount, int bufferMask,
                                      int& returnedCount) = 0;
};

// Thrown by a backend whose library cannot be loaded.
struct DaqLibraryUnavailable {
    std::string description;
};
