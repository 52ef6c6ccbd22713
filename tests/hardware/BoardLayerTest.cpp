#include "hardware/BoardLayer.h"
#include "core/Commands.h"
#include "core/ControlCycle.h"
#include "core/Defaults.h"
#include "core/RunCommands.h"
#include "core/RunInputs.h"
#include "engine/DriveLaw.h"
#include "engine/ResponseMeasurement.h"
#include "hardware/AbsentDaqLibrary.h"
#include "hardware/BoardErrors.h"
#include "hardware/ConditioningUnit.h"
#include "support/FakeBoard.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <sstream>
#include <tuple>

namespace {

struct BoardLayerTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    FakeBoard board{c};

    BoardLayerTest() {
        SetDefaults(c);
        c.ports.daq = &board;
    }
    std::size_t Boxes() const { return t.dialogs.History().size(); }
    const ScriptedDialogs::Shown& LastBox() const { return t.dialogs.History().back(); }
};

TEST_F(BoardLayerTest, InitialisationOpensAndProgramsTheMasterInOrder) {
    InitialiseHardware(c);
    EXPECT_EQ(c.DemoMode, 0.0f);
    EXPECT_EQ(c.MasterBoardHandle, 0);
    EXPECT_EQ(c.BoardHandle, 0);
    EXPECT_EQ(c.DaqErrorRaiseCode, 100);
    EXPECT_EQ(c.P[16], 20.0f);
    EXPECT_EQ(Boxes(), 0u);

    std::vector<std::string> functions = board.Functions();
    functions.erase(std::remove(functions.begin(), functions.end(), "daqIOWrite"), functions.end());
    // clang-format off
    const std::vector<std::string> expected = {
        "daqSetDefaultErrorHandler", "daqOpen", "daqGetLastError", "daqSetOption", "daqSetOption", "daqSetOption",
        "daqDacSetOutputMode", "daqDacWaveSetTrig", "daqDacWaveSetClockSource", "daqDacWaveSetFreq",
        "daqDacWaveSetMode", "daqDacWaveSetBuffer", "daqDacWaveSetUserWave", "daqDacSetOutputMode",
        "daqDacWaveSetTrig", "daqDacWaveSetClockSource", "daqDacWaveSetFreq", "daqDacWaveSetMode",
        "daqDacWaveSetBuffer", "daqDacWaveSetUserWave", "daqDacTransferStart", "daqDacTransferStart",
        "daqDacWaveArm", "daqIOGet8255Conf", "daqAdcSetAcq", "daqAdcSetScan", "daqAdcSetClockSource",
        "daqAdcTransferSetBuffer", "daqSetTriggerEvent", "daqSetTriggerEvent", "daqAdcSetFreq",
        "daqAdcTransferStart", "daqAdcArm"};
    // clang-format on
    EXPECT_EQ(functions, expected);
    EXPECT_EQ(board.CallsTo("daqSetOption"),
              (std::vector<std::string>{"daqSetOption 0 0 0 16385 0", "daqSetOption 0 1 0 16385 3",
                                        "daqSetOption 0 1 1 16387 1"}));
    EXPECT_EQ(board.CallsTo("daqDacWaveSetBuffer"),
              (std::vector<std::string>{"daqDacWaveSetBuffer 0 0 0 4096 1", "daqDacWaveSetBuffer 0 0 1 4096 3"}));
    EXPECT_EQ(board.CallsTo("daqAdcTransferSetBuffer")[0], "daqAdcTransferSetBuffer 0 1024 27");
    // The default profile peaks at 20 G: 200 mV on channel 1's 10 mV/G takes gain code 3.
    EXPECT_EQ(c.PeakProfileAcceleration, 20.0f);
    EXPECT_EQ(board.CallsTo("daqSetTriggerEvent"),
              (std::vector<std::string>{"daqSetTriggerEvent 0 0 0 0 3 6 0 0 0 0",
                                        "daqSetTriggerEvent 0 10 0 0 3 6 0 1 0 0"}));
    // The configuration word to port 3, port B, then the three words.
    const auto writes = board.CallsTo("daqIOWrite");
    EXPECT_EQ(writes[0], "daqIOWrite 0 1 3 0 1 137");
    EXPECT_EQ(writes[1], "daqIOWrite 0 1 1 0 1 171");
    EXPECT_EQ(writes.size(), 2u + 50u + 25u + 74u);
}

TEST_F(BoardLayerTest, ABoardIsMadeSafeAndClosedBeforeItIsOpenedAgain) {
    InitialiseHardware(c);
    board.calls.clear();
    board.portAByBoard.clear();
    InitialiseHardware(c);
    const auto functions = board.Functions();
    const auto close = std::find(functions.begin(), functions.end(), "daqClose");
    const auto open = std::find(functions.begin(), functions.end(), "daqOpen");
    ASSERT_NE(close, functions.end());
    EXPECT_LT(close - functions.begin(), open - functions.begin());
    EXPECT_EQ(FakeBoard::DriveFrames(board.portAByBoard[0]).front(), 0u);
}

TEST_F(BoardLayerTest, WordsOnTheWire) {
    c.MasterBoardHandle = c.BoardHandle = 0;
    c.FrequencyWord = 10.0f * 8.192f;
    SendFrequencyWord(c);
    EXPECT_EQ(board.FrequencyWords(), std::vector<std::uint32_t>{81});
    EXPECT_NEAR(c.FrequencyWord, 0.92f, 1e-4f) << "the remainder stays";
    EXPECT_EQ(board.portA.size(), 50u);
    EXPECT_EQ(board.portA[0], 16 + 2);     // bit 0 of 81 first
    EXPECT_EQ(board.portA[1], 16 + 2 + 1); // clocked
    EXPECT_EQ(board.portA[48], 48);        // load strobe
    EXPECT_EQ(board.portA[49], 16);

    board.portA.clear();
    c.FrequencyWord = 10000.0f * 8.192f;
    SendFrequencyWord(c);
    EXPECT_EQ(board.FrequencyWords(), std::vector<std::uint32_t>{65535});

    board.portA.clear();
    SendDriveWord(c, 0, 4000);
    EXPECT_EQ(board.DriveFrames(), std::vector<std::uint32_t>{4000u << 12});
    EXPECT_EQ(board.portA.size(), 74u);
    EXPECT_EQ(board.portA.front(), 0);
    EXPECT_EQ(board.portA[1], 2); // 4000 = 0b111110100000: the top bit is 1
    EXPECT_EQ(board.portA[2], 3);
    EXPECT_EQ(board.portA.back(), 16);

    board.portA.clear();
    c.P[11] = 2.0f;
    c.P[41] = 2.0f;
    c.P[12] = 3.0f; // only 2 switches a source on
    UpdateCurrentSources(c);
    EXPECT_EQ(FakeBoard::CurrentSourceWords(board.portA), std::vector<std::uint32_t>{5});
    EXPECT_EQ(c.CurrentSourceWord, 5);
    EXPECT_EQ(board.portA.front(), 16);
    EXPECT_EQ(board.portA.size(), 25u);
}

TEST_F(BoardLayerTest, GainCodesAndScales) {
    const std::pair<float, std::int32_t> cases[] = {{1000, 0}, {999.9f, 1}, {500, 1}, {250, 2}, {125, 3}, {124.9f, 4}};
    c.PeakProfileAcceleration = 10.0f;
    for (const auto& [millivolts, code] : cases) {
        c.P[9] = millivolts / 10.0f;
        SelectChannelGains(c);
        EXPECT_EQ(c.ScanGains[0], code) << millivolts << " mV";
    }
    for (const float peak : {0.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        c.PeakProfileAcceleration = peak;
        c.P[10] = peak == 0.0f ? 10.0f : 0.0f; // inf x 0 is not a number either
        SelectChannelGains(c);
        EXPECT_EQ(c.ScanGains[1], 4) << peak;
    }
    c.PeakProfileAcceleration = 0.0f;
    SelectChannelGains(c);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(c.ScanGains[static_cast<std::size_t>(k)], 4);

    c.P[9] = 10.0f;
    c.P[10] = 0.0f;
    c.ScanGains[0] = 3;
    ComputeChannelScales(c);
    EXPECT_FLOAT_EQ(c.ChannelScale[1], 8.0f * 13.108f * 10.0f);
    EXPECT_EQ(c.ChannelScale[2], 1.0f);
}

// Each board scans with the gain codes of its own channels, when it is programmed and
// when Servo On takes up the codes of a profile whose peak has changed since.
TEST_F(BoardLayerTest, EachBoardScansWithTheGainsOfItsOwnChannels) {
    const auto lastScanGains = [&](DaqHandle h) {
        std::vector<int> gains;
        for (const std::string& call : board.CallsTo("daqAdcSetScan")) {
            std::istringstream words(call.substr(call.find(' ') + 1));
            int handle = 0;
            words >> handle;
            if (handle != h) continue;
            std::vector<int> list(25);
            for (int& v : list) words >> v;
            gains.assign(list.begin() + 8, list.begin() + 16);
        }
        return gains;
    };
    c.P[120] = 2.0f;
    c.P[101] = 100.0f; // channel 9
    c.P[102] = 5.0f;   // channel 10
    InitialiseHardware(c);
    // At the default profile's 20 G: 10 mV/G gives 200 mV (x8, code 3), 100 mV/G 2000 mV
    // (x1, code 0) and 5 mV/G 100 mV (x16, code 4).
    EXPECT_EQ(lastScanGains(0), std::vector<int>(8, 3));
    EXPECT_EQ(lastScanGains(1), (std::vector<int>{0, 4, 3, 3, 3, 3, 3, 3}));
    EXPECT_EQ(board.CallsTo("daqSetTriggerEvent").back(), "daqSetTriggerEvent 1 10 0 0 0 6 0 1 0 0");

    // The acceleration rows at 10 G leave the 100 mils at 44.3 Hz as the peak:
    // 100 x 44.3^2 / 19560 = 10.03 G, so 10 mV/G gives 100.3 mV (code 4), 100 mV/G 1003 mV.
    c.Breakpoints[4].Level = 10.0f;
    c.Breakpoints[5].Level = 10.0f;
    StartServo(c);
    EXPECT_EQ(lastScanGains(0), std::vector<int>(8, 4));
    EXPECT_EQ(lastScanGains(1), (std::vector<int>{0, 4, 4, 4, 4, 4, 4, 4}));
    EXPECT_EQ(c.BoardHandle, 0);
}

TEST_F(BoardLayerTest, LibraryErrorIsReportedWithItsText) {
    board.failing["daqDacWaveArm"] = 5;
    InitialiseHardware(c);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastBox().title, "Error!");
    EXPECT_EQ(LastBox().text, "DaqX Error : 5\nexplanation of 5");
    EXPECT_TRUE(board.CallsTo("daqAdcArm").empty()) << "the rest of the configuration is skipped";
}

TEST_F(BoardLayerTest, SlaveMissingInSixteenChannelsEndsInDemoWithoutConfiguring) {
    c.P[120] = 2.0f;
    board.openHandles.erase(SlaveDeviceName);
    InitialiseHardware(c);
    EXPECT_EQ(c.DemoMode, 1.0f);
    EXPECT_EQ(c.BoardHandle, 0);
    EXPECT_TRUE(board.CallsTo("daqSetOption").empty());
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastBox().text, " Second Daq1000 installed, but not connected to computer or not turned on!");
    EXPECT_EQ(LastBox().title, "Install Error");
}

TEST_F(BoardLayerTest, MissingMasterOrLibraryMeansDemoMode) {
    board.openHandles.clear();
    InitialiseHardware(c);
    EXPECT_EQ(c.DemoMode, 1.0f);
    EXPECT_EQ(t.dialogs.History()[0].text, " Daq1000 installed, but not connected to computer or not turned on!");

    TestController other;
    AbsentDaqLibrary absent;
    SetDefaults(other.c);
    other.c.ports.daq = &absent;
    InitialiseHardware(other.c);
    EXPECT_EQ(other.c.DemoMode, 1.0f);
    EXPECT_EQ(other.c.EightChannelMode, 1);
    ASSERT_EQ(other.dialogs.History().size(), 1u);
    EXPECT_EQ(other.dialogs.History()[0].text, " No hardware was detected. The Software has been put in the Demo Mode");
}

TEST_F(BoardLayerTest, NoBoardInterfaceOpensNothing) {
    c.P[65] = 2.0f;
    c.DemoMode = 1.0f;
    InitialiseHardware(c);
    EXPECT_EQ(c.DemoMode, 0.0f);
    UpdateCurrentSources(c);
    SetPortBRunLevel(c);
    PollRunInputs(c);
    MeasureResponses(c);
    EXPECT_TRUE(board.calls.empty());
}

// Another interface takes the boards out of use at once, whether they were opened
// before the change or never: Servo On and the cycle (push-buttons polled, sixteen
// channels ticked) make no library call and tell the operator nothing.
TEST(BoardLayerInterfaceTest, AnotherInterfaceLeavesTheBoardsAlone) {
    for (const char* item : {"mnuSystemInterfaceDIO", "mnuSystemInterfaceUSB"}) {
        for (const bool openedBefore : {true, false}) {
            TestController t;
            Controller& c = t.c;
            FakeBoard board{c};
            SetDefaults(c);
            c.ports.daq = &board;
            c.P[20] = 2.0f;
            if (openedBefore) InitialiseHardware(c);
            ASSERT_TRUE(RunMenuCommand(c, item));
            if (!openedBefore) InitialiseHardware(c);
            board.calls.clear();
            RunMenuCommand(c, "mnuSystemActiveChannels16");
            ClickControl(c, "cmdServoOn");
            for (int cycle = 0; cycle < 12; ++cycle) ControlCycle(c);
            EXPECT_EQ(c.ServoOn, 1.0f) << item;
            EXPECT_EQ(board.calls, std::vector<std::string>{}) << item << (openedBefore ? ", opened before" : "");
            EXPECT_EQ(t.dialogs.History().size(), 0u) << item;
        }
    }
}

TEST_F(BoardLayerTest, LeavingTheBoardPathWhileRunningLeavesNoDriveBehind) {
    InitialiseHardware(c);
    ClickControl(c, "cmdServoOn");
    c.DriveOutput = 0.5f;
    SendDrive(c);
    ASSERT_EQ(board.DriveFrames().back(), 2000u << 12) << "half drive in the high half of the frame";
    ASSERT_TRUE(RunMenuCommand(c, "mnuSystemInterfaceUSB"));
    EXPECT_EQ(board.DriveFrames().back(), 0u);
    EXPECT_EQ(board.portB[0], 11);
    EXPECT_EQ(c.ServoOn, 0.0f);
}

TEST_F(BoardLayerTest, ExitLeavesEveryBoardSafe) {
    c.P[120] = 2.0f;
    InitialiseHardware(c);
    ASSERT_EQ(c.SecondBoardActive, 1);
    board.portAByBoard.clear();
    MakeBoardsSafe(c, true);
    for (const DaqHandle h : {0, 1}) {
        EXPECT_EQ(FakeBoard::CurrentSourceWords(board.portAByBoard[h]), std::vector<std::uint32_t>{0}) << h;
        EXPECT_EQ(FakeBoard::DriveFrames(board.portAByBoard[h]), std::vector<std::uint32_t>{0}) << h;
        EXPECT_EQ(board.portB[h], 11) << h;
    }
    EXPECT_EQ(board.CallsTo("daqClose"), (std::vector<std::string>{"daqClose 0", "daqClose 1"}));
    EXPECT_EQ(c.BoardHandle, NoDaqHandle);
    EXPECT_EQ(board.CallsTo("daqSetOption").back(), "daqSetOption 1 1 1 16387 0");
}

TEST_F(BoardLayerTest, ARepeatingFaultIsReportedOncePerEpisode) {
    InitialiseHardware(c);
    board.failing["daqAdcTransferBufData"] = 7;
    for (int i = 0; i < 5; ++i) ReadAdcBlock(c);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(c.AdcScansRead, 0);
    board.failing.clear();
    ReadAdcBlock(c);
    EXPECT_EQ(c.AdcScansRead, 1024);
    board.failing["daqAdcTransferBufData"] = 7;
    ReadAdcBlock(c);
    EXPECT_EQ(Boxes(), 2u) << "a new episode is told again";
}

TEST_F(BoardLayerTest, ARefusedDriveWordTurnsTheServoOff) {
    InitialiseHardware(c);
    c.ServoOn = 1.0f;
    board.failing["daqIOWrite"] = 3;
    SendDriveWord(c, 0, 100);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(LastBox().text, "DaqX Error : 3\nexplanation of 3");
}

TEST_F(BoardLayerTest, PushButtonsActOnThePress) {
    InitialiseHardware(c);
    c.DemoMode = 0.0f;
    board.portC = 15 & ~1; // Servo On held
    PollRunInputs(c);
    EXPECT_EQ(c.ServoOn, 1.0f);
    StopServo(c);
    PollRunInputs(c);
    EXPECT_EQ(c.ServoOn, 0.0f) << "still held: no second Servo On";
    board.portC = 15 & ~4 & ~8; // Run and Hold pressed together: Run, then Hold
    PollRunInputs(c);
    EXPECT_EQ(c.SweepRunning, 0.0f);
    EXPECT_EQ(c.RemoteCommandCode, 4.0f);
    board.portC = 15;
    PollRunInputs(c);
    board.failing["daqIORead"] = 9;
    board.portC = 15 & ~1;
    PollRunInputs(c);
    EXPECT_EQ(c.ServoOn, 0.0f) << "a failed read acts on nothing";
}

} // namespace

// A block of 4 scans of 8 samples, all 1000 but one: which of them reads as full scale.
TEST(ReachesFullScale, OnlyTheConvertersEndCodesAtTheChannelsOwnPlace) {
    const std::tuple<std::size_t, std::int16_t, int, bool> cases[] = {
        {2 * 8 + 3, 32767, 4, true},  {0 * 8 + 3, -32768, 4, true},  // the end codes, scan 0 too
        {2 * 8 + 3, 32766, 4, false}, {2 * 8 + 3, -32767, 4, false}, // one count inside
        {2 * 8 + 4, 32767, 4, false}, {3 * 8 + 3, 32767, 3, false},  // another place, a scan not read
    };
    for (const auto& [at, value, scans, expected] : cases) {
        std::array<std::int16_t, 32> block{};
        block.fill(1000);
        block[at] = value;
        EXPECT_EQ(ReachesFullScale(block, 3, scans), expected) << value << " at " << at;
    }
}

// 10 mV/G, the profile's peak 10 G: channel 1 expects 100 mV (x16); channel 2, limited to
// 30 G with a 3 dB margin, 42.4 G, 424 mV (x4: 625 mV, 62.5 G, holds it).
TEST_F(BoardLayerTest, ALimitChannelsRangeComesFromItsLimitAndMarginTheControlChannelsFromTheProfile) {
    c.PeakProfileAcceleration = 10.0f;
    c.P[SensitivityEntry(1)] = c.P[SensitivityEntry(2)] = 10.0f;
    c.Limits.rows = {{2, 20.0f, 3.0f, 30.0f, 3.0f}, {2, 1000.0f, 3.0f, 30.0f, 3.0f}};
    SelectChannelGains(c);
    EXPECT_EQ(c.ScanGains[0], 4);
    EXPECT_EQ(c.ScanGains[1], 2);
}
