#pragma once

#include "core/Controller.h"
#include "hardware/DaqLibrary.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// An acquisition library on which every call succeeds. It hands out blocks made by
// `makeBlock` for the board asked, remembers what the controller held at each read,
// and keeps every value written to digital port A so that the serial words can be
// read back as the signal-conditioning unit would.
class FakeBoard final : public DaqLibrary {
  public:
    struct Read {
        DaqHandle handle = NoDaqHandle;
        std::vector<std::int32_t> firstGains; // ScanGains[0..7] at the time of the read
    };

    explicit FakeBoard(Controller& c) : c_(c) {}

    std::function<void(DaqHandle, std::span<std::int16_t>)> makeBlock;
    std::vector<Read> reads;
    std::vector<int> portA;

    // The 16-bit frequency words clocked out, least significant bit first.
    std::vector<std::uint32_t> FrequencyWords() const {
        std::vector<std::uint32_t> words;
        std::uint32_t word = 0;
        int bit = 0;
        for (std::size_t i = 0; i < portA.size(); ++i) {
            const int v = portA[i];
            if ((v & 16) != 0 && (v & 1) != 0) {
                word |= static_cast<std::uint32_t>((v >> 1) & 1) << bit;
                ++bit;
            }
            if (v == 48) { // load strobe
                words.push_back(word);
                word = 0;
                bit = 0;
            }
        }
        return words;
    }

    // The 24-bit drive frames clocked out with the select line low, most significant
    // bit first.
    std::vector<std::uint32_t> DriveFrames() const {
        std::vector<std::uint32_t> frames;
        std::uint32_t frame = 0;
        int bits = 0;
        for (const int v : portA) {
            if ((v & 16) == 0 && (v & 1) != 0) {
                frame = (frame << 1) | static_cast<std::uint32_t>((v >> 1) & 1);
                if (++bits == 24) {
                    frames.push_back(frame);
                    frame = 0;
                    bits = 0;
                }
            }
        }
        return frames;
    }

    int daqSetDefaultErrorHandler(int) override { return 0; }
    DaqHandle daqOpen(const std::string&) override { return 0; }
    int daqGetLastError(DaqHandle, int& code) override { return code = 0; }
    int daqClose(DaqHandle) override { return 0; }
    int daqFormatError(int, std::span<char>) override { return 0; }
    int daqSetOption(DaqHandle, int, int, int, float) override { return 0; }
    int daqDacSetOutputMode(DaqHandle, int, int, int) override { return 0; }
    int daqDacWaveSetTrig(DaqHandle, int, int, int, int) override { return 0; }
    int daqDacWaveSetClockSource(DaqHandle, int, int, int) override { return 0; }
    int daqDacWaveSetFreq(DaqHandle, int, int, float) override { return 0; }
    int daqDacWaveSetMode(DaqHandle, int, int, int, int) override { return 0; }
    int daqDacWaveSetBuffer(DaqHandle, int, int, std::span<std::int16_t>, int, int) override { return 0; }
    int daqDacWaveSetUserWave(DaqHandle, int, int) override { return 0; }
    int daqDacTransferStart(DaqHandle, int, int) override { return 0; }
    int daqDacWaveArm(DaqHandle, int) override { return 0; }
    int daqDacWaveDisarm(DaqHandle, int) override { return 0; }
    int daqIOGet8255Conf(DaqHandle, int, int, int, int, int& configuration) override {
        return configuration = 0;
    }
    int daqIOWrite(DaqHandle, int, int port, int, int, int value) override {
        if (port == 0)
            portA.push_back(value);
        return 0;
    }
    int daqIORead(DaqHandle, int, int, int, int, int& value) override {
        value = 15;
        return 0;
    }
    int daqAdcSetAcq(DaqHandle, int, int, int) override { return 0; }
    int daqAdcSetScan(DaqHandle, std::span<const std::int32_t>, std::span<const std::int32_t>,
                      std::span<const std::int32_t>, int) override {
        return 0;
    }
    int daqAdcSetClockSource(DaqHandle, int) override { return 0; }
    int daqAdcTransferSetBuffer(DaqHandle, std::span<std::int16_t>, int, int) override { return 0; }
    int daqSetTriggerEvent(DaqHandle, int, int, int, int, int, int, float, float, int) override { return 0; }
    int daqAdcSetFreq(DaqHandle, float) override { return 0; }
    int daqAdcTransferStart(DaqHandle) override { return 0; }
    int daqAdcArm(DaqHandle) override { return 0; }
    int daqAdcDisarm(DaqHandle) override { return 0; }
    int daqAdcTransferStop(DaqHandle) override { return 0; }
    int daqAdcTransferGetStat(DaqHandle, int& active, int& count) override {
        active = 1;
        count = 1024;
        return 0;
    }
    int daqAdcTransferBufData(DaqHandle handle, std::span<std::int16_t> buffer, int scans, int,
                              int& count) override {
        reads.push_back({handle, {c_.ScanGains.begin(), c_.ScanGains.begin() + 8}});
        if (makeBlock)
            makeBlock(handle, buffer);
        count = scans;
        return 0;
    }

  private:
    Controller& c_;
};
