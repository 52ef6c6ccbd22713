#pragma once

#include "core/Units.h"
#include "hardware/BoardSignals.h"
#include "hardware/DaqLibrary.h"
#include "hardware/SerialWordDecoder.h"
#include "hardware/TestBench.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

class Clock;

// The two acquisition boards (master and slave) and the signal-conditioning unit's
// serial registers, as the acquisition library's calls drive them, on the shared clock.
//
// Each board keeps its state as the calls leave it. Port A of each board feeds a
// SerialWordDecoder, as the unit's shift registers would. The master's frequency and
// drive words set the drive (word / 8.192 Hz, high half / 4000 of full output, while the
// master's analogue outputs are armed), handed to the BoardSignals; every board samples
// its eight inputs through the BoardSignals from the moment its acquisition is armed and
// running, at its scan rate, and digitises them with the gain of each position, 16-bit
// quantisation and clipping. Samples are made when the library is next called, never
// more than one transfer buffer of them, so long gaps between calls cost nothing.
//
// Every call is logged with its numeric arguments (spans as their length, the scan list
// in full). A handle that is not open fails with InvalidHandle and changes nothing.
class EmulatedBoards : public DaqLibrary {
public:
    static constexpr DaqHandle MasterHandle = 0;
    static constexpr DaqHandle SlaveHandle = 1;

    // The library's result codes besides 0.
    static constexpr int InvalidHandle = 1001;
    static constexpr int NotScanning = 1002;
    static constexpr int DeviceNotFound = 1003;
    static constexpr int InvalidParameter = 1004;
    static constexpr int NoScanList = 1005;
    static constexpr int BufferTooSmall = 1006;
    static constexpr int NoTransferBuffer = 1007;

    struct Call {
        std::string_view function;
        DaqHandle handle = NoDaqHandle;
        std::vector<double> arguments;
        int result = 0;   // for daqOpen the error code; -1 when the call threw
        std::string text; // daqOpen's device name
    };

    // What a board's ports have delivered to the unit: its serial words and port B.
    struct UnitState : SerialWordDecoder::Words {
        int portB = 0;
    };

    struct DacOutput {
        int outputMode = -1;
        int triggerSource = -1;
        int triggerRising = -1;
        int clockSource = -1;
        float updateRate = 0.0f;
        int waveMode = -1;
        int updateCount = 0;
        std::span<std::int16_t> buffer;
        int bufferCount = 0;
        int transferMask = 0;
        bool userWave = false;
        bool transferRunning = false;
    };

    struct TriggerEvent {
        bool set = false;
        int source = 0, sensitivity = 0, channel = 0, gainCode = 0, flags = 0, channelType = 0;
        float level = 0.0f, variance = 0.0f;
    };

    struct BoardState {
        bool open = false;
        int lastError = 0;
        int errorHandler = -1;
        std::map<std::tuple<int, int, int>, float> options; // (channel, flags, option) -> value
        std::array<DacOutput, 2> dac{};
        bool dacArmed = false;
        int ppiConfiguration = 0x9B; // after reset every port is an input
        int portA = 0;
        int portB = 0;
        int acquisitionMode = -1, preTriggerCount = 0, postTriggerCount = 0;
        bool scanListSet = false;
        std::vector<std::int32_t> scanChannels{0, 1, 2, 3, 4, 5, 6, 7};
        std::vector<std::int32_t> scanGains = std::vector<std::int32_t>(8, 0);
        std::vector<std::int32_t> scanFlags = std::vector<std::int32_t>(8, 0);
        int adcClockSource = -1;
        float scanRate = Unit::ScanRate;
        std::span<std::int16_t> transferBuffer;
        int transferScans = 0;
        int transferMask = 0;
        std::array<TriggerEvent, 2> triggers{}; // start event 0, stop event 1
        bool transferRunning = false;
        bool armed = false;
        // The acquisition in progress: when it began, how many scans it has taken, and
        // the newest of them, scan n at (n mod capacity).
        bool acquiring = false;
        double acquisitionStartMs = 0.0;
        std::int64_t scansTaken = 0;
        std::vector<std::int16_t> ring;
    };

    // Which boards answer and which calls fail from the start.
    struct Setup {
        bool masterPresent = true;
        bool slavePresent = true;
        bool libraryLoadable = true;
        std::vector<CallFault> callFaults;
    };

    // `inputs` must outlive the boards.
    EmulatedBoards(const Clock& clock, BoardSignals& inputs, Setup setup);

    // The call log, oldest first; it keeps the newest `limit` calls.
    const std::deque<Call>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    void SetCallLogLimit(std::size_t limit);

    // Board and unit state by handle (MasterHandle or SlaveHandle, open or not).
    const BoardState& Board(DaqHandle board) const;
    UnitState Unit(DaqHandle board) const;
    const std::vector<std::int32_t>& ScanGains(DaqHandle board) const { return Board(board).scanGains; }
    bool Open(DaqHandle board) const;
    bool Scanning(DaqHandle board) const;

    // The drive as the master's words and outputs set it.
    double DriveFrequencyHz() const { return driveHz_; }
    double DriveLevel() const { return driveLevel_; }

    // Takes every running acquisition's scans up to now, before the signals change.
    void TakeScansUpToNow();

    // Faults: board presence counts from the next daqOpen.
    void InjectCallFault(CallFault fault);
    void SetBoardPresent(DaqHandle board, bool present);
    void SetLibraryLoadable(bool loadable);

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

protected:
    double NowMs() const;

private:
    struct Device {
        BoardState board;
        SerialWordDecoder unit; // the unit outlives a close and re-open of its board
        int unitPortB = 0;
        bool present = true;
    };
    // Logs the call, throws when the library cannot load, brings every acquisition up
    // to now and applies an injected fault (its code, or 0 to go on).
    int Enter(std::string_view function, DaqHandle handle, std::vector<double> arguments);
    // Enter, then the handle check: the open board, and the code that refuses the call
    // (an injected fault, or InvalidHandle with no board).
    struct Opened {
        Device* device;
        int refusal;
    };
    Opened EnterOn(std::string_view function, DaqHandle handle, std::vector<double> arguments);
    // Ends a call on `board` (null when the handle was not open) with `result`.
    int Leave(Device* device, int result);
    // A call on an open board: logged and checked by EnterOn, then `body` gives the result.
    template <class Body>
    int OnBoard(std::string_view function, DaqHandle handle, std::vector<double> arguments, Body body) {
        const auto [device, refusal] = EnterOn(function, handle, std::move(arguments));
        if (refusal != 0) return Leave(device, refusal);
        return Leave(device, body(device->board));
    }
    Device* Find(DaqHandle handle);
    const Device& At(DaqHandle handle) const;

    void Advance(Device& device, double nowMs);
    void StartIfReady(BoardState& board);
    void StopAcquisition(BoardState& board);
    int ScanCapacity(const BoardState& board) const;
    void RetuneDrive();

    const Clock& clock_;
    BoardSignals& signals_;
    std::vector<double> millivolts_; // the inputs of the scans being made
    std::array<Device, 2> devices_{};
    bool libraryLoadable_;
    std::vector<CallFault> callFaults_;
    std::map<std::string_view, int> callCounts_;
    std::deque<Call> calls_;
    std::size_t callLogLimit_ = 100000;
    int lastOpenError_ = 0;
    double driveHz_ = 0.0;
    double driveLevel_ = 0.0;
};
