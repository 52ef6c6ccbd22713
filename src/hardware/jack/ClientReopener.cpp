#include "hardware/jack/ClientReopener.h"

#include <thread>

ClientReopener::ClientReopener(std::string clientName, std::string serverName, double driveLimit)
    : clientName_(std::move(clientName)), serverName_(std::move(serverName)), driveLimit_(driveLimit) {}

bool ClientReopener::Try(std::chrono::steady_clock::time_point now, std::unique_ptr<JackClient> dead) {
    if (dead) dead_ = std::move(dead);
    const bool busy = attempt_ && !attempt_->done.load(std::memory_order_acquire);
    if (busy || (started_ && now - lastStart_ < Interval)) return false;
    started_ = true;
    lastStart_ = now;
    attempt_ = std::make_shared<Attempt>();
    std::thread([attempt = attempt_, gone = std::move(dead_), client = clientName_, server = serverName_,
                 limit = driveLimit_]() mutable {
        gone.reset();
        try {
            attempt->opened = std::make_unique<JackClient>(client, server, limit);
        } catch (const JackClientError&) {
            // No server yet: the next attempt tries again.
        }
        attempt->done.store(true, std::memory_order_release);
    }).detach();
    return true;
}

std::unique_ptr<JackClient> ClientReopener::Take() {
    if (!attempt_ || !attempt_->done.load(std::memory_order_acquire)) return nullptr;
    std::unique_ptr<JackClient> opened = std::move(attempt_->opened);
    attempt_.reset();
    return opened;
}
