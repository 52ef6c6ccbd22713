#pragma once

#include "core/LabNetwork.h"

#include <optional>
#include <string>

struct Controller;

enum class NetworkCommandKind { ServoOn, Stop, Run, Hold, Impose };

// A command from the lab network as it reads, before the controller decides on it:
// {"id": ..., "command": "servo-on" | "stop" | "run" | "hold" | "impose", "level": ...,
// "frequency": ...}. "level" (G peak) and "frequency" (Hz) belong to "impose" only, which
// takes either or both. Keys it does not know are passed over.
struct NetworkCommand {
    // The id as the sender wrote it (a string or a finite number), as JSON text, so that
    // the reply echoes it: "17", "\"batch-3\"". "null" when it could not be read.
    std::string id = "null";
    NetworkCommandKind kind = NetworkCommandKind::Stop;
    std::optional<float> level;
    std::optional<float> frequency;
    // Why the payload is no command; empty when it is one. Nothing of a payload with a
    // refusal is acted on.
    std::string refusal;
};

// The longest id kept and echoed, as JSON text: ids are remembered to act on each
// command once, so their memory must stay bounded.
inline constexpr std::size_t NetworkIdLimit = 128;

// The payload read with nlohmann-json, without exceptions.
NetworkCommand ParseNetworkCommand(const NetworkMessage& message);

// What the command's word is in the payload ("servo-on", ...).
const char* NetworkCommandWord(NetworkCommandKind kind);

// Why the controller may not take the values of an "impose" as it now stands, with the
// bounds of the remote-control file: a level above 0 and within RemoteLevelLimit, a
// frequency the drive may be given (the measurable band) within the test's limits
// LowerLimit..UpperLimit. Where the file holds a frequency within them, a command out
// of them is refused whole. Empty when the values are within.
std::string NetworkCommandOutOfBounds(const Controller& c, const NetworkCommand& command);
