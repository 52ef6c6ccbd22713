#pragma once

#include "hardware/DaqLibrary.h"

// The backend of a system without the acquisition library: every call fails as a
// call into a library that cannot be loaded does, so the board layer reports that no
// hardware was detected and the controller runs in demo mode.
class AbsentDaqLibrary final : public DaqLibrary {
public:
    int daqSetDefaultErrorHandler(int) override { return Missing(); }
    DaqHandle daqOpen(const std::string&) override { return Missing(); }
    int daqGetLastError(DaqHandle, int&) override { return Missing(); }
    int daqClose(DaqHandle) override { return Missing(); }
    int daqFormatError(int, std::span<char>) override { return Missing(); }
    int daqSetOption(DaqHandle, int, int, int, float) override { return Missing(); }
    int daqDacSetOutputMode(DaqHandle, int, int, int) override { return Missing(); }
    int daqDacWaveSetTrig(DaqHandle, int, int, int, int) override { return Missing(); }
    int daqDacWaveSetClockSource(DaqHandle, int, int, int) override { return Missing(); }
    int daqDacWaveSetFreq(DaqHandle, int, int, float) override { return Missing(); }
    int daqDacWaveSetMode(DaqHandle, int, int, int, int) override { return Missing(); }
    int daqDacWaveSetBuffer(DaqHandle, int, int, std::span<std::int16_t>, int, int) override { return Missing(); }
    int daqDacWaveSetUserWave(DaqHandle, int, int) override { return Missing(); }
    int daqDacTransferStart(DaqHandle, int, int) override { return Missing(); }
    int daqDacWaveArm(DaqHandle, int) override { return Missing(); }
    int daqDacWaveDisarm(DaqHandle, int) override { return Missing(); }
    int daqIOGet8255Conf(DaqHandle, int, int, int, int, int&) override { return Missing(); }
    int daqIOWrite(DaqHandle, int, int, int, int, int) override { return Missing(); }
    int daqIORead(DaqHandle, int, int, int, int, int&) override { return Missing(); }
    int daqAdcSetAcq(DaqHandle, int, int, int) override { return Missing(); }
    int daqAdcSetScan(DaqHandle, std::span<const std::int32_t>, std::span<const std::int32_t>,
                      std::span<const std::int32_t>, int) override {
        return Missing();
    }
    int daqAdcSetClockSource(DaqHandle, int) override { return Missing(); }
    int daqAdcTransferSetBuffer(DaqHandle, std::span<std::int16_t>, int, int) override { return Missing(); }
    int daqSetTriggerEvent(DaqHandle, int, int, int, int, int, int, float, float, int) override { return Missing(); }
    int daqAdcSetFreq(DaqHandle, float) override { return Missing(); }
    int daqAdcTransferStart(DaqHandle) override { return Missing(); }
    int daqAdcArm(DaqHandle) override { return Missing(); }
    int daqAdcDisarm(DaqHandle) override { return Missing(); }
    int daqAdcTransferStop(DaqHandle) override { return Missing(); }
    int daqAdcTransferGetStat(DaqHandle, int&, int&) override { return Missing(); }
    int daqAdcTransferBufData(DaqHandle, std::span<std::int16_t>, int, int, int&) override { return Missing(); }

private:
    [[noreturn]] static int Missing() { throw DaqLibraryUnavailable{"File not found: acquisition library"}; }
};
