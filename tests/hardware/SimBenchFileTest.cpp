#include "hardware/sim/BenchFile.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

sim::BenchModel Read(const std::string& text) {
    std::istringstream in(text);
    return sim::ReadBenchFile(in);
}

TEST(SimBenchFile, EveryKeySetsItsQuantityOverTheDefaultBench) {
    const sim::BenchModel model = Read("# a small bench\n"
                                       "shaker.full-drive-g 25\r\n"
                                       "shaker.suspension 5 2.5\n"
                                       "shaker.armature 3000 6   # above the band\n"
                                       "\n"
                                       "harmonics 0.02 0.01 0.005\n"
                                       "noise-g 0.004\n"
                                       "seed 7\n"
                                       "channel 3 specimen 250 20 9.5 current\n"
                                       "channel 9-16 none\n"
                                       "channel-noise 4 0.1\n"
                                       "fault slave-missing\n"
                                       "fault call daqAdcTransferBufData 7 from 100\n"
                                       "fault sensor 2 dead 120\n"
                                       "fault sensor 5-6 saturate 30.5\n"
                                       "press sweep-hold 12.5 1\n");
    EXPECT_EQ(model.fullDriveG, 25.0);
    EXPECT_EQ(model.suspensionHz, 5.0);
    EXPECT_EQ(model.suspensionQ, 2.5);
    EXPECT_EQ(model.armatureHz, 3000.0);
    EXPECT_EQ(model.armatureQ, 6.0);
    EXPECT_EQ(model.harmonics, (std::vector<double>{0.02, 0.01, 0.005}));
    EXPECT_EQ(model.seed, 7u);
    const sim::SensorMounting& third = model.channels[2];
    EXPECT_TRUE(third.onSpecimen);
    EXPECT_EQ(third.modeHz, 250.0);
    EXPECT_EQ(third.modeQ, 20.0);
    EXPECT_EQ(third.sensitivity, 9.5);
    EXPECT_TRUE(third.needsCurrent);
    EXPECT_EQ(third.noiseG, 0.004);
    EXPECT_EQ(model.channels[3].noiseG, 0.1);
    EXPECT_TRUE(model.channels[7].fitted);
    for (std::size_t k = 8; k < 16; ++k) EXPECT_FALSE(model.channels[k].fitted) << k;
    EXPECT_FALSE(model.slavePresent);
    EXPECT_TRUE(model.masterPresent);
    ASSERT_EQ(model.callFaults.size(), 1u);
    EXPECT_EQ(model.callFaults[0].function, "daqAdcTransferBufData");
    EXPECT_EQ(model.callFaults[0].code, 7);
    EXPECT_EQ(model.callFaults[0].fromCall, 100);
    EXPECT_EQ(model.channels[1].deadFromSeconds, 120.0);
    EXPECT_EQ(model.channels[4].saturatedFromSeconds, 30.5);
    EXPECT_EQ(model.channels[5].saturatedFromSeconds, 30.5);
    EXPECT_FALSE(model.channels[6].saturatedFromSeconds.has_value());
    ASSERT_EQ(model.presses.size(), 1u);
    EXPECT_EQ(model.presses[0].button, RunButton::SweepHold);
    EXPECT_EQ(model.presses[0].atSeconds, 12.5);
    EXPECT_EQ(model.presses[0].heldSeconds, 1.0);
    // What the file does not mention stays as in the default bench.
    EXPECT_EQ(model.channels[1].modeHz, sim::DefaultBenchModel().channels[1].modeHz);
}

TEST(SimBenchFile, BadInputIsRefusedNamingTheLine) {
    std::string harmonics = "harmonics";
    for (int i = 0; i < 33; ++i) harmonics += " 0.001";
    EXPECT_EQ(Read(harmonics.substr(0, harmonics.size() - 6)).harmonics.size(), 32u);
    harmonics = "seed 3\n" + harmonics + "\n";
    const std::pair<const char*, const char*> bad[] = {
        {harmonics.c_str(), "line 2: at most 32 harmonics"},
        {"noise-g 0\nshaker.gain 5\n", "bench file line 2: unknown key 'shaker.gain'"},
        {"channel 17 table 10\n", "line 1: '17' is outside 1 .. 16"},
        {"channel 3-2 none\n", "line 1: the range '3-2' runs backwards"},
        {"shaker.full-drive-g nan\n", "line 1: 'nan' is not a number"},
        {"shaker.full-drive-g inf\n", "line 1: 'inf' is not a number"},
        {"shaker.full-drive-g 1e999\n", "line 1: '1e999' is not a number"},
        {"shaker.full-drive-g 4,5\n", "line 1: '4,5' is not a number"},
        {"shaker.full-drive-g 0\n", "line 1: '0' is outside"},
        {"seed 1.5\n", "line 1: '1.5' is not a whole number"},
        {"channel 2 floor 10\n", "line 1: a channel sits on"},
        {"channel 2 table 10 battery\n", "line 1: unexpected 'battery'"},
        {"fault sensor 2 melts 3\n", "line 1: a sensor goes"},
        {"fault call daqOpenBoard 5\n", "line 1: no library function is called 'daqOpenBoard'"},
        {"fault call daqOpen 5 after 3\n", "line 1: expected 'from N'"},
        {"fault gremlins\n", "line 1: unknown fault 'gremlins'"},
        {"press panic 3\n", "line 1: the buttons are"},
        {"distortion 0.1 0.2\n", "line 1: unexpected '0.2'"},
        {"# fine\n\nshaker.suspension 5\n", "line 3: 'shaker.suspension' needs more values"},
    };
    for (const auto& [text, message] : bad) {
        try {
            Read(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const sim::BenchFileError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

TEST(SimBenchFile, AFileThatCannotBeReadSaysSo) {
    try {
        sim::LoadBenchFile("/nonexistent-zek8/bench.txt");
        ADD_FAILURE();
    } catch (const sim::BenchFileError& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent-zek8/bench.txt"), std::string::npos);
    }
}

} // namespace
