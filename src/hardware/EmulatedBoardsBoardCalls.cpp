// EmulatedBoards' library calls on a board as a whole and on its analogue outputs: open,
// close, errors, options and the waveform outputs.
#include "hardware/EmulatedBoards.h"
#include "hardware/EmulatedBoardsDetail.h"

#include <algorithm>
#include <cmath>

using emulated_boards_detail::HighestScanRate;
using emulated_boards_detail::Number;

namespace {

constexpr int AnalogueOutputs = 0; // the device type of the board's analogue outputs

bool ValidOutput(int deviceType, int output) { return deviceType == AnalogueOutputs && (output == 0 || output == 1); }

} // namespace

int EmulatedBoards::daqSetDefaultErrorHandler(int handler) {
    if (const int injected = Enter("daqSetDefaultErrorHandler", NoDaqHandle, {Number(handler)}); injected != 0)
        return Leave(nullptr, injected);
    for (Device& device : devices_) device.board.errorHandler = handler;
    return Leave(nullptr, 0);
}

DaqHandle EmulatedBoards::daqOpen(const std::string& deviceName) {
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

int EmulatedBoards::daqGetLastError(DaqHandle handle, int& errorCode) {
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

int EmulatedBoards::daqClose(DaqHandle handle) {
    return OnBoard("daqClose", handle, {}, [&](BoardState& board) {
        board = BoardState{};
        return Leave(nullptr, 0);
    });
}

int EmulatedBoards::daqFormatError(int errorCode, std::span<char> text) {
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

int EmulatedBoards::daqSetOption(DaqHandle handle, int channel, int flags, int optionType, float value) {
    return OnBoard("daqSetOption", handle, {Number(channel), Number(flags), Number(optionType), value},
                   [&](BoardState& board) {
                       if (!std::isfinite(value)) return InvalidParameter;
                       board.options[{channel, flags, optionType}] = value;
                       return 0;
                   });
}

int EmulatedBoards::daqDacSetOutputMode(DaqHandle handle, int deviceType, int output, int mode) {
    return OnBoard("daqDacSetOutputMode", handle, {Number(deviceType), Number(output), Number(mode)},
                   [&](BoardState& board) {
                       if (!ValidOutput(deviceType, output)) return InvalidParameter;
                       board.dac[static_cast<std::size_t>(output)].outputMode = mode;
                       return 0;
                   });
}

int EmulatedBoards::daqDacWaveSetTrig(DaqHandle handle, int deviceType, int output, int triggerSource, int rising) {
    return OnBoard("daqDacWaveSetTrig", handle,
                   {Number(deviceType), Number(output), Number(triggerSource), Number(rising)}, [&](BoardState& board) {
                       if (!ValidOutput(deviceType, output) || (rising != 0 && rising != 1)) return InvalidParameter;
                       DacOutput& dac = board.dac[static_cast<std::size_t>(output)];
                       dac.triggerSource = triggerSource;
                       dac.triggerRising = rising;
                       return 0;
                   });
}

int EmulatedBoards::daqDacWaveSetClockSource(DaqHandle handle, int deviceType, int output, int clockSource) {
    return OnBoard("daqDacWaveSetClockSource", handle, {Number(deviceType), Number(output), Number(clockSource)},
                   [&](BoardState& board) {
                       if (!ValidOutput(deviceType, output)) return InvalidParameter;
                       board.dac[static_cast<std::size_t>(output)].clockSource = clockSource;
                       return 0;
                   });
}

int EmulatedBoards::daqDacWaveSetFreq(DaqHandle handle, int deviceType, int output, float frequency) {
    return OnBoard("daqDacWaveSetFreq", handle, {Number(deviceType), Number(output), frequency},
                   [&](BoardState& board) {
                       if (!ValidOutput(deviceType, output) || !(frequency > 0.0f) || !(frequency <= HighestScanRate))
                           return InvalidParameter;
                       board.dac[static_cast<std::size_t>(output)].updateRate = frequency;
                       return 0;
                   });
}

int EmulatedBoards::daqDacWaveSetMode(DaqHandle handle, int deviceType, int output, int mode, int updateCount) {
    return OnBoard("daqDacWaveSetMode", handle, {Number(deviceType), Number(output), Number(mode), Number(updateCount)},
                   [&](BoardState& board) {
                       if (!ValidOutput(deviceType, output)) return InvalidParameter;
                       DacOutput& dac = board.dac[static_cast<std::size_t>(output)];
                       dac.waveMode = mode;
                       dac.updateCount = updateCount;
                       return 0;
                   });
}

int EmulatedBoards::daqDacWaveSetBuffer(DaqHandle handle, int deviceType, int output, std::span<std::int16_t> buffer,
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

int EmulatedBoards::daqDacWaveSetUserWave(DaqHandle handle, int deviceType, int output) {
    return OnBoard("daqDacWaveSetUserWave", handle, {Number(deviceType), Number(output)}, [&](BoardState& board) {
        if (!ValidOutput(deviceType, output)) return InvalidParameter;
        board.dac[static_cast<std::size_t>(output)].userWave = true;
        return 0;
    });
}

int EmulatedBoards::daqDacTransferStart(DaqHandle handle, int deviceType, int output) {
    return OnBoard("daqDacTransferStart", handle, {Number(deviceType), Number(output)}, [&](BoardState& board) {
        if (!ValidOutput(deviceType, output)) return InvalidParameter;
        DacOutput& dac = board.dac[static_cast<std::size_t>(output)];
        if (dac.bufferCount == 0) return NoTransferBuffer;
        dac.transferRunning = true;
        return 0;
    });
}

int EmulatedBoards::daqDacWaveArm(DaqHandle handle, int deviceType) {
    return OnBoard("daqDacWaveArm", handle, {Number(deviceType)}, [&](BoardState& board) {
        if (deviceType != AnalogueOutputs) return InvalidParameter;
        board.dacArmed = true;
        return 0;
    });
}

int EmulatedBoards::daqDacWaveDisarm(DaqHandle handle, int deviceType) {
    return OnBoard("daqDacWaveDisarm", handle, {Number(deviceType)}, [&](BoardState& board) {
        if (deviceType != AnalogueOutputs) return InvalidParameter;
        board.dacArmed = false;
        return 0;
    });
}
