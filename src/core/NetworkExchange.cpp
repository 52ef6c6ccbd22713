#include "core/NetworkExchange.h"

#include "core/Controller.h"
#include "core/LabNetwork.h"
#include "core/LogEvents.h"
#include "core/NetworkCommand.h"
#include "core/NetworkStatus.h"
#include "core/RunCommands.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

// Why the command is not acted on; empty when it is.
std::string Refusal(const Controller& c, const NetworkCommand& command) {
    if (!command.refusal.empty()) return command.refusal;
    // A stop never waits on the switch, nor on an id seen before: a stop acted on twice
    // stops twice, and a stop passed over could leave a shaker running.
    if (command.kind == NetworkCommandKind::Stop) return "";
    const auto& ids = c.NetworkRecentIds;
    if (std::find(ids.begin(), ids.end(), command.id) != ids.end()) return "duplicate id";
    if (!c.NetworkAcceptCommands) return "commands are not accepted";
    return NetworkCommandOutOfBounds(c, command);
}

void Remember(Controller& c, const std::string& id) {
    auto& ids = c.NetworkRecentIds;
    if (std::find(ids.begin(), ids.end(), id) != ids.end()) return;
    ids.push_back(id);
    if (ids.size() > NetworkIdsRemembered) ids.pop_front();
}

// As a record of the remote-control file with this command word: the values first,
// then the command, then the overrides the word puts in force.
void ActOn(Controller& c, const NetworkCommand& command) {
    if (command.level) {
        c.RemoteDriveLevel = *command.level;
        c.RemoteDriveLevelReceived = true;
    }
    if (command.frequency) {
        c.RemoteFrequency = *command.frequency;
        c.RemoteFrequencyReceived = true;
    }
    switch (command.kind) {
    case NetworkCommandKind::ServoOn:
        StartServo(c);
        break;
    case NetworkCommandKind::Stop:
        StopTest(c);
        break;
    case NetworkCommandKind::Run:
        RunSweep(c);
        break;
    case NetworkCommandKind::Hold:
        HoldSweep(c);
        break;
    case NetworkCommandKind::Impose:
        break;
    }
    c.RemoteDriveOverride = command.level ? 1.0f : 0.0f;
    c.RemoteFrequencyOverride = command.frequency ? 1.0f : 0.0f;
}

std::string Reply(const std::string& id, const std::string& refusal) {
    // The id is JSON text already, as the parser wrote it.
    return "{\"id\":" + id + ",\"accepted\":" + (refusal.empty() ? "true" : "false") +
           ",\"reason\":" + nlohmann::json(refusal).dump() + "}";
}

void TakeCommands(Controller& c, LabNetwork& network) {
    const EventSource source(c.Log, "network");
    for (const NetworkMessage& message : network.TakeCommands(NetworkCommandsPerCycle)) {
        const NetworkCommand command = ParseNetworkCommand(message);
        const std::string refusal = Refusal(c, command);
        // A payload that does not read is refused for that again when delivered again.
        if (command.refusal.empty()) Remember(c, command.id);
        network.PublishReply(Reply(command.id, refusal));
        if (!refusal.empty()) {
            LogEvent(c, "Command " + command.id + " refused: " + refusal);
            continue;
        }
        LogEvent(c, "Command " + command.id + ": " + NetworkCommandWord(command.kind));
        ActOn(c, command);
    }
}

void PublishStatus(Controller& c, LabNetwork& network) {
    const std::int64_t now = c.ports.clock->TickMs();
    std::string state = NetworkStatusState(c);
    if (state == c.NetworkStatusState && now - c.NetworkStatusSentMs < NetworkStatusPeriodMs) return;
    network.PublishStatus(NetworkStatusJson(c));
    c.NetworkStatusState = std::move(state);
    c.NetworkStatusSentMs = now;
}

} // namespace

void ExchangeNetwork(Controller& c) {
    LabNetwork* network = c.ports.network;
    if (network == nullptr) return;
    TakeCommands(c, *network);
    if (c.NetworkPublishStatus) PublishStatus(c, *network);
}
