#pragma once

#include <atomic>
#include <chrono>
#include <mosquitto.h>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "support/JackServer.h"

// The far side of the lab network in a test: a client on libmosquitto's own thread that
// keeps every message it receives.
class MqttClient {
public:
    struct Options {
        int port = 0;
        std::string user, password;
        std::string caFile; // TLS when given
    };
    explicit MqttClient(const Options& options) {
        mosquitto_lib_init();
        mosq_ = mosquitto_new(nullptr, true, this);
        mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
        mosquitto_subscribe_callback_set(
            mosq_, [](mosquitto*, void* self, int, int, const int*) { ++static_cast<MqttClient*>(self)->subscribed_; });
        mosquitto_connect_callback_set(
            mosq_, [](mosquitto*, void* self, int code) { static_cast<MqttClient*>(self)->connack_ = code; });
        mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* message) {
            auto* client = static_cast<MqttClient*>(self);
            const std::lock_guard lock(client->mutex_);
            client->received_.emplace_back(message->topic, std::string(static_cast<const char*>(message->payload),
                                                                       static_cast<std::size_t>(message->payloadlen)));
        });
        if (!options.user.empty()) mosquitto_username_pw_set(mosq_, options.user.c_str(), options.password.c_str());
        if (!options.caFile.empty())
            mosquitto_tls_set(mosq_, options.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        mosquitto_connect(mosq_, "127.0.0.1", options.port, 5);
        mosquitto_loop_start(mosq_);
    }
    ~MqttClient() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
        mosquitto_destroy(mosq_);
    }
    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // Whether the broker let the client in within 10 s.
    bool Connected() {
        return WaitUntil([this] { return connack_ == 0; }, std::chrono::seconds(10));
    }
    // Subscribes, and waits at most 5 s for the broker to confirm it.
    bool Subscribe(const std::string& topic) {
        const int before = subscribed_;
        mosquitto_subscribe(mosq_, nullptr, topic.c_str(), 1);
        return WaitUntil([&] { return subscribed_ > before; }, std::chrono::seconds(5));
    }
    void Publish(const std::string& topic, const std::string& payload) {
        mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), 1, false);
    }
    // The payloads received on `topic` so far, oldest first.
    std::vector<std::string> On(const std::string& topic) {
        const std::lock_guard lock(mutex_);
        std::vector<std::string> payloads;
        for (const auto& [from, payload] : received_)
            if (from == topic) payloads.push_back(payload);
        return payloads;
    }
    // Waits at most `limit` for the newest payload on `topic` to be `payload`.
    bool Sees(const std::string& topic, const std::string& payload,
              std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return WaitUntil(
            [&] {
                const auto payloads = On(topic);
                return !payloads.empty() && payloads.back() == payload;
            },
            limit);
    }

private:
    mosquitto* mosq_ = nullptr;
    std::atomic<int> connack_ = -1;
    std::atomic<int> subscribed_ = 0;
    std::mutex mutex_;
    std::vector<std::pair<std::string, std::string>> received_;
};
