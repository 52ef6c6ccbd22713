#pragma once

#include "core/LabNetwork.h"

#include <algorithm>
#include <string>
#include <vector>

// The lab network with no broker: commands queued by the test, what the controller published kept.
class FakeLabNetwork final : public LabNetwork {
public:
    void PublishStatus(std::string json) override { statuses.push_back(std::move(json)); }
    void PublishReply(std::string json) override { replies.push_back(std::move(json)); }
    std::vector<NetworkMessage> TakeCommands(std::size_t max) override {
        const auto end = commands.begin() + static_cast<std::ptrdiff_t>(std::min(max, commands.size()));
        std::vector<NetworkMessage> taken(commands.begin(), end);
        commands.erase(commands.begin(), end);
        return taken;
    }
    std::string LinkState() const override { return state; }

    void Send(std::string payload) { commands.push_back({std::move(payload), false}); }

    std::vector<NetworkMessage> commands;
    std::vector<std::string> statuses;
    std::vector<std::string> replies;
    std::string state = "connected";
};
