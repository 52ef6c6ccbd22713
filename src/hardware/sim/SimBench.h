#pragma once

#include "core/Units.h"
#include "hardware/DaqLibrary.h"
#include "hardware/sim/BenchSetup.h"
#include "hardware/sim/SerialWordDecoder.h"
#include "hardware/sim/ShakerPlant.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

class Clock;

namespace sim {

// A test bench in software behind the acquisition library: the two boards, the
// signal-conditioning unit and the shaker with its accelerometers in one.
//
// Each board keeps its state as the calls leave it. Port A of each board feeds a
// SerialWordDecoder, as the unit's shift registers would. The master's frequency and
// drive words set one shaker's continuous-phase sine (word / 8.192 Hz, high half / 4000
// of full output, while the master's analogue outputs are armed); every board samples
// its eight inputs from the moment its acquisition is armed and running, at its scan
// rate, on the shared clock. Samples are made when the library is next called, never
// more than one transfer buffer of them, so long gaps between calls cost nothing.
//
// Every call is logged with its numeric arguments (spans as their length, the scan list
// in full). A handle that is not open fails with InvalidHandle and changes nothing.
class SimBench final : public DaqLibrary {
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

    // What a board's ports have delivered to the unit.
    struct UnitState {
        std::uint32_t frequencyWord = 0;
        std::uint32_t driveHigh = 0;
        std::uint32_t driveLow = 0;
        std::uint32_t currentSources = 0;
        int portB = 0;
        int protocolErrors = 0;
        int frequencyLoads = 0;
        int driveLatches = 0;
        int currentLoads = 0;
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

    SimBench(const Clock& clock, BenchModel model);

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

    // The run push-buttons on port C, active low: bit 0 Servo On, 1 Stop, 2 Sweep Run,
    // 3 Sweep Hold. A button is down while pressed by hand, during a timed press, or
    // during a press the bench model schedules.
    void Press(int button, bool pressed);
    void Press(RunButton button) { Press(static_cast<int>(button), true); }
    void Release(RunButton button) { Press(static_cast<int>(button), false); }
    void PressFor(RunButton button, std::int64_t milliseconds);

    // The source as the master's words and outputs set it.
    double DriveFrequencyHz() const { return plant_.FrequencyHz(); }
    double DriveLevel() const { return plant_.Level(); }
    // The acceleration in G peak the bench gives on channel 1..16 for the present drive.
    double ChannelAmplitudeG(int channel) const { return plant_.ChannelAmplitudeG(channel); }
    // The fundamental, G peak, that channel 1..16's sensor really felt in the newest scan
    // of the block last read from its board: the drive through the bench's response
    // alone, before the sensor adds its noise, harmonics and faults. 0 until a read.
    double AcquiredFundamentalG(int channel) const {
        return readFundamentalG_.at(static_cast<std::size_t>(channel - 1));
    }

    // Faults injected while running. Sensor fault times are seconds after the bench was
    // made; board presence counts from the next daqOpen.
    void InjectCallFault(CallFault fault);
    void KillSensor(int channel, double fromSeconds);
    void SaturateSensor(int channel, double fromSeconds);
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

private:
    struct Device {
        BoardState board;
        SerialWordDecoder unit; // the unit outlives a close and re-open of its board
        int unitPortB = 0;
        bool present = true;
    };
    struct TimedPress {
        int button;
        double untilMs;
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

    double NowMs() const;
    double BenchMs(double seconds) const { return startMs_ + seconds * 1000.0; }
    void AdvanceAll();
    void Advance(Device& device, double nowMs);
    void StartIfReady(BoardState& board);
    void StopAcquisition(BoardState& board);
    int ScanCapacity(const BoardState& board) const;
    void RetuneDrive();
    bool ButtonDown(int button, double nowMs) const;

    const Clock& clock_;
    double startMs_;
    ShakerPlant plant_;
    std::array<Device, 2> devices_{};
    bool libraryLoadable_;
    std::vector<CallFault> callFaults_;
    std::map<std::string_view, int> callCounts_;
    std::deque<Call> calls_;
    std::size_t callLogLimit_ = 100000;
    int lastOpenError_ = 0;
    int buttonsHeld_ = 0;
    std::vector<TimedPress> timedPresses_;
    std::mt19937 noise_;
    // Per channel 1..16 at k - 1: the fundamental of the newest scan made, and of the
    // newest scan read out.
    std::array<double, BenchChannels> madeFundamentalG_{};
    std::array<double, BenchChannels> readFundamentalG_{};
};

} // namespace sim
