#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/LabNetwork.h"

// What waits between the control cycle and the network thread, each part bounded so that
// neither a broker that takes nothing nor a sender that floods the station can make it
// grow: the newest status only, the replies in order, the commands received. Every call
// holds the lock only to move a text in or out.
class LinkQueues {
public:
    // The commands kept until the cycle takes them; one more is refused by the link.
    static constexpr std::size_t CommandLimit = 32;
    // The replies kept while the broker takes none; a newer one pushes out the oldest.
    static constexpr std::size_t ReplyLimit = 64;
    // The longest command payload kept; a longer one is cut here and marked too large.
    static constexpr std::size_t PayloadLimit = 64 * 1024;

    // The cycle's side.
    void SetStatus(std::string json);
    void AddReply(std::string json);
    std::vector<NetworkMessage> TakeCommands(std::size_t max);

    // The network thread's side. A command beyond CommandLimit is answered at once with a
    // refusal queued behind the replies.
    void Receive(const char* payload, std::size_t length);
    std::optional<std::string> TakeStatus();
    // The oldest reply, left in place until PopReply, so that one the broker did not take
    // is offered again.
    std::optional<std::string> FirstReply() const;
    void PopReply();
    // Whether the link may read more from the broker: every command read may need a reply.
    bool RoomForReplies() const;

private:
    mutable std::mutex mutex_;
    std::optional<std::string> status_;
    std::deque<std::string> replies_;
    std::deque<NetworkMessage> commands_;
};

// The link's own refusal of a command it has no room for: {"id": ..., "accepted": false,
// "reason": "too many commands"}, with the command's id when its payload is a JSON object
// that has one, else null.
std::string TooManyCommandsReply(const std::string& payload);
