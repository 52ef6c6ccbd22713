// Every backend that holds a board answers the board layer's sequence of calls alike;
// the absent library refuses every one of them as a library that cannot be loaded.
#include "SimBenchRig.h"
#include "core/Clock.h"
#include "hardware/Backend.h"
#include "hardware/EmulatedBoards.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rig {
    SimulatedClock clock;
    Backend backend;
    DaqHandle h = NoDaqHandle;
    std::vector<std::int16_t> transfer = std::vector<std::int16_t>(8192);
    std::vector<std::int16_t> block = std::vector<std::int16_t>(8192);
};

std::string Answer(std::initializer_list<int> values) {
    std::string text;
    for (const int v : values) text += (text.empty() ? "" : " ") + std::to_string(v);
    return text;
}

// Port-A values in turn; the first refusal, else 0.
int ClockOut(DaqLibrary& daq, DaqHandle h, const std::vector<int>& writes) {
    for (const int value : writes)
        if (const int result = daq.daqIOWrite(h, 1, 0, 0, 1, value); result != 0) return result;
    return 0;
}

// The newest 1024 scans: the result and the count the library gave.
std::string ReadBlock(DaqLibrary& daq, Rig& rig) {
    int returned = -1;
    const int result = daq.daqAdcTransferBufData(rig.h, rig.block, 1024, 1, returned);
    return Answer({result, returned});
}

struct Step {
    const char* what;
    std::function<std::string(DaqLibrary&, Rig&)> call;
    const char* answer; // from a backend that holds the boards
};

const std::array<std::int32_t, 8> Places{0, 1, 2, 3, 4, 5, 6, 7};
const std::array<std::int32_t, 8> Gains{};
const std::array<std::int32_t, 8> Flags{};
constexpr int PortsAAndBOut = 0x89; // mode set, port C in

const std::vector<Step>& Sequence() {
    static const std::vector<Step> steps{
        {"open", [](DaqLibrary& d, Rig& r) { return Answer({r.h = d.daqOpen("DaqBoard1K0")}); }, "0"},
        {"option", [](DaqLibrary& d, Rig& r) { return Answer({d.daqSetOption(r.h, 0, 0, 1, 1.0f)}); }, "0"},
        {"scan list", [](DaqLibrary& d, Rig& r) { return Answer({d.daqAdcSetScan(r.h, Places, Gains, Flags, 8)}); },
         "0"},
        {"rate", [](DaqLibrary& d, Rig& r) { return Answer({d.daqAdcSetFreq(r.h, 10240.0f)}); }, "0"},
        {"transfer buffer",
         [](DaqLibrary& d, Rig& r) { return Answer({d.daqAdcTransferSetBuffer(r.h, r.transfer, 1024, 1)}); }, "0"},
        {"ports", [](DaqLibrary& d, Rig& r) { return Answer({d.daqIOWrite(r.h, 1, 3, 0, 1, PortsAAndBOut)}); }, "0"},
        {"outputs armed", [](DaqLibrary& d, Rig& r) { return Answer({d.daqDacWaveArm(r.h, 0)}); }, "0"},
        {"arm",
         [](DaqLibrary& d, Rig& r) {
             return Answer({d.daqAdcTransferStart(r.h), d.daqAdcArm(r.h)});
         },
         "0 0"},
        {"frequency word", [](DaqLibrary& d, Rig& r) { return Answer({ClockOut(d, r.h, FrequencyWordWrites(819))}); },
         "0"},
        {"drive word", [](DaqLibrary& d, Rig& r) { return Answer({ClockOut(d, r.h, DriveFrameWrites(2000, 0))}); },
         "0"},
        {"block read",
         [](DaqLibrary& d, Rig& r) {
             r.clock.AdvanceMs(100); // 1024 scans at 10240 a second
             return ReadBlock(d, r);
         },
         "0 1024"},
        {"status",
         [](DaqLibrary& d, Rig& r) {
             int active = -1, scans = -1;
             const int result = d.daqAdcTransferGetStat(r.h, active, scans);
             return Answer({result, active, scans});
         },
         "0 1 1024"},
        {"disarm", [](DaqLibrary& d, Rig& r) { return Answer({d.daqAdcDisarm(r.h)}); }, "0"},
        {"read when disarmed", ReadBlock, "1002 0"},
        {"injected failing call",
         [](DaqLibrary& d, Rig& r) {
             if (r.backend.bench != nullptr) r.backend.bench->InjectCallFault({"daqAdcSetFreq", 77, 1});
             int code = -1;
             const int result = d.daqAdcSetFreq(r.h, 10240.0f);
             return Answer({result, d.daqGetLastError(r.h, code), code});
         },
         "77 0 77"},
        {"close", [](DaqLibrary& d, Rig& r) { return Answer({d.daqClose(r.h)}); }, "0"},
        {"closed handle",
         [](DaqLibrary& d, Rig& r) {
             return Answer({d.daqAdcArm(r.h), d.daqClose(r.h)});
         },
         "1001 1001"},
        {"error text",
         [](DaqLibrary& d, Rig&) {
             std::array<char, 64> text{};
             const int result = d.daqFormatError(EmulatedBoards::InvalidHandle, text);
             return std::to_string(result) + " " + text.data();
         },
         "0 Invalid device handle"},
    };
    return steps;
}

struct BackendMaker {
    const char* name;
    std::function<BackendChoice()> choose;
    double fundamentalG; // channel 1 at 819 / 8.192 Hz and half drive, worked out from the bench's model
};

void PrintTo(const BackendMaker& maker, std::ostream* out) { *out << maker.name; }

std::filesystem::path WrittenBenchFile() {
    const std::filesystem::path path = std::filesystem::path(testing::TempDir()) / "contract.bench";
    std::ofstream(path) << "# a table that follows the drive exactly\n"
                           "shaker.full-drive-g 20\n"
                           "shaker.suspension 0.1 1\n"
                           "shaker.armature 100000 1\n"
                           "seed 5\n";
    return path;
}

class BackendContract : public testing::TestWithParam<BackendMaker> {};

TEST_P(BackendContract, AnswersTheBoardLayersSequenceLikeEveryOtherBoard) {
    Rig rig;
    rig.backend = MakeBackend(GetParam().choose(), rig.clock);
    ASSERT_NE(rig.backend.bench, nullptr);
    for (const Step& step : Sequence()) {
        EXPECT_EQ(step.call(*rig.backend.library, rig), step.answer) << step.what;
        if (std::string_view(step.what) == "block read") {
            EXPECT_NEAR(rig.backend.bench->AcquiredFundamentalG(1), GetParam().fundamentalG, 1e-3);
        }
    }
    EXPECT_THROW(rig.backend.bench->InjectCallFault({"daqNoSuchCall", 1, 1}), std::invalid_argument);
}

// Built in: 60 G full drive through the 4 Hz (Q 2) suspension and 6.5 kHz (Q 4)
// armature; from the file: 20 G with both resonances far outside the band.
INSTANTIATE_TEST_SUITE_P(EveryBoard, BackendContract,
                         testing::Values(BackendMaker{"BuiltInBench", [] { return ChooseBackend("sim"); }, 30.0489},
                                         BackendMaker{"BenchFile",
                                                      [] { return ChooseBackend(WrittenBenchFile().string()); }, 10.0}),
                         [](const testing::TestParamInfo<BackendMaker>& info) { return info.param.name; });

TEST(BackendContract, TheAbsentLibraryRefusesEveryCallOfTheSequence) {
    Rig rig;
    rig.backend = MakeBackend(ChooseBackend("none"), rig.clock);
    EXPECT_EQ(rig.backend.bench, nullptr);
    for (const Step& step : Sequence()) {
        try {
            step.call(*rig.backend.library, rig);
            ADD_FAILURE() << step.what << " was answered";
        } catch (const DaqLibraryUnavailable& error) {
            EXPECT_EQ(error.description, "File not found: acquisition library") << step.what;
        }
    }
}

TEST(BackendContract, ABenchFileThatCannotBeReadIsAChoiceError) {
    const std::string missing = (std::filesystem::path(testing::TempDir()) / "no-such.bench").string();
    try {
        ChooseBackend(missing);
        ADD_FAILURE() << "a missing bench file was taken";
    } catch (const BackendChoiceError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot read the bench file " + missing);
    }
}

} // namespace
