#include "core/NetworkExchange.h"
#include "core/Defaults.h"
#include "core/ParameterNames.h"
#include "core/RunCommands.h"
#include "support/FakeLabNetwork.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A controller in demo mode, its level limit 100 G, on a network that accepts commands.
struct NetworkExchangeTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    FakeLabNetwork network;

    NetworkExchangeTest() {
        SetDefaults(c);
        c.DemoMode = 1.0f;
        c.ports.network = &network;
        c.NetworkAcceptCommands = true;
    }
};

TEST_F(NetworkExchangeTest, ACommandActsOnceAndARepeatedIdIsRefused) {
    network.Send(R"({"id": 1, "command": "servo-on"})");
    ExchangeNetwork(c);
    EXPECT_EQ(c.ServoOn, 1.0f);
    StopTest(c);
    network.Send(R"({"id": 1, "command": "servo-on"})");
    ExchangeNetwork(c);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(network.replies, (std::vector<std::string>{R"({"id":1,"accepted":true,"reason":""})",
                                                         R"({"id":1,"accepted":false,"reason":"duplicate id"})"}));
    EXPECT_EQ(c.Log.Events().back().text, "network: Command 1 refused: duplicate id");
}

TEST_F(NetworkExchangeTest, StopIsObeyedWithCommandsOffAndTheRestRefused) {
    c.NetworkAcceptCommands = false;
    StartServo(c);
    network.Send(R"({"id": "a", "command": "run"})");
    network.Send(R"({"id": "b", "command": "stop"})");
    ExchangeNetwork(c);
    EXPECT_EQ(c.SweepRunning, 0.0f);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(network.replies,
              (std::vector<std::string>{R"({"id":"a","accepted":false,"reason":"commands are not accepted"})",
                                        R"({"id":"b","accepted":true,"reason":""})"}));
}

TEST_F(NetworkExchangeTest, ARefusedImposeChangesNothingAndAnAcceptedOneHoldsWhatItGives) {
    network.Send(R"({"id": 2, "command": "impose", "level": 101, "frequency": 100})");
    ExchangeNetwork(c);
    EXPECT_EQ(c.RemoteFrequencyOverride, 0.0f);
    EXPECT_FALSE(c.RemoteFrequencyReceived);
    EXPECT_EQ(network.replies.back(), R"({"id":2,"accepted":false,"reason":"level not above 0 and at most 100 G"})");

    network.Send(R"({"id": 3, "command": "impose", "frequency": 100})");
    ExchangeNetwork(c);
    EXPECT_EQ(c.RemoteFrequencyOverride, 1.0f);
    EXPECT_EQ(c.RemoteFrequency, 100.0f);
    EXPECT_EQ(c.RemoteDriveOverride, 0.0f);
    // A flood is taken a few commands a cycle; the hold among them releases the frequency.
    for (int id = 10; id < 16; ++id) network.Send(R"({"id": )" + std::to_string(id) + R"(, "command": "hold"})");
    ExchangeNetwork(c);
    EXPECT_EQ(network.replies.size(), 2 + NetworkCommandsPerCycle);
    EXPECT_EQ(c.RemoteFrequencyOverride, 0.0f);
}

TEST_F(NetworkExchangeTest, StatusGoesOutOnEachChangeAndOnceASecond) {
    c.CurrentFrequency = 12.5f;
    c.ReferenceLevel = 0.1f;
    c.ControlValue = std::numeric_limits<float>::quiet_NaN();
    c.DriveOutput = 0.25f;
    c.Compression = 3.0f;
    c.SweepCounter = 2.7f;
    c.RunSeconds = 61.4999999999973;
    c.ProfileFileName = "bracket.prf";
    c.Indicators.SetText("lblTestTitle", "Bracket");
    c.P[Param::UnitsSystem] = 1.0f;
    ExchangeNetwork(c); // the first: at once
    ASSERT_EQ(network.statuses.size(), 1u);
    EXPECT_EQ(network.statuses[0],
              R"({"time":"2026-01-05T09:00:00.000","servo":"off","sweep":"held","frequencyHz":12.5,)"
              R"("referenceG":0.1,"controlG":null,"drivePercent":25,"compressionDb":3,"sweepCount":2,)"
              R"("elapsedSeconds":61.5,"abortCode":0,"abortMessage":"","profile":"Bracket",)"
              R"("profileFile":"bracket.prf","units":"Metric"})");

    const auto countAt = [&](std::int64_t ms) {
        t.clock.AdvanceToMs(ms);
        ExchangeNetwork(c);
        return network.statuses.size();
    };
    EXPECT_EQ(countAt(999), 1u);
    StartServo(c);
    EXPECT_EQ(countAt(1200), 2u); // the servo came on
    EXPECT_EQ(countAt(2199), 2u);
    EXPECT_EQ(countAt(2200), 3u);
    c.NetworkPublishStatus = false;
    EXPECT_EQ(countAt(4000), 3u);
}

} // namespace
