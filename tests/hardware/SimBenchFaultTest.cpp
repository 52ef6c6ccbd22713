#include "SimBenchRig.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using sim::SimBench;
constexpr DaqHandle Master = SimBench::MasterHandle;
constexpr std::array<std::int32_t, 8> AllX1{0, 0, 0, 0, 0, 0, 0, 0};

TEST(SimBenchFaults, CallsOnHandlesThatAreNotOpenFailAndChangeNothing) {
    BenchRig rig(QuietBench());
    SimBench& bench = rig.bench;
    int value = 0;
    for (const DaqHandle h : {NoDaqHandle, DaqHandle{5}, SimBench::SlaveHandle}) {
        EXPECT_EQ(bench.daqAdcArm(h), SimBench::InvalidHandle) << h;
        EXPECT_EQ(bench.daqIOWrite(h, 1, 0, 0, 1, 16), SimBench::InvalidHandle) << h;
        EXPECT_EQ(bench.daqIORead(h, 1, 2, 0, 1, value), SimBench::InvalidHandle) << h;
        EXPECT_EQ(bench.daqClose(h), SimBench::InvalidHandle) << h;
    }
    ASSERT_EQ(rig.Bring("DaqBoard1K0", {2, 2, 2, 2, 2, 2, 2, 2}), Master);
    rig.Drive(100.0, 1000);
    ASSERT_EQ(bench.daqClose(Master), 0);
    EXPECT_FALSE(bench.Open(Master));
    EXPECT_EQ(bench.DriveLevel(), 0.0); // a closed board's outputs feed the unit nothing

    EXPECT_EQ(rig.Scan(Master, {4, 4, 4, 4, 4, 4, 4, 4}), SimBench::InvalidHandle);
    EXPECT_EQ(bench.daqIOWrite(Master, 1, 1, 0, 1, 11), SimBench::InvalidHandle);
    rig.PortA(Master, DriveFrameWrites(0, 0));
    int returned = 9;
    EXPECT_EQ(bench.daqAdcTransferBufData(Master, rig.block, 1024, 1, returned), SimBench::InvalidHandle);
    EXPECT_EQ(returned, 0);
    EXPECT_EQ(bench.ScanGains(Master), std::vector<std::int32_t>(8, 0));
    EXPECT_EQ(bench.Unit(Master).driveHigh, 1000u); // the unit kept its last word
    EXPECT_EQ(bench.Unit(Master).portB, 0);
    for (const SimBench::Call& call : bench.Calls()) {
        if (call.handle == Master && call.function == "daqIOWrite" && call.arguments[1] == 1) {
            EXPECT_EQ(call.result, SimBench::InvalidHandle);
        }
    }
}

TEST(SimBenchFaults, EveryCodeTheLibraryReturnsHasAText) {
    BenchRig rig(QuietBench());
    std::array<char, 80> text{};
    for (const int code :
         {0, SimBench::InvalidHandle, SimBench::NotScanning, SimBench::DeviceNotFound, SimBench::InvalidParameter,
          SimBench::NoScanList, SimBench::BufferTooSmall, SimBench::NoTransferBuffer, 77}) {
        text.fill('x');
        ASSERT_EQ(rig.bench.daqFormatError(code, text), 0) << code;
        const std::size_t length = std::strlen(text.data());
        EXPECT_GT(length, 5u) << code;
        EXPECT_LT(length, text.size()) << code;
    }
    rig.bench.daqFormatError(SimBench::InvalidHandle, text);
    EXPECT_STREQ(text.data(), "Invalid device handle");
    std::array<char, 8> small{};
    rig.bench.daqFormatError(SimBench::InvalidHandle, small);
    EXPECT_STREQ(small.data(), "Invalid");
    EXPECT_EQ(rig.bench.daqFormatError(0, std::span<char>{}), SimBench::InvalidParameter);
}

TEST(SimBenchFaults, MissingBoardsAndAMissingLibrary) {
    sim::BenchModel noMaster = QuietBench();
    noMaster.masterPresent = false;
    BenchRig absent(noMaster);
    EXPECT_EQ(absent.bench.daqOpen("DaqBoard1K0"), NoDaqHandle);
    int error = 0;
    EXPECT_NE(absent.bench.daqGetLastError(NoDaqHandle, error), 0);
    EXPECT_EQ(error, SimBench::DeviceNotFound);
    EXPECT_EQ(absent.bench.daqOpen("DaqBoard1K1"), SimBench::SlaveHandle);
    EXPECT_EQ(absent.bench.daqGetLastError(SimBench::SlaveHandle, error), 0);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(absent.bench.daqOpen("DaqBoard9"), NoDaqHandle);

    sim::BenchModel noSlave = QuietBench();
    noSlave.slavePresent = false;
    BenchRig single(noSlave);
    EXPECT_EQ(single.bench.daqOpen("DaqBoard1K0"), Master);
    EXPECT_EQ(single.bench.daqOpen("DaqBoard1K1"), NoDaqHandle);

    sim::BenchModel noLibrary = QuietBench();
    noLibrary.libraryLoadable = false;
    BenchRig unloadable(noLibrary);
    std::array<char, 16> text{};
    EXPECT_THROW(unloadable.bench.daqSetDefaultErrorHandler(0), DaqLibraryUnavailable);
    EXPECT_THROW(unloadable.bench.daqOpen("DaqBoard1K0"), DaqLibraryUnavailable);
    EXPECT_THROW(unloadable.bench.daqGetLastError(NoDaqHandle, error), DaqLibraryUnavailable);
    EXPECT_THROW(unloadable.bench.daqFormatError(1, text), DaqLibraryUnavailable);
    EXPECT_THROW(unloadable.bench.daqAdcArm(Master), DaqLibraryUnavailable);
    EXPECT_FALSE(unloadable.bench.Open(Master));
}

TEST(SimBenchFaults, AnInjectedCodeFromTheNthCallOnAndNothingChanges) {
    BenchRig rig(QuietBench());
    const DaqHandle h = rig.Bring("DaqBoard1K0", AllX1);
    rig.bench.daqIOWrite(h, 1, 1, 0, 1, 3);
    int writes = 0;
    for (const SimBench::Call& call : rig.bench.Calls()) writes += call.function == "daqIOWrite" ? 1 : 0;
    rig.bench.InjectCallFault({"daqIOWrite", 77, writes + 2});
    EXPECT_EQ(rig.bench.daqIOWrite(h, 1, 1, 0, 1, 11), 0);
    EXPECT_EQ(rig.bench.daqIOWrite(h, 1, 1, 0, 1, 171), 77);
    EXPECT_EQ(rig.bench.daqIOWrite(h, 1, 1, 0, 1, 3), 77);
    EXPECT_EQ(rig.bench.Unit(h).portB, 11);
    int error = 0;
    rig.bench.daqGetLastError(h, error);
    EXPECT_EQ(error, 77);
    EXPECT_EQ(rig.bench.daqIORead(h, 1, 2, 0, 1, error), 0); // other functions unaffected
    EXPECT_THROW(rig.bench.InjectCallFault({"daqIOWriteX", 1, 1}), std::invalid_argument);

    sim::BenchModel model = QuietBench();
    model.callFaults.push_back({"daqOpen", 5, 1});
    BenchRig refused(model);
    EXPECT_EQ(refused.bench.daqOpen("DaqBoard1K0"), NoDaqHandle);
    refused.bench.daqGetLastError(NoDaqHandle, error);
    EXPECT_EQ(error, 5);
}

TEST(SimBenchFaults, SensorsGoDeadOrSaturateAtTheirTime) {
    sim::BenchModel model = QuietBench();
    model.channels[0].deadFromSeconds = 2.05;
    model.channels[0].noiseG = 0.001;
    model.channels[3].saturatedFromSeconds = 2.05;
    BenchRig rig(model);
    rig.Bring("DaqBoard1K0", AllX1);
    rig.Drive(1000.0, 400); // 6 G: 786.5 counts
    rig.clock.AdvanceToMs(2000);
    rig.Read(Master);
    EXPECT_NEAR(SineAmplitude(rig.Channel(1, 0, 1024), 1000.0), 786.5, 1.0);
    EXPECT_NEAR(SineAmplitude(rig.Channel(4, 0, 1024), 1000.0), 786.5, 1.0);
    rig.clock.AdvanceToMs(2100);
    rig.Read(Master);
    // From 2.05 s on (scans 511..1023 of this block, 511 taken at 2.05 s exactly)
    // channel 1 has only its noise (0.01 mV rms, well under a count) and channel 4 sits
    // at the rail.
    EXPECT_NEAR(SineAmplitude(rig.Channel(1, 0, 511), 1000.0), 786.5, 1.0);
    const std::vector<double> dead = rig.Channel(1, 511, 513);
    EXPECT_LE(*std::max_element(dead.begin(), dead.end()), 1.0);
    EXPECT_GE(*std::min_element(dead.begin(), dead.end()), -1.0);
    const std::vector<double> railed = rig.Channel(4, 511, 513);
    EXPECT_EQ(std::count(railed.begin(), railed.end(), 32767.0), 513);
    const std::vector<double> beforeRail = rig.Channel(4, 0, 511);
    EXPECT_EQ(std::count(beforeRail.begin(), beforeRail.end(), 32767.0), 0);

    // Injected while running, on the clock of the bench.
    rig.bench.KillSensor(2, 2.2);
    rig.clock.AdvanceToMs(2300);
    rig.Read(Master);
    EXPECT_EQ(SineAmplitude(rig.Channel(2, 0, 1024), 1000.0), 0.0);
}

TEST(SimBenchFaults, TheCallLogKeepsArgumentsInOrder) {
    BenchRig rig(QuietBench());
    const DaqHandle h = rig.Bring("DaqBoard1K0", {0, 1, 2, 3, 4, 0, 1, 2});
    const auto& calls = rig.bench.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().function, "daqOpen");
    EXPECT_EQ(calls.front().text, "DaqBoard1K0");
    EXPECT_EQ(calls.front().handle, h);
    const auto scan =
        std::find_if(calls.begin(), calls.end(), [](const auto& c) { return c.function == "daqAdcSetScan"; });
    ASSERT_NE(scan, calls.end());
    const std::vector<double> expected{8, 0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 0, 1, 2, 6, 6, 6, 6, 6, 6, 6, 6};
    EXPECT_EQ(scan->arguments, expected);
    EXPECT_EQ(rig.bench.Board(h).scanGains, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 0, 1, 2}));
    EXPECT_EQ(calls.back().function, "daqAdcArm");

    rig.bench.ClearCalls();
    rig.bench.daqIOWrite(h, 1, 1, 0, 1, 3);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].arguments, (std::vector<double>{1, 1, 0, 1, 3}));
    rig.bench.SetCallLogLimit(2);
    for (int i = 0; i < 5; ++i) rig.bench.daqIOWrite(h, 1, 1, 0, 1, i);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].arguments.back(), 4.0);

    // A gain code beyond x16 is refused and the scan list stays.
    EXPECT_EQ(rig.Scan(h, {5, 0, 0, 0, 0, 0, 0, 0}), SimBench::InvalidParameter);
    EXPECT_EQ(rig.bench.Board(h).scanGains[1], 1);
}

} // namespace
