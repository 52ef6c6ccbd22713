#include "hardware/SerialWordDecoder.h"
#include "SimBenchRig.h"

#include <gtest/gtest.h>

namespace {

using sim::SimBench;

void Feed(SerialWordDecoder& unit, const std::vector<int>& writes) {
    for (const int value : writes) unit.Write(value);
}

TEST(SerialWordDecoder, DecodesEveryWordOverItsWholeRange) {
    SerialWordDecoder unit;
    unit.Reset(0);
    for (std::uint32_t word = 0; word <= 65535; ++word) {
        Feed(unit, FrequencyWordWrites(word));
        ASSERT_EQ(unit.Latched().frequencyWord, word);
    }
    for (std::uint32_t high = 0; high <= 4095; ++high) {
        Feed(unit, DriveFrameWrites(high, 4095 - high));
        ASSERT_EQ(unit.Latched().driveHigh, high);
        ASSERT_EQ(unit.Latched().driveLow, 4095 - high);
    }
    for (std::uint32_t word = 0; word <= 255; ++word) {
        Feed(unit, CurrentSourceWrites(word));
        ASSERT_EQ(unit.Latched().currentSources, word);
    }
    EXPECT_EQ(unit.Latched().frequencyLoads, 65536);
    EXPECT_EQ(unit.Latched().driveLatches, 4096);
    EXPECT_EQ(unit.Latched().currentLoads, 256);
    EXPECT_EQ(unit.Latched().protocolErrors, 0);
}

TEST(SerialWordDecoder, TheWordsLatchOnlyOnTheirStrobeOrEdge) {
    SerialWordDecoder unit;
    unit.Reset(0);
    std::vector<int> frequency = FrequencyWordWrites(0xA5C3);
    frequency.resize(frequency.size() - 2); // all 16 bits, no load strobe yet
    Feed(unit, frequency);
    EXPECT_EQ(unit.Latched().frequencyWord, 0u);
    Feed(unit, {48, 16});
    EXPECT_EQ(unit.Latched().frequencyWord, 0xA5C3u);

    std::vector<int> drive = DriveFrameWrites(4000, 0);
    drive.pop_back(); // select still low
    Feed(unit, drive);
    EXPECT_EQ(unit.Latched().driveHigh, 0u);
    unit.Write(16);
    EXPECT_EQ(unit.Latched().driveHigh, 4000u);

    std::vector<int> current = CurrentSourceWrites(5);
    current.pop_back(); // the eighth clock is still high
    Feed(unit, current);
    EXPECT_EQ(unit.Latched().currentSources, 0u);
    unit.Write(16);
    EXPECT_EQ(unit.Latched().currentSources, 5u);
    EXPECT_EQ(unit.Latched().protocolErrors, 0);
}

TEST(SerialWordDecoder, MalformedSequencesAreCountedAndLeaveTheLastWord) {
    struct Case {
        const char* what;
        std::vector<int> writes;
    };
    std::vector<int> fifteen, seventeen, shortFrame, longFrame, currentInFrame, strobeInFrame, halfCurrent;
    for (int bit = 0; bit < 15; ++bit) fifteen.insert(fifteen.end(), {18, 19, 16});
    fifteen.insert(fifteen.end(), {48, 16});
    for (int bit = 0; bit < 17; ++bit) seventeen.insert(seventeen.end(), {18, 19, 16});
    seventeen.insert(seventeen.end(), {48, 16});
    shortFrame = DriveFrameWrites(4095, 4095);
    shortFrame.erase(shortFrame.begin() + 1, shortFrame.begin() + 4); // 23 bits
    longFrame = DriveFrameWrites(4095, 4095);
    longFrame.insert(longFrame.end() - 1, {2, 3, 0}); // 25 bits
    currentInFrame = DriveFrameWrites(4095, 0);
    currentInFrame.insert(currentInFrame.begin() + 4, {10, 0});
    strobeInFrame = DriveFrameWrites(4095, 0);
    strobeInFrame.insert(strobeInFrame.begin() + 4, {32, 0});
    halfCurrent = CurrentSourceWrites(0xFF);
    halfCurrent.resize(1 + 4 * 3); // four of the eight bits
    const Case cases[] = {
        {"frequency word one bit short", fifteen},
        {"frequency word one bit long", seventeen},
        {"load strobe with nothing shifted", {16, 48, 16}},
        {"drive frame of 23 bits", shortFrame},
        {"drive frame of 25 bits", longFrame},
        {"current-source clock inside a drive frame", currentInFrame},
        {"load strobe inside a drive frame", strobeInFrame},
        {"both clocks in one write", {16, 18, 27, 16}},
        {"clock in the write that ends a frame", {16, 0, 17}},
        {"half a current-source word cut off by the drive frame",
         [&] {
             std::vector<int> w = halfCurrent;
             w.push_back(0);
             w.push_back(16);
             return w;
         }()},
    };
    for (const Case& c : cases) {
        SerialWordDecoder unit;
        unit.Reset(0);
        Feed(unit, FrequencyWordWrites(1234));
        Feed(unit, DriveFrameWrites(321, 0));
        Feed(unit, CurrentSourceWrites(0x5A));
        Feed(unit, c.writes);
        EXPECT_EQ(unit.Latched().protocolErrors, 1) << c.what;
        EXPECT_EQ(unit.Latched().frequencyWord, 1234u) << c.what;
        EXPECT_EQ(unit.Latched().driveHigh, 321u) << c.what;
        EXPECT_EQ(unit.Latched().currentSources, 0x5Au) << c.what;
        // The next well-formed words are taken again.
        Feed(unit, FrequencyWordWrites(999));
        Feed(unit, DriveFrameWrites(77, 0));
        Feed(unit, CurrentSourceWrites(3));
        EXPECT_EQ(unit.Latched().frequencyWord, 999u) << c.what;
        EXPECT_EQ(unit.Latched().driveHigh, 77u) << c.what;
        EXPECT_EQ(unit.Latched().currentSources, 3u) << c.what;
        EXPECT_EQ(unit.Latched().protocolErrors, 1) << c.what;
    }
}

TEST(EmulatedBoardsPortA, ABoardOnlyPassesPortAOnceThePortIsAnOutput) {
    BenchRig rig(QuietBench());
    const DaqHandle h = rig.bench.daqOpen("DaqBoard1K0");
    ASSERT_EQ(h, SimBench::MasterHandle);
    // After reset every port is an input: the unit sees nothing.
    rig.PortA(h, FrequencyWordWrites(819));
    rig.bench.daqIOWrite(h, 1, 1, 0, 1, 3);
    EXPECT_EQ(rig.bench.Unit(h).frequencyWord, 0u);
    EXPECT_EQ(rig.bench.Unit(h).portB, 0);

    int configuration = 0;
    ASSERT_EQ(rig.bench.daqIOGet8255Conf(h, 0, 0, 1, 1, configuration), 0);
    EXPECT_EQ(configuration, 0x89); // mode set, A out, B out, C high in, C low in
    ASSERT_EQ(rig.bench.daqIOWrite(h, 1, 3, 0, 1, configuration), 0);
    rig.PortA(h, FrequencyWordWrites(819));
    rig.PortA(h, DriveFrameWrites(4000, 0));
    rig.PortA(h, CurrentSourceWrites(5));
    rig.bench.daqIOWrite(h, 1, 1, 0, 1, 171);
    const SimBench::UnitState unit = rig.bench.Unit(h);
    EXPECT_EQ(unit.frequencyWord, 819u);
    EXPECT_EQ(unit.driveHigh, 4000u);
    EXPECT_EQ(unit.currentSources, 5u);
    EXPECT_EQ(unit.portB, 171);
    EXPECT_EQ(unit.protocolErrors, 0);

    // A direction that is not 0 or 1 (a true of -1) is refused.
    EXPECT_EQ(rig.bench.daqIOGet8255Conf(h, 0, 0, -1, -1, configuration), SimBench::InvalidParameter);
    EXPECT_EQ(rig.bench.daqIOWrite(h, 1, 1, 0, 1, 256), SimBench::InvalidParameter);
    EXPECT_EQ(rig.bench.Unit(h).portB, 171);
}

} // namespace
