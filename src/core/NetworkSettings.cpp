#include "core/NetworkSettings.h"

#include "core/Controller.h"
#include "core/FileErrors.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int TlsPort = 8883;
constexpr int PlainPort = 1883;

bool IsBlankOrControl(char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return byte <= 0x20 || byte == 0x7F;
}

std::string Lowercase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return lower;
}

// The hosts a connection without TLS stays on this computer to reach.
bool IsThisComputer(std::string_view host) {
    const std::string lower = Lowercase(host);
    return lower == "127.0.0.1" || lower == "::1" || lower == "localhost";
}

std::optional<int> PortNumber(std::string_view text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

// Reads `key` of `object` into `value` when it is there, refusing a value of another type.
template <class Value>
void ReadKey(const nlohmann::json& object, const char* key, Value& value) {
    const auto found = object.find(key);
    if (found == object.end()) return;
    const bool fits = std::is_same_v<Value, bool> ? found->is_boolean() : found->is_string();
    if (!fits)
        throw NetworkSettingsError(std::string("\"") + key + "\" must be " +
                                   (std::is_same_v<Value, bool> ? "true or false" : "a text"));
    value = found->template get<Value>();
}

} // namespace

std::optional<std::string> ReadBrokerUrl(std::string_view url, BrokerLink& link) {
    if (std::any_of(url.begin(), url.end(), IsBlankOrControl)) return "the broker's URL holds a blank";
    const std::size_t schemeEnd = url.find("://");
    const std::string scheme = schemeEnd == std::string_view::npos ? "" : Lowercase(url.substr(0, schemeEnd));
    if (scheme != "mqtts" && scheme != "mqtt")
        return "the broker's URL must begin with mqtts:// (or mqtt:// for a broker on this computer)";
    BrokerLink read;
    read.tls = scheme == "mqtts";
    read.port = read.tls ? TlsPort : PlainPort;
    std::string_view rest = url.substr(schemeEnd + 3);
    if (rest.find_first_of("/?#") != std::string_view::npos)
        return "the broker's URL holds no path: mqtts://user@host:port";
    if (const std::size_t at = rest.rfind('@'); at != std::string_view::npos) {
        read.user = rest.substr(0, at);
        rest = rest.substr(at + 1);
        if (read.user.find(':') != std::string::npos)
            return "the password goes in the password file, never in the broker's URL";
        if (read.user.empty()) return "the broker's URL has no user name before '@'";
    }
    std::string_view port;
    if (rest.starts_with('[')) {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos) return "the broker's URL has a '[' without its ']'";
        read.host = rest.substr(1, close - 1);
        const std::string_view after = rest.substr(close + 1);
        if (!after.empty() && !after.starts_with(':')) return "the broker's URL has something after its host";
        if (!after.empty()) port = after.substr(1);
        if (after == ":") return "the broker's URL has no port after ':'";
    } else {
        const std::size_t colon = rest.find(':');
        read.host = rest.substr(0, colon);
        if (colon != std::string_view::npos) {
            port = rest.substr(colon + 1);
            if (port.find(':') != std::string_view::npos)
                return "an IPv6 address of the broker is written in brackets: mqtts://user@[address]:port";
            if (port.empty()) return "the broker's URL has no port after ':'";
        }
    }
    if (read.host.empty()) return "the broker's URL names no host";
    if (!port.empty()) {
        const auto number = PortNumber(port);
        if (!number) return "the broker's port must be a number from 1 to 65535, not " + std::string(port);
        read.port = *number;
    }
    if (!read.tls && !IsThisComputer(read.host))
        return "mqtt:// (without TLS) is only for a broker on this computer (127.0.0.1, [::1], localhost); use "
               "mqtts:// for " +
               read.host;
    link.host = std::move(read.host);
    link.port = read.port;
    link.tls = read.tls;
    link.user = std::move(read.user);
    return std::nullopt;
}

std::optional<std::string> StationNameFault(std::string_view name) {
    if (name.empty()) return "the station has no name";
    if (name.size() > LongestStationName)
        return "the station's name is longer than " + std::to_string(LongestStationName) + " characters";
    for (const char ch : name) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte <= 0x20 || byte >= 0x7F) return "the station's name may hold no blank, control or non-ASCII character";
        if (ch == '/' || ch == '+' || ch == '#')
            return std::string("the station's name may not hold '") + ch + "': it is one level of a topic";
    }
    return std::nullopt;
}

PasswordRead ReadPasswordFile(const std::string& path) {
    const std::string named = "the password file " + path;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {"", named + " cannot be read: " + std::strerror(errno)};
    if (!S_ISREG(info.st_mode)) return {"", named + " is no regular file"};
    if (info.st_uid != ::geteuid()) return {"", named + " is refused: it belongs to another user"};
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return {"", named + " is refused: others than its owner may read or write it (chmod 600 " + path + ")"};
    std::string text;
    try {
        text = ReadFileHead(path, PasswordFileReadLimit);
    } catch (const FileError& error) {
        return {"", named + " cannot be read: " + error.description};
    }
    std::string password = text.substr(0, text.find('\n'));
    if (password.ends_with('\r')) password.pop_back();
    if (password.empty()) return {"", named + " holds no password on its first line"};
    return {std::move(password), ""};
}

NetworkChoice ChooseNetwork(const NetworkSettings& settings) {
    NetworkChoice choice{settings, std::nullopt, ""};
    if (settings.url.empty()) return choice;
    BrokerLink link;
    if (auto fault = ReadBrokerUrl(settings.url, link)) {
        choice.refusal = std::move(*fault);
        return choice;
    }
    if (auto fault = StationNameFault(settings.station)) {
        choice.refusal = std::move(*fault);
        return choice;
    }
    link.station = settings.station;
    if (!settings.passwordFile.empty()) {
        if (link.user.empty()) {
            choice.refusal = "a password needs a user name in the broker's URL: mqtts://user@host";
            return choice;
        }
        PasswordRead read = ReadPasswordFile(settings.passwordFile);
        if (!read.fault.empty()) {
            choice.refusal = std::move(read.fault);
            return choice;
        }
        link.password = std::move(read.password);
    }
    if (link.tls && !settings.caFile.empty()) {
        try {
            CheckReadableFile(settings.caFile);
        } catch (const FileError& error) {
            choice.refusal = "the CA file " + settings.caFile + " cannot be read: " + error.description;
            return choice;
        }
        link.caFile = settings.caFile;
    }
    choice.link = std::move(link);
    return choice;
}

NetworkSettings WithOptions(NetworkSettings settings, const NetworkOptions& options) {
    if (options.url) settings.url = *options.url;
    if (options.passwordFile) settings.passwordFile = *options.passwordFile;
    if (options.caFile) settings.caFile = *options.caFile;
    if (options.station) settings.station = *options.station;
    if (options.acceptCommands) settings.acceptCommands = true;
    return settings;
}

void TakeNetworkSwitches(Controller& c, const NetworkSettings& settings) {
    c.NetworkPublishStatus = settings.publishStatus;
    c.NetworkAcceptCommands = settings.acceptCommands;
}

std::string DefaultNetworkSettingsPath() {
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
        config = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        config = std::filesystem::path(home) / ".config";
    } else {
        config = ".";
    }
    return (config / "zek8" / "network.json").string();
}

std::string NetworkSettingsJson(const NetworkSettings& settings) {
    const nlohmann::ordered_json object = {
        {"url", settings.url},
        {"station", settings.station},
        {"passwordFile", settings.passwordFile},
        {"caFile", settings.caFile},
        {"publishStatus", settings.publishStatus},
        {"acceptCommands", settings.acceptCommands},
    };
    return object.dump(2) + "\n";
}

NetworkSettings ReadNetworkSettings(std::string_view json) {
    const nlohmann::json object = nlohmann::json::parse(json, nullptr, false);
    if (object.is_discarded()) throw NetworkSettingsError("it is not JSON");
    if (!object.is_object()) throw NetworkSettingsError("it holds no JSON object");
    NetworkSettings settings;
    ReadKey(object, "url", settings.url);
    ReadKey(object, "station", settings.station);
    ReadKey(object, "passwordFile", settings.passwordFile);
    ReadKey(object, "caFile", settings.caFile);
    ReadKey(object, "publishStatus", settings.publishStatus);
    ReadKey(object, "acceptCommands", settings.acceptCommands);
    return settings;
}

LoadedNetworkSettings LoadNetworkSettingsFile(const std::string& path) {
    try {
        return {ReadNetworkSettings(ReadDataFile(path)), ""};
    } catch (const FileError& error) {
        // No file, or not even its folder: nothing was ever saved.
        if (error.number == FileErrorNumber::FileNotFound || error.number == FileErrorNumber::PathNotFound) return {};
        return {{}, path + " cannot be read (" + error.description + "); the network's settings are the defaults"};
    } catch (const NetworkSettingsError& error) {
        return {{}, path + " is refused: " + error.what() + "; the network's settings are the defaults"};
    }
}

void SaveNetworkSettingsFile(const std::string& path, const NetworkSettings& settings) {
    std::string text;
    try {
        text = NetworkSettingsJson(settings);
    } catch (const nlohmann::json::exception&) {
        // A text that is not UTF-8 cannot stand in JSON.
        throw MakeFileError(FileErrorNumber::BadFileName);
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code failed;
    if (!folder.empty()) std::filesystem::create_directories(folder, failed);
    ReplaceTextFile(path, text);
}
