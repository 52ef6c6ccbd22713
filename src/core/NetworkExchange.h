#pragma once

#include <cstddef>
#include <string>

struct Controller;

// The lab network between cycles, as the remote-control file is: the commands received
// acted on, each once, and the status sent out.

// Commands taken a cycle; what waits beyond them is taken on the next cycles.
inline constexpr std::size_t NetworkCommandsPerCycle = 4;
// The ids of the last commands that read: a command delivered again with one of them
// (the broker delivers at least once) is not acted on again.
inline constexpr std::size_t NetworkIdsRemembered = 256;
// How often the status goes out while nothing changes.
inline constexpr int NetworkStatusPeriodMs = 1000;

// Once a cycle while the station is on a network. Each command gets one reply on the
// link, {"id": ..., "accepted": true | false, "reason": "..."}, the id echoed as it came
// (null when it could not be read) and the reason "" when accepted. A command is
// refused when it does not read, repeats the id of one that read before ("duplicate
// id"), while the switch NetworkAcceptCommands is off ("commands are not accepted"), or
// when an impose is out of bounds. A stop that reads is obeyed whatever the switch and
// its id: stopping twice is safe, passing a stop over is not. Each command means what
// a record of the remote-control file with its command word means: "impose" puts in
// force the level and the frequency it gives and releases the one it does not give;
// the others release both, as a stopped or restarted test follows its profile again.
// Every command goes into the event log, from "network". Then, while
// NetworkPublishStatus is on, the status (core/NetworkStatus.h) goes out when it
// changed or a second after the last one.
void ExchangeNetwork(Controller& c);
