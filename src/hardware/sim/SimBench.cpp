#include "hardware/sim/SimBench.h"

#include "core/Clock.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace sim {

namespace {

constexpr double WordsPerHz = 8.192;
constexpr double FullDriveWord = 4000.0;
constexpr double CountsPerMillivolt = 13.108; // at gain code 0 (x1)
constexpr double SaturatedSensorMv = 5000.0;  // a sensor driven into its supply: beyond every range
constexpr int DefaultScanCapacity = 1024;
constexpr int BoardInputs = 8;
constexpr int HighestGainCode = 4; // x16
constexpr float HighestScanRate = 100000.0f;

constexpr int PortA = 0, PortB = 1, PortC = 2, ConfigurationPort = 3;
constexpr int LocalDigitalPorts = 1; // the device type of the board's own 8255
constexpr int AnalogueOutputs = 0;   // the device type of the board's analogue outputs
constexpr int ModeSetFlag = 0x80;
constexpr int PortAInput = 0x10, PortBInput = 0x02;
constexpr int ModeBits = 0x64; // port A modes 1 and 2, port B mode 1: not fitted to the unit

bool IsDevice(DaqHandle handle) { return handle == SimBench::MasterHandle || handle == SimBench::SlaveHandle; }
double Number(int value) { return static_cast<double>(value); }
bool ValidOutput(int deviceType, int output) { return deviceType == AnalogueOutputs && (output == 0 || output == 1); }

} // namespace

SimBench::SimBench(const Clock& clock, BenchModel model)
    : clock_(clock), startMs_(static_cast<double>(clock.TickMs())), plant_(std::move(model)),
      libraryLoadable_(plant_.Model().libraryLoadable), callFaults_(plant_.Model().callFaults),
      noise_(plant_.Model().seed) {
    devices_[0].present = plant_.Model().masterPresent;
    devices_[1].present = plant_.Model().slavePresent;
    for (Device& device : devices_) device.unit.Reset(0);
}

// --- test access ---------------------------------------------------------------------

void SimBench::SetCallLogLimit(std::size_t limit) {
    callLogLimit_ = limit;
    while (calls_.size() > callLogLimit_) calls_.pop_front();
}

const SimBench::Device& SimBench::At(DaqHandle handle) const {
    if (!IsDevice(handle)) throw std::out_of_range("no board has handle " + std::to_string(handle));
    return devices_[static_cast<std::size_t>(handle)];
}

const SimBench::BoardState& SimBench::Board(DaqHandle board) const { return At(board).board; }

SimBench::UnitState SimBench::Unit(DaqHandle board) const {
    const Device& device = At(board);
    const SerialWordDecoder::Words& words = device.unit.Latched();
    return {words.frequencyWord,  words.driveHigh,      words.driveLow,     words.currentSources, device.unitPortB,
            words.protocolErrors, words.frequencyLoads, words.driveLatches, words.currentLoads};
}

bool SimBench::Open(DaqHandle board) const { return IsDevice(board) && Board(board).open; }

bool SimBench::Scanning(DaqHandle board) const { return Open(board) && Board(board).acquiring; }

void SimBench::Press(int button, bool pressed) {
    if (button < 0 || button > 3) return;
    const int bit = 1 << button;
    if (pressed) {
        buttonsHeld_ |= bit;
    } else {
        buttonsHeld_ &= ~bit;
        std::erase_if(timedPresses_, [button](const TimedPress& p) { return p.button == button; });
    }
}

void SimBench::PressFor(RunButton button, std::int64_t milliseconds) {
    timedPresses_.push_back({static_cast<int>(button), NowMs() + static_cast<double>(milliseconds)});
}

bool SimBench::ButtonDown(int button, double nowMs) const {
    if ((buttonsHeld_ >> button & 1) != 0) return true;
    for (const TimedPress& press : timedPresses_)
        if (press.button == button && nowMs < press.untilMs) return true;
    for (const ButtonPress& press : plant_.Model().presses) {
        const double from = BenchMs(press.atSeconds);
        if (static_cast<int>(press.button) == button && nowMs >= from && nowMs < from + press.heldSeconds * 1000.0)
            return true;
    }
    return false;
}

void SimBench::InjectCallFault(CallFault fault) {
    const auto& names = DaqFunctionNames();
    if (std::find(names.begin(), names.end(), fault.function) == names.end())
        throw std::invalid_argument("no library function is called " + fault.function);
    callFaults_.push_back(std::move(fault));
}

void SimBench::KillSensor(int channel, double fromSeconds) {
    AdvanceAll();
    plant_.Model().channels.at(static_cast<std::size_t>(channel - 1)).deadFromSeconds = fromSeconds;
}

void SimBench::SaturateSensor(int channel, double fromSeconds) {
    AdvanceAll();
    plant_.Model().channels.at(static_cast<std::size_t>(channel - 1)).saturatedFromSeconds = fromSeconds;
}

void SimBench::SetBoardPresent(DaqHandle board, bool present) {
    if (!IsDevice(board)) throw std::out_of_range("no board has handle " + std::to_string(board));
    devices_[static_cast<std::size_t>(board)].present = present;
}

void SimBench::SetLibraryLoadable(bool loadable) { libraryLoadable_ = loadable; }

// --- call bookkeeping ----------------------------------------------------------------

double SimBench::NowMs() const { return static_cast<double>(clock_.TickMs()); }

int SimBench::Enter(std::string_view function, DaqHandle handle, std::vector<double> arguments) {
    calls_.push_back({function, handle, std::move(arguments), 0, {}});
    if (calls_.size() > callLogLimit_) calls_.pop_front();
    if (!libraryLoadable_) {
        calls_.back().result = -1;
        throw DaqLibraryUnavailable{"File not found: acquisition library"};
    }
    const int count = ++callCounts_[function];
    // Whatever this call changes happens now: the scans up to now are taken first.
    AdvanceAll();
    for (const CallFault& fault : callFaults_)
        if (fault.function == function && count >= fault.fromCall) return fault.code;
    return 0;
}

int SimBench::Leave(Device* device, int result) {
    if (device != nullptr) device->board.lastError = result;
    if (!calls_.empty()) calls_.back().result = result;
    RetuneDrive();
    return result;
}

SimBench::Device* SimBench::Find(DaqHandle handle) {
    if (!IsDevice(handle)) return nullptr;
    Device& device = devices_[static_cast<std::size_t>(handle)];
    return device.board.open ? &device : nullptr;
}

SimBench::Opened SimBench::EnterOn(std::string_view function, DaqHandle handle, std::vector<double> arguments) {
    const int injected = Enter(function, handle, std::move(arguments));
    Device* const device = Find(handle);
    if (injected != 0) return {device, injected};
    return {device, device == nullptr ? InvalidHandle : 0};
}

// --- the drive and the samples -------------------------------------------------------

void SimBench::RetuneDrive() {
    const Device& master = devices_[0];
    const SerialWordDecoder::Words& words = master.unit.Latched();
    const double hz = words.frequencyWord / WordsPerHz;
    // The unit's converters take their reference from the master's analogue outputs:
    // with those stopped (or the board closed) the shaker gets nothing.
    const bool driving = master.board.open && master.board.dacArmed;
    const double level = driving ? words.driveHigh / FullDriveWord : 0.0;
    if (hz != plant_.FrequencyHz() || level != plant_.Level()) plant_.Retune(NowMs(), hz, level);
}

int SimBench::ScanCapacity(const BoardState& board) const {
    return board.transferScans > 0 ? board.transferScans : DefaultScanCapacity;
}

void SimBench::StartIfReady(BoardState& board) {
    if (board.acquiring || !board.armed || !board.transferRunning) return;
    board.acquiring = true;
    board.acquisitionStartMs = NowMs();
    board.scansTaken = 0;
    board.ring.assign(static_cast<std::size_t>(ScanCapacity(board)) * board.scanChannels.size(), 0);
}

void SimBench::StopAcquisition(BoardState& board) {
    board.acquiring = false;
    board.scansTaken = 0;
}

void SimBench::AdvanceAll() {
    const double now = NowMs();
    for (Device& device : devices_)
        if (device.board.open && device.board.acquiring) Advance(device, now);
}

void SimBench::Advance(Device& device, double nowMs) {
    BoardState& board = device.board;
    const double periodMs = 1000.0 / static_cast<double>(board.scanRate);
    // Scan n is complete one scan period after scan n - 1, the first one period after
    // the start.
    const auto due = static_cast<std::int64_t>(std::floor((nowMs - board.acquisitionStartMs) / periodMs + 1e-9));
    if (due <= board.scansTaken) return;
    const std::int64_t capacity = ScanCapacity(board);
    // Only the newest buffer's worth can ever be read: older scans are not made.
    std::int64_t scan = std::max(board.scansTaken, due - capacity);

    const BenchModel& model = plant_.Model();
    const std::size_t positions = board.scanChannels.size();
    const int firstChannel = &device == &devices_[0] ? 1 : 1 + BoardInputs;
    const double nyquistHz = static_cast<double>(board.scanRate) / 2.0;
    struct Input {
        const SensorMounting* sensor;
        std::vector<std::complex<double>> harmonicsG;
        double countsPerMv;
        bool live;
    };
    std::vector<Input> inputs;
    inputs.reserve(positions);
    std::size_t orders = 0;
    for (std::size_t i = 0; i < positions; ++i) {
        const int place = board.scanChannels[i];
        const int channel = firstChannel + place;
        const SensorMounting& sensor = model.channels[static_cast<std::size_t>(channel - 1)];
        const bool powered = (device.unit.Latched().currentSources >> place & 1U) != 0;
        Input input{&sensor,
                    {},
                    CountsPerMillivolt * std::ldexp(1.0, board.scanGains[i]),
                    sensor.fitted && (powered || !sensor.needsCurrent)};
        if (input.live) input.harmonicsG = plant_.ChannelHarmonicsG(channel, nyquistHz);
        orders = std::max(orders, input.harmonicsG.size());
        inputs.push_back(std::move(input));
    }

    std::vector<std::complex<double>> turns(orders);
    std::normal_distribution<double> unitNoise(0.0, 1.0);
    for (; scan < due; ++scan) {
        const double t = board.acquisitionStartMs + static_cast<double>(scan + 1) * periodMs;
        double cycles = plant_.PhaseCycles(t);
        cycles -= std::floor(cycles);
        const std::complex<double> turn = std::polar(1.0, 2.0 * std::numbers::pi * cycles);
        for (std::size_t h = 0; h < orders; ++h) turns[h] = h == 0 ? turn : turns[h - 1] * turn;
        const auto slot = static_cast<std::size_t>(scan % capacity) * positions;
        for (std::size_t i = 0; i < positions; ++i) {
            const Input& input = inputs[i];
            const SensorMounting& sensor = *input.sensor;
            double g = sensor.noiseG * unitNoise(noise_);
            const bool dead = sensor.deadFromSeconds && t >= BenchMs(*sensor.deadFromSeconds);
            if (input.live && !dead)
                for (std::size_t h = 0; h < input.harmonicsG.size(); ++h) g += (input.harmonicsG[h] * turns[h]).imag();
            double millivolts = g * sensor.sensitivity;
            if (sensor.fitted && sensor.saturatedFromSeconds && t >= BenchMs(*sensor.saturatedFromSeconds))
                millivolts = SaturatedSensorMv;
            const double counts = std::clamp(std::nearbyint(millivolts * input.countsPerMv), -32768.0, 32767.0);
            board.ring[slot + i] = static_cast<std::int16_t>(counts);
        }
    }
    board.scansTaken = due;
}

// --- the library ---------------------------------------------------------------------

int SimBench::daqSetDefaultErrorHandler(int handler) {
    if (const int injected = Enter("daqSetDefaultErrorHandler", NoDaqHandle, {Number(handler)}); injected != 0)
        return Leave(nullptr, injected);
    for (Device& device : devices_) device.board.errorHandler = handler;
    return Leave(nullptr, 0);
}

DaqHandle SimBench::daqOpen(const std::string& deviceName) {
    const int injected = Enter("daqOpen", NoDaqHandle, {});
    calls_.back().text = deviceName;
    const DaqHandle handle = deviceName == "DaqBoard1K0"   ? MasterHandle
                             : deviceName == "DaqBoard1K1" ? SlaveHandle
                                                           : NoDaqHandle;
    int result = injected;
    if (result == 0 && (handle == NoDaqHandle || !devices_[static_cast<std::size_t>(handle)].present))
        result = DeviceNotFound;
    if (result != 0) {
        lastOpenError_ = result;
        Leave(nullptr, result);
        calls_.back().handle = NoDaqHandle;
        return NoDaqHandle;
    }
    Device& device = devices_[static_cast<std::size_t>(handle)];
    // Opening an open board hands out the same handle and leaves it as it is.
    if (!device.board.open) {
        device.board = BoardState{};
        device.board.open = true;
    }
    Leave(&device, 0);
    calls_.back().handle = handle;
    return handle;
}

int SimBench::daqGetLastError(DaqHandle handle, int& errorCode) {
    if (const int injected = Enter("daqGetLastError", handle, {}); injected != 0) {
        calls_.back().result = injected;
        return injected;
    }
    const Device* device = Find(handle);
    // Asked about a handle that is not open, the library tells why the last open failed.
    errorCode = device != nullptr ? device->board.lastError : lastOpenError_;
    calls_.back().result = device != nullptr ? 0 : InvalidHandle;
    return calls_.back().result;
}

int SimBench::daqClose(DaqHandle handle) {
    return OnBoard("daqClose", handle, {}, [&](BoardState& board) {
        board = BoardState{};
        return Leave(nullptr, 0);
    });
}

int SimBench::daqFormatError(int errorCode, std::span<char> text) {
    if (const int injected = Enter("daqFormatError", NoDaqHandle, {Number(errorCode)}); injected != 0)
        return Leave(nullptr, injected);
    if (text.empty()) return Leave(nullptr, InvalidParameter);
    std::string explanation;
    switch (errorCode) {
    case 0:
        explanation = "No error";
        break;
    case InvalidHandle:
        explanation = "Invalid device handle";
        break;
    case NotScanning:
        explanation = "Acquisition is not running";
        break;
    case DeviceNotFound:
        explanation = "Device not found";
        break;
    case InvalidParameter:
        explanation = "Invalid parameter value";
        break;
    case NoScanList:
        explanation = "No scan list has been set";
        break;
    case BufferTooSmall:
        explanation = "Buffer too small for the transfer";
        break;
    case NoTransferBuffer:
        explanation = "No transfer buffer has been set";
        break;
    default:
        explanation = "Device error";
        break; // the codes faults inject
    }
    const std::size_t length = std::min(explanation.size(), text.size() - 1);
    std::copy_n(explanation.begin(), length, text.begin());
    text[length] = '\0';
    return Leave(nullptr, 0);
}

int SimBench::daqSetOption(DaqHandle handle, int channel, int flags, int optionType, float value) {
    return OnBoard("daqSetOption", handle, {Number(channel), Number(flags), Number(optionType), value},
                   [&](BoardState& board) {
                       if (!std::isfinite(value)) return InvalidParameter;
                       board.options[{channel, flags, optionType}] = value;
                       return 0;
                   });
}

int SimBench::daqDacSetOutputMode(DaqHandle handle, int deviceType, int output, int mode) {
    return OnBoard("daqDacSetOutputMode", handle, {Number(deviceType), Number(output), Number(mode)},
                   [&](BoardState& board) {
                       if (!ValidOutput(deviceType, output)) return InvalidParameter;
                       board.dac[static_cast<std::size_t>(output)].outputMode = mode;
                       return 0;
                   });
}

int SimBench::daqDacWaveSetTrig(DaqHandle handle, int deviceType, int output, int triggerSource, int rising) {
    return OnBoard("daqDacWaveSetTrig", handle,
                   {Number(deviceType), Number(output), Number(triggerSource), Number(rising)}, [&](BoardState& board) {
                       if (!ValidOutput(deviceType, output) || (rising != 0 && rising != 1)) return InvalidParameter;
                       DacOutput& dac = board.dac[static_cast<std::size_t>(output)];
                       dac.triggerSource = triggerSource;
                       dac.triggerRising = rising;
                       return 0;
                   });
}

int SimBench::daqDacWaveSetClockSource(DaqHandle handle, int deviceType, int output, int clockSource) {
    return OnBoard("daqDacWaveSetClockSource", handle, {Number(deviceType), Number(output), Number(clockSource)},
                   [&](BoardState& board) {
                       if (!ValidOutput(deviceType, output)) return InvalidParameter;
                       board.dac[static_cast<std::size_t>(output)].clockSource = clockSource;
                       return 0;
                   });
}

int SimBench::daqDacWaveSetFreq(DaqHandle handle, int deviceType, int output, float frequency) {
    return OnBoard("daqDacWaveSetFreq", handle, {Number(deviceType), Number(output), frequency},
                   [&](BoardState& board) {
                       if (!ValidOutput(deviceType, output) || !(frequency > 0.0f) || !(frequency <= HighestScanRate))
                           return InvalidParameter;
                       board.dac[static_cast<std::size_t>(output)].updateRate = frequency;
                       return 0;
                   });
}

int SimBench::daqDacWaveSetMode(DaqHandle handle, int deviceType, int output, int mode, int updateCount) {
    return OnBoard("daqDacWaveSetMode", handle, {Number(deviceType), Number(output), Number(mode), Number(updateCount)},
                   [&](BoardState& board) {
                       if (!ValidOutput(deviceType, output)) return InvalidParameter;
                       DacOutput& dac = board.dac[static_cast<std::size_t>(output)];
                       dac.waveMode = mode;
                       dac.updateCount = updateCount;
                       return 0;
                   });
}

int SimBench::daqDacWaveSetBuffer(DaqHandle handle, int deviceType, int output, std::span<std::int16_t> buffer,
                                  int count, int transferMask) {
    return OnBoard(
        "daqDacWaveSetBuffer", handle,
        {Number(deviceType), Number(output), static_cast<double>(buffer.size()), Number(count), Number(transferMask)},
        [&](BoardState& board) {
            if (!ValidOutput(deviceType, output) || count <= 0) return InvalidParameter;
            if (static_cast<std::size_t>(count) > buffer.size()) return BufferTooSmall;
            DacOutput& dac = board.dac[static_cast<std::size_t>(output)];
            dac.buffer = buffer;
            dac.bufferCount = count;
            dac.transferMask = transferMask;
            return 0;
        });
}

int SimBench::daqDacWaveSetUserWave(DaqHandle handle, int deviceType, int output) {
    return OnBoard("daqDacWaveSetUserWave", handle, {Number(deviceType), Number(output)}, [&](BoardState& board) {
        if (!ValidOutput(deviceType, output)) return InvalidParameter;
        board.dac[static_cast<std::size_t>(output)].userWave = true;
        return 0;
    });
}

int SimBench::daqDacTransferStart(DaqHandle handle, int deviceType, int output) {
    return OnBoard("daqDacTransferStart", handle, {Number(deviceType), Number(output)}, [&](BoardState& board) {
        if (!ValidOutput(deviceType, output)) return InvalidParameter;
        DacOutput& dac = board.dac[static_cast<std::size_t>(output)];
        if (dac.bufferCount == 0) return NoTransferBuffer;
        dac.transferRunning = true;
        return 0;
    });
}

int SimBench::daqDacWaveArm(DaqHandle handle, int deviceType) {
    return OnBoard("daqDacWaveArm", handle, {Number(deviceType)}, [&](BoardState& board) {
        if (deviceType != AnalogueOutputs) return InvalidParameter;
        board.dacArmed = true;
        return 0;
    });
}

int SimBench::daqDacWaveDisarm(DaqHandle handle, int deviceType) {
    return OnBoard("daqDacWaveDisarm", handle, {Number(deviceType)}, [&](BoardState& board) {
        if (deviceType != AnalogueOutputs) return InvalidParameter;
        board.dacArmed = false;
        return 0;
    });
}

int SimBench::daqIOGet8255Conf(DaqHandle handle, int portA, int portB, int portCHigh, int portCLow,
                               int& configuration) {
    const auto [device, refusal] =
        EnterOn("daqIOGet8255Conf", handle, {Number(portA), Number(portB), Number(portCHigh), Number(portCLow)});
    if (refusal != 0) return Leave(device, refusal);
    // Each argument says "input" (1) or "output" (0); anything else is no direction.
    for (const int input : {portA, portB, portCHigh, portCLow})
        if (input != 0 && input != 1) return Leave(device, InvalidParameter);
    configuration = ModeSetFlag | portA << 4 | portCHigh << 3 | portB << 1 | portCLow;
    return Leave(device, 0);
}

int SimBench::daqIOWrite(DaqHandle handle, int deviceType, int devicePort, int whichDevice, int whichExpPort,
                         int value) {
    const auto [device, refusal] =
        EnterOn("daqIOWrite", handle,
                {Number(deviceType), Number(devicePort), Number(whichDevice), Number(whichExpPort), Number(value)});
    if (refusal != 0) return Leave(device, refusal);
    BoardState& board = device->board;
    if (deviceType != LocalDigitalPorts || devicePort < PortA || devicePort > ConfigurationPort || value < 0 ||
        value > 255)
        return Leave(device, InvalidParameter);
    if (devicePort == ConfigurationPort) {
        // Without the mode-set flag the value sets or clears one bit of port C, which
        // is an input here: nothing happens.
        if ((value & ModeSetFlag) == 0) return Leave(device, 0);
        if ((value & ModeBits) != 0) return Leave(device, InvalidParameter);
        // A mode set clears the output latches.
        board.ppiConfiguration = value;
        board.portA = 0;
        board.portB = 0;
        device->unit.Reset((value & PortAInput) == 0 ? 0 : device->unit.Lines());
        if ((value & PortBInput) == 0) device->unitPortB = 0;
        return Leave(device, 0);
    }
    if (devicePort == PortC) return Leave(device, 0); // an input: the latch has no pins
    // A port set as input keeps the value in its latch; the unit does not see it.
    if (devicePort == PortA) {
        board.portA = value;
        if ((board.ppiConfiguration & PortAInput) == 0) device->unit.Write(value);
    } else {
        board.portB = value;
        if ((board.ppiConfiguration & PortBInput) == 0) device->unitPortB = value;
    }
    return Leave(device, 0);
}

int SimBench::daqIORead(DaqHandle handle, int deviceType, int devicePort, int whichDevice, int whichExpPort,
                        int& value) {
    return OnBoard("daqIORead", handle,
                   {Number(deviceType), Number(devicePort), Number(whichDevice), Number(whichExpPort)},
                   [&](BoardState& board) {
                       if (deviceType != LocalDigitalPorts || devicePort < PortA || devicePort > ConfigurationPort)
                           return InvalidParameter;
                       switch (devicePort) {
                       case PortA:
                           value = board.portA;
                           break;
                       case PortB:
                           value = board.portB;
                           break;
                       case PortC: {
                           // The push-buttons pull their lines low; the upper half of port C is not wired.
                           const double now = NowMs();
                           value = 0;
                           for (int button = 0; button < 4; ++button)
                               if (!ButtonDown(button, now)) value |= 1 << button;
                           break;
                       }
                       default:
                           value = board.ppiConfiguration;
                           break;
                       }
                       return 0;
                   });
}

int SimBench::daqAdcSetAcq(DaqHandle handle, int mode, int preTriggerCount, int postTriggerCount) {
    return OnBoard("daqAdcSetAcq", handle, {Number(mode), Number(preTriggerCount), Number(postTriggerCount)},
                   [&](BoardState& board) {
                       if (preTriggerCount < 0 || postTriggerCount < 0) return InvalidParameter;
                       board.acquisitionMode = mode;
                       board.preTriggerCount = preTriggerCount;
                       board.postTriggerCount = postTriggerCount;
                       return 0;
                   });
}

int SimBench::daqAdcSetScan(DaqHandle handle, std::span<const std::int32_t> channels,
                            std::span<const std::int32_t> gains, std::span<const std::int32_t> flags, int count) {
    std::vector<double> arguments{Number(count)};
    const auto listed = static_cast<std::size_t>(std::max(count, 0));
    for (const auto list : {channels, gains, flags})
        for (std::size_t i = 0; i < std::min(listed, list.size()); ++i) arguments.push_back(list[i]);
    return OnBoard("daqAdcSetScan", handle, std::move(arguments), [&](BoardState& board) {
        if (count < 1 || count > BoardInputs || channels.size() < listed || gains.size() < listed ||
            flags.size() < listed)
            return InvalidParameter;
        for (std::size_t i = 0; i < listed; ++i)
            if (channels[i] < 0 || channels[i] >= BoardInputs || gains[i] < 0 || gains[i] > HighestGainCode)
                return InvalidParameter;
        const bool resized = board.scanChannels.size() != listed;
        board.scanChannels.assign(channels.begin(), channels.begin() + count);
        board.scanGains.assign(gains.begin(), gains.begin() + count);
        board.scanFlags.assign(flags.begin(), flags.begin() + count);
        board.scanListSet = true;
        // A running acquisition takes the new gains from its next scan on; a new length of
        // scan starts its record afresh.
        if (board.acquiring && resized) {
            StopAcquisition(board);
            StartIfReady(board);
        }
        return 0;
    });
}

int SimBench::daqAdcSetClockSource(DaqHandle handle, int clockSource) {
    return OnBoard("daqAdcSetClockSource", handle, {Number(clockSource)}, [&](BoardState& board) {
        board.adcClockSource = clockSource;
        return 0;
    });
}

int SimBench::daqAdcTransferSetBuffer(DaqHandle handle, std::span<std::int16_t> buffer, int scanCount,
                                      int transferMask) {
    return OnBoard("daqAdcTransferSetBuffer", handle,
                   {static_cast<double>(buffer.size()), Number(scanCount), Number(transferMask)},
                   [&](BoardState& board) {
                       if (scanCount <= 0) return InvalidParameter;
                       if (buffer.size() < static_cast<std::size_t>(scanCount) * board.scanChannels.size())
                           return BufferTooSmall;
                       const bool resized = scanCount != ScanCapacity(board);
                       board.transferBuffer = buffer;
                       board.transferScans = scanCount;
                       board.transferMask = transferMask;
                       if (board.acquiring && resized) {
                           StopAcquisition(board);
                           StartIfReady(board);
                       }
                       return 0;
                   });
}

int SimBench::daqSetTriggerEvent(DaqHandle handle, int triggerSource, int sensitivity, int channel, int gainCode,
                                 int flags, int channelType, float level, float variance, int event) {
    return OnBoard("daqSetTriggerEvent", handle,
                   {Number(triggerSource), Number(sensitivity), Number(channel), Number(gainCode), Number(flags),
                    Number(channelType), level, variance, Number(event)},
                   [&](BoardState& board) {
                       if (event != 0 && event != 1) return InvalidParameter;
                       board.triggers[static_cast<std::size_t>(event)] = {
                           true, triggerSource, sensitivity, channel, gainCode, flags, channelType, level, variance};
                       return 0;
                   });
}

int SimBench::daqAdcSetFreq(DaqHandle handle, float frequency) {
    return OnBoard("daqAdcSetFreq", handle, {frequency}, [&](BoardState& board) {
        if (!(frequency > 0.0f) || !(frequency <= HighestScanRate)) return InvalidParameter;
        const bool changed = frequency != board.scanRate;
        board.scanRate = frequency;
        if (board.acquiring && changed) {
            StopAcquisition(board);
            StartIfReady(board);
        }
        return 0;
    });
}

int SimBench::daqAdcTransferStart(DaqHandle handle) {
    return OnBoard("daqAdcTransferStart", handle, {}, [&](BoardState& board) {
        if (board.transferScans == 0) return NoTransferBuffer;
        board.transferRunning = true;
        StartIfReady(board);
        return 0;
    });
}

int SimBench::daqAdcArm(DaqHandle handle) {
    return OnBoard("daqAdcArm", handle, {}, [&](BoardState& board) {
        if (!board.scanListSet) return NoScanList;
        board.armed = true;
        StartIfReady(board);
        return 0;
    });
}

int SimBench::daqAdcDisarm(DaqHandle handle) {
    return OnBoard("daqAdcDisarm", handle, {}, [&](BoardState& board) {
        board.armed = false;
        StopAcquisition(board);
        return 0;
    });
}

int SimBench::daqAdcTransferStop(DaqHandle handle) {
    return OnBoard("daqAdcTransferStop", handle, {}, [&](BoardState& board) {
        board.transferRunning = false;
        StopAcquisition(board);
        return 0;
    });
}

int SimBench::daqAdcTransferGetStat(DaqHandle handle, int& active, int& returnedCount) {
    return OnBoard("daqAdcTransferGetStat", handle, {}, [&](BoardState& board) {
        active = board.acquiring ? 1 : 0;
        returnedCount = static_cast<int>(std::min<std::int64_t>(board.scansTaken, INT32_MAX));
        return 0;
    });
}

int SimBench::daqAdcTransferBufData(DaqHandle handle, std::span<std::int16_t> buffer, int scanCount, int bufferMask,
                                    int& returnedCount) {
    // Whatever fails, the caller is never told of scans it did not get.
    returnedCount = 0;
    return OnBoard(
        "daqAdcTransferBufData", handle, {static_cast<double>(buffer.size()), Number(scanCount), Number(bufferMask)},
        [&](BoardState& board) {
            if (!board.acquiring) return NotScanning;
            const std::size_t positions = board.scanChannels.size();
            if (scanCount <= 0) return InvalidParameter;
            if (buffer.size() < static_cast<std::size_t>(scanCount) * positions) return BufferTooSmall;
            const std::int64_t capacity = ScanCapacity(board);
            const std::int64_t scans = std::min({static_cast<std::int64_t>(scanCount), board.scansTaken, capacity});
            const std::int64_t oldest = board.scansTaken - scans;
            for (std::int64_t s = 0; s < scans; ++s) {
                const auto from =
                    board.ring.begin() +
                    static_cast<std::ptrdiff_t>(((oldest + s) % capacity) * static_cast<std::int64_t>(positions));
                std::copy_n(from, positions,
                            buffer.begin() + static_cast<std::ptrdiff_t>(s * static_cast<std::int64_t>(positions)));
            }
            returnedCount = static_cast<int>(scans);
            return 0;
        });
}

} // namespace sim
