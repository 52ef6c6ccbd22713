// EmulatedBoards' analogue inputs and the drive: the acquisition calls, when an
// acquisition starts and stops, its scans digitised from the signals on time, reading
// them out into the caller's buffer, and the drive the master's words set.
#include "hardware/EmulatedBoards.h"
#include "hardware/EmulatedBoardsDetail.h"

#include "core/Clock.h"
#include "core/Units.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

using emulated_boards_detail::BoardInputs;
using emulated_boards_detail::HighestScanRate;
using emulated_boards_detail::Number;

namespace {

constexpr int DefaultScanCapacity = 1024;
constexpr int HighestGainCode = 4;            // x16
constexpr double CountsPerMillivolt = 13.108; // at gain code 0 (x1)

} // namespace

int EmulatedBoards::ScanCapacity(const BoardState& board) const {
    return board.transferScans > 0 ? board.transferScans : DefaultScanCapacity;
}

void EmulatedBoards::RetuneDrive() {
    const Device& master = devices_[0];
    const SerialWordDecoder::Words& words = master.unit.Latched();
    const double hz = words.frequencyWord / Unit::FrequencyWordPerHz;
    // The unit's converters take their reference from the master's analogue outputs:
    // with those stopped (or the board closed) the shaker gets nothing.
    const bool driving = master.board.open && master.board.dacArmed;
    const double level = driving ? words.driveHigh / Unit::DriveWordFullScale : 0.0;
    if (hz == driveHz_ && level == driveLevel_) return;
    driveHz_ = hz;
    driveLevel_ = level;
    signals_.DriveChanged(NowMs(), hz, level);
}

void EmulatedBoards::TakeScansUpToNow() {
    const double now = NowMs();
    for (Device& device : devices_)
        if (device.board.open && device.board.acquiring) Advance(device, now);
}

void EmulatedBoards::Advance(Device& device, double nowMs) {
    BoardState& board = device.board;
    const double periodMs = 1000.0 / static_cast<double>(board.scanRate);
    // Scan n is complete one scan period after scan n - 1, the first one period after
    // the start.
    const auto due = static_cast<std::int64_t>(std::floor((nowMs - board.acquisitionStartMs) / periodMs + 1e-9));
    if (due <= board.scansTaken) return;
    const std::int64_t capacity = ScanCapacity(board);
    // Only the newest buffer's worth can ever be read: older scans are not made.
    const std::int64_t first = std::max(board.scansTaken, due - capacity);

    const std::size_t positions = board.scanChannels.size();
    const BoardSignals::Scans scans{static_cast<int>(&device - devices_.data()),
                                    board.scanChannels,
                                    device.unit.Latched().currentSources,
                                    static_cast<double>(board.scanRate),
                                    periodMs,
                                    board.acquisitionStartMs,
                                    first,
                                    due};
    // The buffer outlives the call: a block of scans is asked for ten times a second.
    millivolts_.resize(static_cast<std::size_t>(due - first) * positions);
    signals_.Sample(scans, millivolts_);
    std::array<double, BoardInputs> countsPerMv{};
    for (std::size_t i = 0; i < positions; ++i)
        countsPerMv[i] = CountsPerMillivolt * std::ldexp(1.0, board.scanGains[i]);
    for (std::int64_t scan = first; scan < due; ++scan) {
        const auto slot = static_cast<std::size_t>(scan % capacity) * positions;
        const auto made = static_cast<std::size_t>(scan - first) * positions;
        for (std::size_t i = 0; i < positions; ++i) {
            const double counts = std::clamp(std::nearbyint(millivolts_[made + i] * countsPerMv[i]), -32768.0, 32767.0);
            board.ring[slot + i] = static_cast<std::int16_t>(counts);
        }
    }
    board.scansTaken = due;
}

void EmulatedBoards::StartIfReady(BoardState& board) {
    if (board.acquiring || !board.armed || !board.transferRunning) return;
    board.acquiring = true;
    board.acquisitionStartMs = NowMs();
    board.scansTaken = 0;
    board.ring.assign(static_cast<std::size_t>(ScanCapacity(board)) * board.scanChannels.size(), 0);
}

void EmulatedBoards::StopAcquisition(BoardState& board) {
    board.acquiring = false;
    board.scansTaken = 0;
}

int EmulatedBoards::daqAdcSetAcq(DaqHandle handle, int mode, int preTriggerCount, int postTriggerCount) {
    return OnBoard("daqAdcSetAcq", handle, {Number(mode), Number(preTriggerCount), Number(postTriggerCount)},
                   [&](BoardState& board) {
                       if (preTriggerCount < 0 || postTriggerCount < 0) return InvalidParameter;
                       board.acquisitionMode = mode;
                       board.preTriggerCount = preTriggerCount;
                       board.postTriggerCount = postTriggerCount;
                       return 0;
                   });
}

int EmulatedBoards::daqAdcSetScan(DaqHandle handle, std::span<const std::int32_t> channels,
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

int EmulatedBoards::daqAdcSetClockSource(DaqHandle handle, int clockSource) {
    return OnBoard("daqAdcSetClockSource", handle, {Number(clockSource)}, [&](BoardState& board) {
        board.adcClockSource = clockSource;
        return 0;
    });
}

int EmulatedBoards::daqAdcTransferSetBuffer(DaqHandle handle, std::span<std::int16_t> buffer, int scanCount,
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

int EmulatedBoards::daqSetTriggerEvent(DaqHandle handle, int triggerSource, int sensitivity, int channel, int gainCode,
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

int EmulatedBoards::daqAdcSetFreq(DaqHandle handle, float frequency) {
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

int EmulatedBoards::daqAdcTransferStart(DaqHandle handle) {
    return OnBoard("daqAdcTransferStart", handle, {}, [&](BoardState& board) {
        if (board.transferScans == 0) return NoTransferBuffer;
        board.transferRunning = true;
        StartIfReady(board);
        return 0;
    });
}

int EmulatedBoards::daqAdcArm(DaqHandle handle) {
    return OnBoard("daqAdcArm", handle, {}, [&](BoardState& board) {
        if (!board.scanListSet) return NoScanList;
        board.armed = true;
        StartIfReady(board);
        return 0;
    });
}

int EmulatedBoards::daqAdcDisarm(DaqHandle handle) {
    return OnBoard("daqAdcDisarm", handle, {}, [&](BoardState& board) {
        board.armed = false;
        StopAcquisition(board);
        return 0;
    });
}

int EmulatedBoards::daqAdcTransferStop(DaqHandle handle) {
    return OnBoard("daqAdcTransferStop", handle, {}, [&](BoardState& board) {
        board.transferRunning = false;
        StopAcquisition(board);
        return 0;
    });
}

int EmulatedBoards::daqAdcTransferGetStat(DaqHandle handle, int& active, int& returnedCount) {
    return OnBoard("daqAdcTransferGetStat", handle, {}, [&](BoardState& board) {
        active = board.acquiring ? 1 : 0;
        returnedCount = static_cast<int>(std::min<std::int64_t>(board.scansTaken, INT32_MAX));
        return 0;
    });
}

int EmulatedBoards::daqAdcTransferBufData(DaqHandle handle, std::span<std::int16_t> buffer, int scanCount,
                                          int bufferMask, int& returnedCount) {
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
            if (scans > 0) signals_.BlockRead(handle, board.scanChannels);
            returnedCount = static_cast<int>(scans);
            return 0;
        });
}
