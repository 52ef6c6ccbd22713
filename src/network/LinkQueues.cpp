#include "network/LinkQueues.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <utility>

void LinkQueues::SetStatus(std::string json) {
    const std::lock_guard lock(mutex_);
    status_ = std::move(json);
}

void LinkQueues::AddReply(std::string json) {
    const std::lock_guard lock(mutex_);
    while (replies_.size() >= ReplyLimit) replies_.pop_front();
    replies_.push_back(std::move(json));
}

std::vector<NetworkMessage> LinkQueues::TakeCommands(std::size_t max) {
    const std::lock_guard lock(mutex_);
    const std::size_t count = std::min(max, commands_.size());
    std::vector<NetworkMessage> taken(std::make_move_iterator(commands_.begin()),
                                      std::make_move_iterator(commands_.begin() + static_cast<std::ptrdiff_t>(count)));
    commands_.erase(commands_.begin(), commands_.begin() + static_cast<std::ptrdiff_t>(count));
    return taken;
}

void LinkQueues::Receive(const char* payload, std::size_t length) {
    NetworkMessage message{std::string(payload, std::min(length, PayloadLimit)), length > PayloadLimit};
    {
        const std::lock_guard lock(mutex_);
        if (commands_.size() < CommandLimit) {
            commands_.push_back(std::move(message));
            return;
        }
    }
    // Only this thread adds commands, so the queue is still full; the refusal is worked
    // out without the lock, which the cycle may be waiting for.
    std::string refusal = TooManyCommandsReply(message.tooLarge ? std::string() : message.payload);
    const std::lock_guard lock(mutex_);
    // Reading stops while the replies are full (RoomForReplies), so refusals stay bounded
    // by what one read brings.
    replies_.push_back(std::move(refusal));
}

std::optional<std::string> LinkQueues::TakeStatus() {
    const std::lock_guard lock(mutex_);
    return std::exchange(status_, std::nullopt);
}

std::optional<std::string> LinkQueues::FirstReply() const {
    const std::lock_guard lock(mutex_);
    if (replies_.empty()) return std::nullopt;
    return replies_.front();
}

void LinkQueues::PopReply() {
    const std::lock_guard lock(mutex_);
    if (!replies_.empty()) replies_.pop_front();
}

bool LinkQueues::RoomForReplies() const {
    const std::lock_guard lock(mutex_);
    return replies_.size() < ReplyLimit;
}

std::string TooManyCommandsReply(const std::string& payload) {
    nlohmann::ordered_json reply;
    const nlohmann::json command = nlohmann::json::parse(payload, nullptr, false);
    reply["id"] = command.is_object() && command.contains("id") ? command.at("id") : nlohmann::json(nullptr);
    reply["accepted"] = false;
    reply["reason"] = "too many commands";
    return reply.dump();
}
