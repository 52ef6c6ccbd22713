#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Where the lab network's broker is and who this station is on it. The password is read
// from its file when the link opens and lives only here: never in a profile, a log or the
// status.
struct BrokerLink {
    std::string host;
    int port = 1883;
    bool tls = false;   // mqtts: the broker's certificate checked against caFile
    std::string caFile; // empty: the system's certificate authorities
    std::string user;   // empty: no user name (the broker decides whether it lets that in)
    std::string password;
    std::string station; // the topics are zek8/<station>/...
};

// A command's payload as the link received it on zek8/<station>/command. A payload
// longer than the link keeps is cut to that length and marked, so that it is refused
// rather than read.
struct NetworkMessage {
    std::string payload;
    bool tooLarge = false;
};

// The lab network as the controller sees it: a link to a message broker that a thread of
// its own keeps, connecting again after a loss. Every call returns at once; the control
// cycle never waits on the network.
class LabNetwork {
public:
    virtual ~LabNetwork() = default;
    // The station's status (a JSON text), retained by the broker for later subscribers.
    // A status not yet sent is replaced by a newer one.
    virtual void PublishStatus(std::string json) = 0;
    // The reply to one command (a JSON text); replies are sent in order.
    virtual void PublishReply(std::string json) = 0;
    // The commands received since the last call, oldest first, at most `max` of them.
    // The link holds a bounded number; what arrives beyond that is answered by the link
    // with a refusal and never handed on.
    virtual std::vector<NetworkMessage> TakeCommands(std::size_t max) = 0;
    // What the status panel shows after " NET: ": "connected", or why the link is not.
    virtual std::string LinkState() const = 0;
};
