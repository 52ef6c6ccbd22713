#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct Controller;

// Where the remote-control file lives when nothing else is said: the data folder of
// the user (`$XDG_DATA_HOME`, else `~/.local/share`) + "ZEK8/ZEKControl.dat".
std::string DefaultRemoteControlPath();

// The size of the file the exchange reads at most; the records are a few lines.
constexpr std::size_t RemoteFileReadLimit = 4096;

// A record the outside program wrote: the command word, a key, and the drive level and
// frequency to impose when it gave them.
struct RemoteRecord {
    float command = 0.0f;
    std::string key;
    std::optional<float> level;
    std::optional<float> frequency;
};

// The record in the text of the file; nothing when a line that is there cannot be read.
std::optional<RemoteRecord> ParseRemoteRecord(std::string_view text);

// Every Servo On, Stop, Sweep Run and Sweep Hold as a one-line record with its code
// (`RemoteCommandCode`).
void PublishRunCommand(Controller& c);
// Once a cycle: a record the outside program wrote acted on once, and acknowledged
// while Software Remote Control is ticked.
void ExchangeRemoteControlFile(Controller& c);
// The Inputs menu's switches: Software Remote Control (`RemoteControlFile`) and the remote run
// push-buttons (`RemoteInputs`).
// The largest level, G peak, the outside program may impose as the reference: the
// system acceleration limit MaxAcceleration in G, and no more than the peak acceleration the
// last profile check found, when it found one.
float RemoteLevelLimit(const Controller& c);
// A level the outside program may impose: finite, above 0 and within RemoteLevelLimit.
bool RemoteLevelAllowed(const Controller& c, float level);
// The overrides, once a cycle: the imposed level becomes the reference while the servo
// is on and the level is within RemoteLevelLimit; the imposed frequency becomes the
// drive frequency, kept within the test's limits LowerLimit..UpperLimit.
void ApplyRemoteDriveOverride(Controller& c);
void ApplyRemoteFrequencyOverride(Controller& c);
// A frequency held by the outside program: the sweep neither moves nor counts.
bool RemoteHoldsFrequency(const Controller& c);

void ToggleSoftwareRemoteControl(Controller& c);
void ToggleRemoteRunInputs(Controller& c);
