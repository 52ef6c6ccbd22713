#include "network/MosquittoLink.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mosquitto.h>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "network/LinkQueues.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A broker that answers nothing for this long (1.5 times it, by the broker's count for
// the last will) is taken for gone.
constexpr int KeepAliveSeconds = 5;
constexpr milliseconds FirstRetry{1000};
constexpr milliseconds LongestRetry{30000};
// What the link hands libmosquitto before the socket has taken it; the rest waits in
// LinkQueues, where it is bounded.
constexpr std::size_t PublishesInFlight = 8;
// How long a clean close waits for the broker to take the retained `false` of online.
constexpr milliseconds CloseWait{1000};
// A broker that takes the connection and never answers it is given up after this long.
constexpr milliseconds ConnectTimeout{10000};
// The client pings a broker that has been silent for the keep-alive period and drops it
// when no answer comes within another; a broker silent for three periods is dropped here
// whatever became of the ping.
constexpr milliseconds Silence{3 * KeepAliveSeconds * 1000};

// "host:port", as the operator wrote them.
std::string Address(const BrokerLink& link) { return link.host + ":" + std::to_string(link.port); }

class MosquittoLink final : public LabNetwork {
public:
    explicit MosquittoLink(const BrokerLink& link)
        : link_(link), prefix_("zek8/" + link.station + "/"), state_("connecting to " + Address(link)) {
        static std::once_flag libraryReady;
        std::call_once(libraryReady, [] { mosquitto_lib_init(); });
        wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        thread_ = std::thread([this] { Run(); });
    }
    ~MosquittoLink() override {
        stopping_ = true;
        Wake();
        thread_.join();
        if (wake_ >= 0) ::close(wake_);
    }
    MosquittoLink(const MosquittoLink&) = delete;
    MosquittoLink& operator=(const MosquittoLink&) = delete;

    void PublishStatus(std::string json) override {
        queues_.SetStatus(std::move(json));
        Wake();
    }
    void PublishReply(std::string json) override {
        queues_.AddReply(std::move(json));
        Wake();
    }
    std::vector<NetworkMessage> TakeCommands(std::size_t max) override { return queues_.TakeCommands(max); }
    std::string LinkState() const override {
        const std::lock_guard lock(stateMutex_);
        return state_;
    }

private:
    void Wake() {
        if (wake_ < 0) return;
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
    }
    void SetState(std::string state) {
        const std::lock_guard lock(stateMutex_);
        state_ = std::move(state);
    }

    // The network thread: one client, connected and connected again, until the link goes.
    void Run() {
        mosq_ = mosquitto_new(("zek8-" + link_.station + "-" + std::to_string(::getpid())).c_str(), true, this);
        if (mosq_ == nullptr) {
            SetState("no memory for the network");
            return;
        }
        const std::string configured = Configure();
        if (!configured.empty()) {
            SetState(configured);
        } else {
            Serve();
            Close();
        }
        mosquitto_destroy(mosq_);
    }

    // Why the client cannot be set up, or empty.
    std::string Configure() {
        mosquitto_threaded_set(mosq_, true);
        // A reply is a small packet that should leave at once, not wait for the broker's
        // acknowledgement of the one before.
        mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
        mosquitto_connect_callback_set(
            mosq_, [](mosquitto*, void* self, int code) { static_cast<MosquittoLink*>(self)->Connected(code); });
        mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* message) {
            static_cast<MosquittoLink*>(self)->Received(*message);
        });
        mosquitto_publish_callback_set(
            mosq_, [](mosquitto*, void* self, int mid) { static_cast<MosquittoLink*>(self)->inFlight_.erase(mid); });
        mosquitto_disconnect_callback_set(
            mosq_, [](mosquitto*, void* self, int rc) { static_cast<MosquittoLink*>(self)->disconnectReason_ = rc; });
        mosquitto_log_callback_set(mosq_, [](mosquitto*, void* self, int, const char* text) {
            static_cast<MosquittoLink*>(self)->Logged(text);
        });
        const std::string offline = "false";
        mosquitto_will_set(mosq_, (prefix_ + "online").c_str(), static_cast<int>(offline.size()), offline.data(), 1,
                           true);
        if (!link_.user.empty() &&
            mosquitto_username_pw_set(mosq_, link_.user.c_str(),
                                      link_.password.empty() ? nullptr : link_.password.c_str()) != MOSQ_ERR_SUCCESS)
            return "bad user name";
        if (link_.tls) {
            int rc = MOSQ_ERR_SUCCESS;
            if (link_.caFile.empty()) {
                mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
                rc = mosquitto_tls_set(mosq_, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr);
            } else {
                rc = mosquitto_tls_set(mosq_, link_.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
            }
            if (rc != MOSQ_ERR_SUCCESS) return "cannot read CA file";
            // The broker's certificate and its host name are both checked.
            mosquitto_tls_opts_set(mosq_, 1, nullptr, nullptr);
            mosquitto_tls_insecure_set(mosq_, false);
        }
        return {};
    }

    void Serve() {
        bool first = true;
        while (!stopping_) {
            if ((mosquitto_socket(mosq_) < 0 || abandoned_) && Clock::now() >= nextAttempt_) {
                abandoned_ = false;
                attemptStart_ = Clock::now();
                attemptFailure_.clear();
                disconnectReason_ = MOSQ_ERR_CONN_LOST;
                errno = 0;
                const int rc = first ? mosquitto_connect_async(mosq_, link_.host.c_str(), link_.port, KeepAliveSeconds)
                                     : mosquitto_reconnect_async(mosq_);
                first = false;
                if (rc != MOSQ_ERR_SUCCESS) Lost(rc, errno);
            }
            if (!connected_ && !abandoned_ && mosquitto_socket(mosq_) >= 0 &&
                Clock::now() - attemptStart_ > ConnectTimeout) {
                attemptFailure_ = "no answer from " + Address(link_);
                Lost(MOSQ_ERR_KEEPALIVE, 0);
                abandoned_ = true;
            }
            if (connected_ && Clock::now() - lastHeard_ > Silence) {
                Lost(MOSQ_ERR_KEEPALIVE, 0);
                abandoned_ = true;
            }
            const int socket = abandoned_ ? -1 : mosquitto_socket(mosq_);
            pollfd fds[2] = {{wake_, POLLIN, 0}, {socket, 0, 0}};
            // Each command read may need a reply: while the replies are full, what the
            // broker sends waits with it. The broker's answer to the connection is read
            // whatever waits: only once it has come do the replies go out.
            if (!connected_ || queues_.RoomForReplies()) fds[1].events |= POLLIN;
            // Until the broker has answered, the client writes nothing it queued and the
            // socket would be writable all the time: it is tried every few milliseconds
            // instead.
            if (connected_ && mosquitto_want_write(mosq_)) fds[1].events |= POLLOUT;
            const auto untilAttempt = std::chrono::duration_cast<milliseconds>(nextAttempt_ - Clock::now()).count();
            const int timeout = socket < 0   ? static_cast<int>(std::clamp<long long>(untilAttempt, 0, 250))
                                : connected_ ? 250
                                             : 10;
            if (::poll(fds, socket >= 0 ? 2 : 1, timeout) > 0 && (fds[0].revents & POLLIN)) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t got = ::read(wake_, &count, sizeof count);
            }
            if (socket < 0) continue;
            if (!Step(fds[1].revents)) continue;
            if (fds[1].revents & (POLLERR | POLLHUP)) {
                // A connection that failed before it was made is not one the client
                // notices: it is left for the next attempt to close.
                int error = 0;
                socklen_t length = sizeof error;
                ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length);
                // The client has taken the error already; a socket that never had a peer
                // found no broker.
                sockaddr_storage peer{};
                socklen_t peerLength = sizeof peer;
                if (error == 0 && ::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0)
                    error = ECONNREFUSED;
                Lost(error != 0 ? MOSQ_ERR_ERRNO : MOSQ_ERR_CONN_LOST, error);
                abandoned_ = true;
                continue;
            }
            SendWaiting();
        }
    }

    // One turn of the client's reading, writing and keeping alive; false once the
    // connection has gone.
    bool Step(short events) {
        int rc = MOSQ_ERR_SUCCESS;
        errno = 0;
        if (events & (POLLIN | POLLHUP | POLLERR)) rc = mosquitto_loop_read(mosq_, 1);
        if (rc == MOSQ_ERR_SUCCESS && mosquitto_socket(mosq_) >= 0 && mosquitto_want_write(mosq_))
            rc = mosquitto_loop_write(mosq_, 1);
        // The client's keep-alive runs from the last message of the previous connection
        // until the broker's answer comes: before that, ConnectTimeout is the limit.
        if (rc == MOSQ_ERR_SUCCESS && connected_) rc = mosquitto_loop_misc(mosq_);
        if (rc == MOSQ_ERR_SUCCESS && mosquitto_socket(mosq_) >= 0) return true;
        // A connection the client closed itself (the broker not answering) ends with
        // success here; its reason came to the disconnect callback.
        Lost(rc == MOSQ_ERR_SUCCESS ? disconnectReason_ : rc, errno);
        return false;
    }

    // The status and the replies, as far as the socket takes them.
    void SendWaiting() {
        if (!connected_) return;
        if (inFlight_.size() < PublishesInFlight) {
            if (auto status = queues_.TakeStatus()) Publish("status", *status, true);
        }
        while (inFlight_.size() < PublishesInFlight) {
            const auto reply = queues_.FirstReply();
            if (!reply || !Publish("reply", *reply, false)) break;
            queues_.PopReply();
        }
    }

    bool Publish(const char* topic, const std::string& payload, bool retain) {
        int mid = 0;
        const int rc = mosquitto_publish(mosq_, &mid, (prefix_ + topic).c_str(), static_cast<int>(payload.size()),
                                         payload.data(), 0, retain);
        if (rc != MOSQ_ERR_SUCCESS) return false;
        inFlight_.insert(mid);
        return true;
    }

    void Connected(int code) {
        if (code != 0) {
            attemptFailure_ = code == 4 || code == 5 ? "refused: not authorised" : "refused by the broker";
            return;
        }
        connected_ = true;
        retry_ = FirstRetry;
        // What was handed over before a loss went with the old connection.
        inFlight_.clear();
        mosquitto_subscribe(mosq_, nullptr, (prefix_ + "command").c_str(), 1);
        const std::string online = "true";
        mosquitto_publish(mosq_, nullptr, (prefix_ + "online").c_str(), static_cast<int>(online.size()), online.data(),
                          1, true);
        SetState("connected");
        Wake();
    }

    void Received(const mosquitto_message& message) {
        if (message.topic != prefix_ + "command") return;
        queues_.Receive(static_cast<const char*>(message.payload), static_cast<std::size_t>(message.payloadlen));
    }

    void Logged(const char* text) {
        const std::string_view line(text);
        // The reason OpenSSL gives reaches the link only through the client's log, and so
        // do the broker's answers to the client's pings.
        if (line.find("certificate verify failed") != std::string_view::npos)
            attemptFailure_ = "certificate not trusted";
        if (line.find(" received ") != std::string_view::npos) lastHeard_ = Clock::now();
    }

    // The connection, or the attempt at one, has ended with `rc`: the panel says why, and
    // the next attempt waits the longer the more attempts have failed in a row.
    void Lost(int rc, int error) {
        if (connected_) {
            connected_ = false;
            retry_ = FirstRetry;
        }
        nextAttempt_ = Clock::now() + retry_;
        retry_ = std::min(retry_ * 2, LongestRetry);
        if (!attemptFailure_.empty()) {
            SetState(attemptFailure_);
        } else if (rc == MOSQ_ERR_ERRNO && (error == ECONNREFUSED || error == ENETUNREACH || error == EHOSTUNREACH)) {
            SetState("no broker at " + Address(link_));
        } else if (rc == MOSQ_ERR_EAI || rc == MOSQ_ERR_LOOKUP) {
            SetState("unknown host " + link_.host);
        } else if (rc == MOSQ_ERR_KEEPALIVE) {
            SetState("lost: broker not answering");
        } else if (rc == MOSQ_ERR_TLS || rc == MOSQ_ERR_TLS_HANDSHAKE) {
            SetState("TLS failed at " + Address(link_));
        } else if (rc == MOSQ_ERR_CONN_LOST || (rc == MOSQ_ERR_ERRNO && error == ECONNRESET)) {
            SetState("lost: connection closed");
        } else {
            SetState(std::string("lost: ") + (rc == MOSQ_ERR_ERRNO ? std::strerror(error) : mosquitto_strerror(rc)));
        }
    }

    // A clean close: `false` on online, and a DISCONNECT only once the broker has it;
    // otherwise the socket just closes and the broker's last will says the same.
    void Close() {
        if (!connected_) return;
        int mid = 0;
        const std::string offline = "false";
        if (mosquitto_publish(mosq_, &mid, (prefix_ + "online").c_str(), static_cast<int>(offline.size()),
                              offline.data(), 1, true) != MOSQ_ERR_SUCCESS)
            return;
        inFlight_.insert(mid);
        const auto deadline = Clock::now() + CloseWait;
        while (inFlight_.contains(mid) && Clock::now() < deadline) {
            pollfd fd{mosquitto_socket(mosq_), POLLIN, 0};
            if (mosquitto_want_write(mosq_)) fd.events |= POLLOUT;
            ::poll(&fd, 1, 50);
            if (!Step(fd.revents)) return;
        }
        if (inFlight_.contains(mid)) return;
        mosquitto_disconnect(mosq_);
        mosquitto_loop_write(mosq_, 1);
    }

    const BrokerLink link_;
    const std::string prefix_;
    LinkQueues queues_;
    mutable std::mutex stateMutex_;
    std::string state_;
    std::atomic<bool> stopping_ = false;
    int wake_ = -1;
    std::thread thread_;

    // Only the network thread touches these.
    mosquitto* mosq_ = nullptr;
    bool connected_ = false;
    bool abandoned_ = false;
    std::set<int> inFlight_;
    milliseconds retry_ = FirstRetry;
    Clock::time_point nextAttempt_ = Clock::now();
    Clock::time_point attemptStart_;
    Clock::time_point lastHeard_;
    int disconnectReason_ = MOSQ_ERR_CONN_LOST;
    std::string attemptFailure_;
};

} // namespace

std::unique_ptr<LabNetwork> OpenMosquittoLink(const BrokerLink& link) { return std::make_unique<MosquittoLink>(link); }
