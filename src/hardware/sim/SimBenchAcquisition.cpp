// SimBench's analogue inputs: the acquisition calls, when an acquisition starts and
// stops, and reading its scans out into the caller's buffer.
#include "hardware/sim/SimBench.h"
#include "hardware/sim/SimBenchDetail.h"

#include <algorithm>
#include <cstdint>

namespace sim {

using sim_bench_detail::BoardInputs;
using sim_bench_detail::HighestScanRate;
using sim_bench_detail::Number;

namespace {

constexpr int DefaultScanCapacity = 1024;
constexpr int HighestGainCode = 4; // x16

} // namespace

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
            const int firstChannel = handle == MasterHandle ? 1 : 1 + BoardInputs;
            if (scans > 0)
                for (const std::int32_t place : board.scanChannels) {
                    const auto k = static_cast<std::size_t>(firstChannel + place - 1);
                    readFundamentalG_[k] = madeFundamentalG_[k];
                }
            returnedCount = static_cast<int>(scans);
            return 0;
        });
}

} // namespace sim
