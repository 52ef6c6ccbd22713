// Ten headless stations on simulated benches, on one private broker through TLS, each with
// its own user: one watcher sees them all, and a command moves only the station it is for.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "network/MqttClient.h"
#include "support/MqttBroker.h"

namespace {

using namespace std::chrono_literals;
constexpr int StationCount = 10;

std::string Name(int k) { return "bay-" + std::to_string(k); }

bool Says(const std::vector<std::string>& payloads, const std::string& part) {
    return !payloads.empty() && payloads.back().find(part) != std::string::npos;
}

TEST(Stations, TenStationsAreWatchedAtOnceAndACommandMovesOnlyItsOwn) {
    std::vector<MqttAccount> accounts;
    for (int k = 0; k < StationCount; ++k) accounts.push_back({Name(k), Name(k) + "-pw", {}, false});
    accounts.push_back({"automation", "automation-pw", {Name(3)}, true});
    MqttBroker broker(accounts);
    ASSERT_EQ(broker.Error(), "");
    const std::filesystem::path folder = broker.Folder() / "stations";
    std::filesystem::create_directories(folder / "config");
    // No settings file of the user's: only the command line counts.
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    std::ofstream(folder / "idle.script") << "# nothing: the stations wait for their commands\n";

    std::vector<std::unique_ptr<ChildProcess>> stations;
    for (int k = 0; k < StationCount; ++k) {
        const std::filesystem::path work = folder / Name(k);
        std::filesystem::create_directories(work);
        const std::filesystem::path password = folder / (Name(k) + ".password");
        std::ofstream(password) << Name(k) << "-pw\n";
        ::chmod(password.c_str(), 0600);
        stations.push_back(std::make_unique<ChildProcess>(
            std::vector<std::string>{ZEK8_RUN, "--workdir", work.string(), "--bench", "sim", "--realtime", "--until",
                                     "120", "--script", (folder / "idle.script").string(), "--mqtt",
                                     "mqtts://" + Name(k) + "@127.0.0.1:" + std::to_string(broker.TlsPort()),
                                     "--mqtt-password-file", password.string(), "--mqtt-ca", broker.CaFile().string(),
                                     "--station", Name(k), "--accept-commands"},
            folder / (Name(k) + ".log")));
    }
    MqttClient automation({broker.TlsPort(), "automation", "automation-pw", broker.CaFile()});
    ASSERT_TRUE(automation.Subscribe("zek8/+/status"));
    ASSERT_TRUE(automation.Subscribe("zek8/+/reply"));
    const auto status = [&](int k) { return automation.On("zek8/" + Name(k) + "/status"); };
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (int k = 0; k < StationCount; ++k)
                if (status(k).empty()) return false;
            return true;
        },
        30s))
        << stations[0]->Log();

    // bay-4 is not among the stations automation may command: the broker drops it.
    automation.Publish("zek8/" + Name(4) + "/command", R"({"id": "not-yours", "command": "servo-on"})");
    const auto sent = std::chrono::steady_clock::now();
    automation.Publish("zek8/" + Name(3) + "/command", R"({"id": "go", "command": "servo-on"})");
    const std::string taken = R"({"id":"go","accepted":true,"reason":""})";
    ASSERT_TRUE(automation.Sees("zek8/" + Name(3) + "/reply", taken)) << stations[3]->Log();
    const auto latency = std::chrono::steady_clock::now() - sent;
    automation.Publish("zek8/" + Name(3) + "/command", R"({"id": "big", "command": "impose", "level": 1e9})");
    EXPECT_TRUE(WaitUntil(
        [&] { return Says(automation.On("zek8/" + Name(3) + "/reply"), R"("id":"big","accepted":false)"); }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return Says(status(3), R"("servo":"on")"); }, 10s));
    for (int k = 0; k < StationCount; ++k) {
        if (k == 3) continue;
        EXPECT_TRUE(Says(status(k), R"("servo":"off")")) << Name(k);
        EXPECT_TRUE(automation.On("zek8/" + Name(k) + "/reply").empty()) << Name(k);
    }
    std::printf("command to reply: %.1f ms\n", std::chrono::duration<double, std::milli>(latency).count());
    for (auto& station : stations) station->Kill(SIGTERM);
}

} // namespace
