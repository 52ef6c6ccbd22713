#pragma once

#include "core/LabNetwork.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct Controller;

// The lab network as the operator sets it up: the broker, this station's name on it, the
// files of its password and of the broker's certificate authority, and the two switches.
// The password itself is never kept here, only the path of the file it is read from.
struct NetworkSettings {
    std::string url; // empty: this station is on no network
    std::string station;
    std::string passwordFile; // empty: no password
    std::string caFile;       // empty: the system's certificate authorities
    bool publishStatus = true;
    bool acceptCommands = false; // off until the operator ticks it
    bool operator==(const NetworkSettings&) const = default;
};

// The longest station name: the topics under it stay short.
constexpr std::size_t LongestStationName = 64;
// The longest password file read; the password is its first line.
constexpr std::size_t PasswordFileReadLimit = 4096;

// The broker of `mqtts://[user@]host[:port]` (default port 8883, certificate checked), or of
// `mqtt://[user@]host[:port]` (default 1883, no TLS) for a broker on this computer only:
// 127.0.0.1, ::1 (written [::1]) or localhost. The password goes in its file, never in
// the URL. Fills host, port, tls and user of a link; or says what is wrong.
std::optional<std::string> ReadBrokerUrl(std::string_view url, BrokerLink& link);
// What keeps `name` from standing as one level of a topic, or nothing: it must be
// 1..LongestStationName printable ASCII characters other than '/', '+', '#' and blank.
std::optional<std::string> StationNameFault(std::string_view name);
// The first line of the password file, which must be a regular file of this user that
// neither its group nor anyone else may read or write; or what is wrong with it.
struct PasswordRead {
    std::string password;
    std::string fault; // empty when the password was read
};
PasswordRead ReadPasswordFile(const std::string& path);

// What the settings make: the link to open, or the reason there is none. Neither when the
// settings name no broker.
struct NetworkChoice {
    NetworkSettings settings;
    std::optional<BrokerLink> link;
    std::string refusal;
};
NetworkChoice ChooseNetwork(const NetworkSettings& settings);

// The command line's network options, each over what the settings file says.
struct NetworkOptions {
    std::optional<std::string> url;
    std::optional<std::string> passwordFile;
    std::optional<std::string> caFile;
    std::optional<std::string> station;
    bool acceptCommands = false; // only ticks Accept Commands, never clears it
};
NetworkSettings WithOptions(NetworkSettings settings, const NetworkOptions& options);
// The switches where the control cycle reads them.
void TakeNetworkSwitches(Controller& c, const NetworkSettings& settings);

// `$XDG_CONFIG_HOME/zek8/network.json`, else `~/.config/zek8/network.json`.
std::string DefaultNetworkSettingsPath();
// The settings as JSON, and back. Reading throws NetworkSettingsError on a text that is no
// such object or a key of the wrong type; a key not there keeps its default.
std::string NetworkSettingsJson(const NetworkSettings& settings);
NetworkSettings ReadNetworkSettings(std::string_view json);

struct NetworkSettingsError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct LoadedNetworkSettings {
    NetworkSettings settings;
    std::string fault; // why the file was refused; empty when it was read or missing
};
// The file's settings; the defaults when it is missing, or cannot be read, and then why.
LoadedNetworkSettings LoadNetworkSettingsFile(const std::string& path);
// Replaces the file, making its folder, or leaves the old one; throws FileError.
void SaveNetworkSettingsFile(const std::string& path, const NetworkSettings& settings);
