#pragma once

#include "hardware/DaqLibrary.h"
#include "hardware/sim/BenchModel.h"

#include <array>
#include <complex>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

class Clock;

// A test bench in software behind the acquisition library: the boards, the
// signal-conditioning unit and the test set-up in one. It decodes the serial words on
// port A as the unit would, drives one shaker with a continuous-phase sine at the
// decoded frequency and level, and digitises every accelerometer with the board's
// gains, 16-bit quantisation and clipping. Samples are made on demand, up to the time
// of the shared clock, 10240 scans a second.
class SimBench final : public DaqLibrary {
public:
    static constexpr DaqHandle MasterHandle = 0;
    static constexpr DaqHandle SlaveHandle = 1;
    static constexpr int InvalidHandle = 1001;
    static constexpr int NotScanning = 1002;

    struct Call {
        std::string function;
        DaqHandle handle = NoDaqHandle;
    };

    // What a board's port A has delivered to the unit.
    struct UnitState {
        std::uint32_t frequencyWord = 0;
        std::uint32_t driveHigh = 0;
        std::uint32_t driveLow = 0;
        std::uint32_t currentSources = 0;
        int portB = 0;
        int protocolErrors = 0;
    };

    SimBench(Clock& clock, BenchModel model);

    const std::vector<Call>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    const UnitState& Unit(DaqHandle board) const;
    const std::vector<std::int32_t>& ScanGains(DaqHandle board) const;
    bool Open(DaqHandle board) const;
    bool Scanning(DaqHandle board) const;

    // The run push-buttons: bit 0 Servo On, 1 Stop, 2 Sweep Run, 3 Sweep Hold.
    void Press(int button, bool pressed);

    // The acceleration in G peak the bench gives on channel 1..16 for the present drive.
    double ChannelAmplitudeG(int channel) const;

    int daqSetDefaultErrorHandler(int handler) override;
    DaqHandle daqOpen(const std::string& deviceName) override;
    int daqGetLastError(DaqHandle handle, int& errorCode) override;
    int daqClose(DaqHandle handle) override;
    int daqFormatError(int errorCode, std::span<char> text) override;
    int daqSetOption(DaqHandle handle, int channel, int flags, int optionType, float value) override;
    int daqDacSetOutputMode(DaqHandle handle, int deviceType, int output, int mode) override;
    int daqDacWaveSetTrig(DaqHandle handle, int deviceType, int output, int triggerSource, int rising) override;
    int daqDacWaveSetClockSource(DaqHandle handle, int deviceType, int output, int clockSource) override;
    int daqDacWaveSetFreq(DaqHandle handle, int deviceType, int output, float frequency) override;
    int daqDacWaveSetMode(DaqHandle handle, int deviceType, int output, int mode, int updateCount) override;
    int daqDacWaveSetBuffer(DaqHandle handle, int deviceType, int output, std::span<std::int16_t> buffer, int count,
                            int transferMask) override;
    int daqDacWaveSetUserWave(DaqHandle handle, int deviceType, int output) override;
    int daqDacTransferStart(DaqHandle handle, int deviceType, int output) override;
    int daqDacWaveArm(DaqHandle handle, int deviceType) override;
    int daqDacWaveDisarm(DaqHandle handle, int deviceType) override;
    int daqIOGet8255Conf(DaqHandle handle, int portA, int portB, int portCHigh, int portCLow,
                         int& configuration) override;
    int daqIOWrite(DaqHandle handle, int deviceType, int devicePort, int whichDevice, int whichExpPort,
                   int value) override;
    int daqIORead(DaqHandle handle, int deviceType, int devicePort, int whichDevice, int whichExpPort,
                  int& value) override;
    int daqAdcSetAcq(DaqHandle handle, int mode, int preTriggerCount, int postTriggerCount) override;
    int daqAdcSetScan(DaqHandle handle, std::span<const std::int32_t> channels, std::span<const std::int32_t> gains,
                      std::span<const std::int32_t> flags, int count) override;
    int daqAdcSetClockSource(DaqHandle handle, int clockSource) override;
    int daqAdcTransferSetBuffer(DaqHandle handle, std::span<std::int16_t> buffer, int scanCount,
                                int transferMask) override;
    int daqSetTriggerEvent(DaqHandle handle, int triggerSource, int sensitivity, int channel, int gainCode, int flags,
                           int channelType, float level, float variance, int event) override;
    int daqAdcSetFreq(DaqHandle handle, float frequency) override;
    int daqAdcTransferStart(DaqHandle handle) override;
    int daqAdcArm(DaqHandle handle) override;
    int daqAdcDisarm(DaqHandle handle) override;
    int daqAdcTransferStop(DaqHandle handle) override;
    int daqAdcTransferGetStat(DaqHandle handle, int& active, int& returnedCount) override;
    int daqAdcTransferBufData(DaqHandle handle, std::span<std::int16_t> buffer, int scanCount, int bufferMask,
                              int& returnedCount) override;

private:
    static constexpr int RingScans = 1024;

    struct ShiftRegister {
        std::uint32_t bits = 0;
        int count = 0;
    };
    struct Board {
        bool open = false;
        bool outputsArmed = false;
        bool transferRunning = false;
        bool armed = false;
        std::vector<std::int32_t> gains = std::vector<std::int32_t>(8, 0);
        int lastPortA = 16;
        ShiftRegister frequency, drive, current;
        UnitState unit;
        std::vector<std::int16_t> ring = std::vector<std::int16_t>(RingScans * 8, 0);
    };

    // Logs the call, applies injected faults, and checks the handle.
    int Enter(const char* function, DaqHandle handle);
    Board* Find(DaqHandle handle);
    void DecodePortA(Board& board, int value);
    void GenerateUpTo(std::int64_t scan);
    void GenerateScan();
    std::complex<double> TableResponse(double hz) const;
    std::complex<double> ChannelResponse(int channel, double hz) const;

    Clock& clock_;
    BenchModel model_;
    std::map<DaqHandle, Board> boards_;
    std::vector<Call> calls_;
    std::map<std::string, int> callCounts_;
    int buttonsPressed_ = 0;

    // The shaker's generator and the samples made so far.
    std::int64_t scansMade_ = 0;
    double phase_ = 0.0;
    std::mt19937 noise_;
};
