#include "network/MosquittoLink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "network/LinkQueues.h"
#include "network/MqttClient.h"
#include "support/MqttBroker.h"

namespace {

using namespace std::chrono_literals;

const std::vector<MqttAccount> Accounts = {
    {"alpha", "alpha-pw", {}, false}, {"beta", "beta-pw", {}, false}, {"operator", "operator-pw", {"alpha"}, true}};

class MosquittoLinkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(broker.Error(), ""); }

    BrokerLink Station(const std::string& name = "alpha") const {
        return {"127.0.0.1", broker.TlsPort(), true, broker.CaFile().string(), name, name + "-pw", name};
    }
    MqttClient::Options Operator() const { return {broker.TlsPort(), "operator", "operator-pw", broker.CaFile()}; }
    static bool Reaches(const LabNetwork& link, const std::string& state, std::chrono::milliseconds limit = 10s) {
        return WaitUntil([&] { return link.LinkState() == state; }, limit);
    }

    MqttBroker broker{Accounts};
};

TEST_F(MosquittoLinkTest, StatusIsRetainedAndOnlineFollowsTheLink) {
    auto link = OpenMosquittoLink(Station());
    ASSERT_TRUE(Reaches(*link, "connected")) << link->LinkState();
    link->PublishStatus(R"({"servo":false})");
    link->PublishStatus(R"({"servo":true})");
    // Subscribed afterwards: what the broker kept.
    MqttClient watcher(Operator());
    ASSERT_TRUE(watcher.Subscribe("zek8/+/#"));
    EXPECT_TRUE(watcher.Sees("zek8/alpha/status", R"({"servo":true})"));
    EXPECT_TRUE(watcher.Sees("zek8/alpha/online", "true"));
    link.reset();
    EXPECT_TRUE(watcher.Sees("zek8/alpha/online", "false", 3s));
}

TEST_F(MosquittoLinkTest, TheLastWillTellsOfAStationThatDied) {
    const pid_t station = ::fork();
    if (station == 0) {
        auto link = OpenMosquittoLink(Station());
        while (true) ::pause();
    }
    MqttClient watcher(Operator());
    ASSERT_TRUE(watcher.Subscribe("zek8/alpha/online"));
    EXPECT_TRUE(watcher.Sees("zek8/alpha/online", "true"));
    ::kill(station, SIGKILL);
    ::waitpid(station, nullptr, 0);
    // The station leaves without a goodbye: the broker publishes its last will.
    EXPECT_TRUE(watcher.Sees("zek8/alpha/online", "false", 12s));
}

TEST_F(MosquittoLinkTest, ACommandComesInAndItsReplyGoesOut) {
    auto link = OpenMosquittoLink(Station());
    ASSERT_TRUE(Reaches(*link, "connected")) << link->LinkState();
    MqttClient commander(Operator());
    ASSERT_TRUE(commander.Subscribe("zek8/alpha/reply"));
    const std::string command = R"({"id": 7, "command": "servo-on"})";
    commander.Publish("zek8/alpha/command", command);
    std::vector<NetworkMessage> taken;
    ASSERT_TRUE(WaitUntil([&] { return !(taken = link->TakeCommands(5)).empty(); }, 5s));
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].payload, command);
    EXPECT_FALSE(taken[0].tooLarge);
    link->PublishReply(R"({"id":7,"accepted":true})");
    EXPECT_TRUE(commander.Sees("zek8/alpha/reply", R"({"id":7,"accepted":true})"));
    EXPECT_TRUE(link->TakeCommands(5).empty());
}

TEST_F(MosquittoLinkTest, TheBrokerRefusesWhomItDoesNotKnow) {
    struct Case {
        const char* what;
        std::string user, password, caFile;
        bool tls;
        std::string state;
    };
    ASSERT_EQ(MakeCertificateAuthority(broker.Folder(), "stranger"), "");
    const std::string ca = broker.CaFile().string();
    const std::vector<Case> cases = {
        {"wrong password", "alpha", "guess", ca, true, "refused: not authorised"},
        {"anonymous", "", "", ca, true, "refused: not authorised"},
        {"another authority's certificate", "alpha", "alpha-pw", (broker.Folder() / "stranger.crt").string(), true,
         "certificate not trusted"},
        {"plain connection to the TLS port", "alpha", "alpha-pw", "", false, "lost: connection closed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto link = OpenMosquittoLink({"127.0.0.1", broker.TlsPort(), c.tls, c.caFile, c.user, c.password, "alpha"});
        EXPECT_TRUE(Reaches(*link, c.state, 5s)) << link->LinkState();
    }
}

TEST_F(MosquittoLinkTest, AStationWritesNoOtherStationsTopics) {
    MqttClient watcher(Operator());
    ASSERT_TRUE(watcher.Subscribe("zek8/alpha/status"));
    MqttClient beta({broker.TlsPort(), "beta", "beta-pw", broker.CaFile()});
    ASSERT_TRUE(beta.Connected());
    beta.Publish("zek8/alpha/status", "forged");
    auto alpha = OpenMosquittoLink(Station());
    alpha->PublishStatus("genuine");
    EXPECT_TRUE(watcher.Sees("zek8/alpha/status", "genuine"));
    EXPECT_EQ(watcher.On("zek8/alpha/status"), std::vector<std::string>{"genuine"});
}

TEST_F(MosquittoLinkTest, TheLinkComesUpWhenTheBrokerDoes) {
    broker.Stop();
    auto link = OpenMosquittoLink(Station());
    link->PublishStatus("waiting");
    const std::string absent = "no broker at 127.0.0.1:" + std::to_string(broker.TlsPort());
    ASSERT_TRUE(Reaches(*link, absent, 3s)) << link->LinkState();
    broker.Start();
    ASSERT_EQ(broker.Error(), "");
    // Tried again after 1, 2, 4 s ...: within 8 s of the broker's start at the latest.
    EXPECT_TRUE(Reaches(*link, "connected", 10s)) << link->LinkState();
    MqttClient watcher(Operator());
    ASSERT_TRUE(watcher.Subscribe("zek8/alpha/status"));
    EXPECT_TRUE(watcher.Sees("zek8/alpha/status", "waiting"));
}

TEST_F(MosquittoLinkTest, TheLinkSurvivesTheBrokersRestart) {
    auto link = OpenMosquittoLink(Station());
    ASSERT_TRUE(Reaches(*link, "connected")) << link->LinkState();
    broker.Stop();
    EXPECT_TRUE(Reaches(*link, "lost: connection closed", 3s)) << link->LinkState();
    link->PublishStatus("meanwhile");
    broker.Start();
    ASSERT_EQ(broker.Error(), "");
    EXPECT_TRUE(Reaches(*link, "connected", 5s)) << link->LinkState();
    MqttClient watcher(Operator());
    ASSERT_TRUE(watcher.Subscribe("zek8/alpha/status"));
    EXPECT_TRUE(watcher.Sees("zek8/alpha/status", "meanwhile"));
}

// The address sanitiser keeps freed blocks in a quarantine of its own: the resident memory
// of such a build says nothing of what the link holds.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool ResidentMemoryTellsTheLinks = false;
#else
constexpr bool ResidentMemoryTellsTheLinks = true;
#endif

// The process's resident memory, in bytes.
long ResidentBytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

TEST_F(MosquittoLinkTest, AFrozenBrokerHoldsUpNoCallAndNoMemory) {
    auto link = OpenMosquittoLink(Station());
    ASSERT_TRUE(Reaches(*link, "connected")) << link->LinkState();
    broker.Signal(SIGSTOP);
    const std::string kilobyte(1024, 'x');
    const long before = ResidentBytes();
    auto slowest = std::chrono::steady_clock::duration::zero();
    // 40 MiB offered over some 8 s, past the point where the link gives the broker up.
    for (int i = 0; i < 20000; ++i) {
        const auto start = std::chrono::steady_clock::now();
        link->PublishStatus(kilobyte + std::to_string(i));
        link->PublishReply(kilobyte);
        link->TakeCommands(8);
        link->LinkState();
        slowest = std::max(slowest, std::chrono::steady_clock::now() - start);
        if (i % 50 == 0) std::this_thread::sleep_for(20ms);
    }
    // A call that waited on the frozen broker would wait for seconds, until the link gives
    // it up; a loaded machine may deschedule a call that does not wait for some 20 ms.
    EXPECT_LT(slowest, 500ms);
    if (ResidentMemoryTellsTheLinks) {
        EXPECT_LT(ResidentBytes() - before, 8l << 20);
    }
    EXPECT_TRUE(Reaches(*link, "lost: broker not answering", 20s)) << link->LinkState() << broker.Log();
    broker.Signal(SIGCONT);
    EXPECT_TRUE(Reaches(*link, "connected", 40s)) << link->LinkState() << broker.Log();
    MqttClient watcher(Operator());
    ASSERT_TRUE(watcher.Subscribe("zek8/alpha/status"));
    EXPECT_TRUE(watcher.Sees("zek8/alpha/status", kilobyte + "19999"));
}

TEST_F(MosquittoLinkTest, AFloodOfCommandsIsHeldToTheQueueAndTheRestRefused) {
    auto link = OpenMosquittoLink(Station());
    ASSERT_TRUE(Reaches(*link, "connected")) << link->LinkState();
    MqttClient commander(Operator());
    ASSERT_TRUE(commander.Subscribe("zek8/alpha/reply"));
    const int sent = 300;
    for (int id = 1; id <= sent; ++id)
        commander.Publish("zek8/alpha/command", R"({"id": )" + std::to_string(id) + R"(, "command": "stop"})");
    const std::size_t kept = LinkQueues::CommandLimit;
    ASSERT_TRUE(WaitUntil([&] { return commander.On("zek8/alpha/reply").size() == sent - kept; }, 10s))
        << commander.On("zek8/alpha/reply").size();
    const std::vector<std::string> refusals = commander.On("zek8/alpha/reply");
    for (std::size_t i = 0; i < refusals.size(); ++i)
        EXPECT_EQ(refusals[i],
                  R"({"id":)" + std::to_string(kept + 1 + i) + R"(,"accepted":false,"reason":"too many commands"})");
    const std::vector<NetworkMessage> taken = link->TakeCommands(sent);
    ASSERT_EQ(taken.size(), kept);
    EXPECT_EQ(taken.back().payload, R"({"id": 32, "command": "stop"})");
}

TEST_F(MosquittoLinkTest, APayloadOfAMebibyteIsCutAndMarked) {
    auto link = OpenMosquittoLink(Station());
    ASSERT_TRUE(Reaches(*link, "connected")) << link->LinkState();
    MqttClient commander(Operator());
    ASSERT_TRUE(commander.Connected());
    commander.Publish("zek8/alpha/command", R"({"id": 1, "pad": ")" + std::string(1 << 20, ' ') + R"("})");
    std::vector<NetworkMessage> taken;
    ASSERT_TRUE(WaitUntil([&] { return !(taken = link->TakeCommands(5)).empty(); }, 5s));
    EXPECT_TRUE(taken[0].tooLarge);
    EXPECT_EQ(taken[0].payload.size(), LinkQueues::PayloadLimit);
}

TEST(TooManyCommandsReply, GivesTheIdWhenThePayloadHasOne) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"({"id": "run-4", "command": "run"})", R"("run-4")"},
        {R"({"id": 12.5})", "12.5"},
        {R"({"command": "stop"})", "null"},
        {R"([{"id": 3}])", "null"},
        {R"({"id": 3, )", "null"},
        {"", "null"},
    };
    for (const auto& [payload, id] : cases)
        EXPECT_EQ(TooManyCommandsReply(payload),
                  R"({"id":)" + id + R"(,"accepted":false,"reason":"too many commands"})")
            << payload;
}

} // namespace
