#include "hardware/jack/AudioSettingsFile.h"

#include "core/FileErrors.h"
#include "core/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <sstream>
#include <utility>

namespace {

using namespace AudioSettingsRange;

// One line's words, each read and range-checked; the first fault found is kept and
// every later read gives a harmless value.
class SettingWords {
public:
    explicit SettingWords(const std::vector<std::string>& words) : words_(words) {}

    const std::optional<std::string>& Fault() const { return fault_; }
    void Fail(std::string what) {
        if (!fault_) fault_ = std::move(what);
    }
    // Exactly `count` values follow the key.
    bool Takes(std::size_t count, const char* what) {
        if (words_.size() != count + 1) Fail("'" + words_[0] + "' takes " + what);
        return !fault_;
    }
    double Number(std::size_t i, double lowest, double highest, const std::string& what) {
        if (fault_) return lowest;
        const std::string& text = words_[i];
        double value = 0.0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value) || value < lowest ||
            value > highest) {
            Fail(what + " is a number from " + ExactNumber(lowest) + " to " + ExactNumber(highest) + ", not '" + text +
                 "'");
            return lowest;
        }
        return value;
    }
    std::size_t Channel(std::size_t i) {
        const double k = Number(i, 1, AudioInterfaceSettings::Inputs, "a channel");
        if (k != std::floor(k)) Fail("a channel is a whole number, not '" + words_[i] + "'");
        return fault_ ? 0 : static_cast<std::size_t>(k) - 1;
    }
    std::string Port(std::size_t i) {
        const std::string& name = words_[i];
        if (name.empty() || name.find_first_of(" \t") != std::string::npos)
            Fail("a port's name is not empty and holds no blanks");
        if (name.size() > LongestPortName)
            Fail("a port's name has at most " + std::to_string(LongestPortName) + " characters");
        return name;
    }

private:
    const std::vector<std::string>& words_;
    std::optional<std::string> fault_;
};

} // namespace

std::optional<std::string> ApplyAudioSetting(const std::vector<std::string>& words, AudioInterfaceSettings& settings) {
    if (words.empty()) return "a setting is missing";
    AudioInterfaceSettings next = settings;
    SettingWords line(words);
    const std::string& key = words[0];
    if (key == "drive-port") {
        if (line.Takes(1, "a port")) next.drivePort = line.Port(1);
    } else if (key == "input-port") {
        if (line.Takes(2, "a channel and a port")) next.inputPorts[line.Channel(1)] = line.Port(2);
    } else if (key == "output-full-scale-v") {
        if (line.Takes(1, "a number of volts"))
            next.outputFullScaleVolts =
                line.Number(1, LowestFullScaleVolts, HighestFullScaleVolts, "the output's full scale in volts");
    } else if (key == "input-full-scale-v") {
        if (line.Takes(2, "a channel and a number of volts")) {
            const std::size_t k = line.Channel(1);
            next.inputFullScaleVolts[k] =
                line.Number(2, LowestFullScaleVolts, HighestFullScaleVolts, "an input's full scale in volts");
        }
    } else if (key == "safety-limit-v") {
        if (line.Takes(1, "a number of volts")) {
            next.safetyLimitVolts = line.Number(1, 0.0, HighestFullScaleVolts, "the safety limit in volts");
            if (!line.Fault() && next.safetyLimitVolts <= 0.0) line.Fail("the safety limit is above 0 V");
        }
    } else if (key == "loopback-input") {
        if (line.Takes(1, "a channel")) next.loopbackInput = static_cast<int>(line.Channel(1)) + 1;
    } else if (key == "correction") {
        if (line.Takes(4, "a channel, a frequency, a gain and a phase")) {
            const std::size_t k = line.Channel(1);
            const InputCorrectionPoint point{
                line.Number(2, LowestCorrectionHz, HighestCorrectionHz, "a frequency in Hz"),
                line.Number(3, LowestGain, HighestGain, "a gain"),
                line.Number(4, -HighestPhaseDegrees, HighestPhaseDegrees, "a phase in degrees")};
            std::vector<InputCorrectionPoint>& rows = next.inputCorrection[k];
            if (!line.Fault() && !rows.empty() && point.hz <= rows.back().hz)
                line.Fail("the correction rows of input " + std::to_string(k + 1) + " ascend in frequency");
            rows.push_back(point);
        }
    } else {
        line.Fail("no setting '" + key + "'");
    }
    if (line.Fault()) return line.Fault();
    settings = std::move(next);
    return std::nullopt;
}

std::optional<std::string> AudioSettingsConflict(const AudioInterfaceSettings& settings) {
    // A ceiling above what the interface can play would read as a protection it does not
    // give: one of the two numbers is wrong, so neither is used.
    if (settings.safetyLimitVolts > settings.outputFullScaleVolts)
        return "the safety limit " + ExactNumber(settings.safetyLimitVolts) + " V is above the output's full scale " +
               ExactNumber(settings.outputFullScaleVolts) + " V";
    return std::nullopt;
}

AudioInterfaceSettings ReadAudioSettings(std::string_view text, AudioInterfaceSettings base) {
    AudioInterfaceSettings settings;
    settings.clientName = std::move(base.clientName);
    settings.serverName = std::move(base.serverName);
    std::set<std::string> given; // keys, the per-channel ones with their channel
    int number = 0, limitLine = 0, fullScaleLine = 0;
    const auto fail = [&number](const std::string& what) {
        throw AudioSettingsError(std::string(AudioSettingsFileName) + " line " + std::to_string(number) + ": " + what);
    };
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string word; in >> word;) words.push_back(word);
        if (words.empty() || words[0].starts_with('#')) continue;
        if (const auto fault = ApplyAudioSetting(words, settings)) fail(*fault);
        // The channel as the number it was read as: "3" and "3.0" are one channel.
        const bool perChannel = words[0] == "input-port" || words[0] == "input-full-scale-v";
        double k = 0.0;
        if (perChannel) std::from_chars(words[1].data(), words[1].data() + words[1].size(), k);
        const std::string channel = perChannel ? " " + std::to_string(std::lround(k)) : "";
        if (words[0] != "correction" && !given.insert(words[0] + channel).second)
            fail("'" + words[0] + channel + "' is given twice");
        if (words[0] == "safety-limit-v") limitLine = number;
        if (words[0] == "output-full-scale-v") fullScaleLine = number;
    }
    if (limitLine == 0) settings.safetyLimitVolts = settings.outputFullScaleVolts;
    if (const auto conflict = AudioSettingsConflict(settings)) {
        number = std::max(limitLine, fullScaleLine);
        fail(*conflict);
    }
    return settings;
}

std::string AudioSettingsText(const AudioInterfaceSettings& s) {
    std::ostringstream out;
    out << "# ZEK-8 USB interface settings\n";
    if (!s.drivePort.empty()) out << "drive-port " << s.drivePort << '\n';
    for (std::size_t k = 0; k < s.inputPorts.size(); ++k)
        if (!s.inputPorts[k].empty()) out << "input-port " << k + 1 << ' ' << s.inputPorts[k] << '\n';
    out << "output-full-scale-v " << ExactNumber(s.outputFullScaleVolts) << '\n';
    for (std::size_t k = 0; k < s.inputFullScaleVolts.size(); ++k)
        out << "input-full-scale-v " << k + 1 << ' ' << ExactNumber(s.inputFullScaleVolts[k]) << '\n';
    out << "safety-limit-v " << ExactNumber(s.safetyLimitVolts) << '\n';
    out << "loopback-input " << s.loopbackInput << '\n';
    for (std::size_t k = 0; k < s.inputCorrection.size(); ++k)
        for (const InputCorrectionPoint& p : s.inputCorrection[k])
            out << "correction " << k + 1 << ' ' << ExactNumber(p.hz) << ' ' << ExactNumber(p.gain) << ' '
                << ExactNumber(p.phaseDegrees) << '\n';
    return out.str();
}

LoadedAudioSettings LoadAudioSettingsFile(const std::string& path, const AudioInterfaceSettings& base) {
    try {
        return {ReadAudioSettings(ReadDataFile(path), base), ""};
    } catch (const FileError& error) {
        if (error.number == FileErrorNumber::FileNotFound) return {base, ""};
        return {base, std::string(AudioSettingsFileName) + " cannot be read: " + error.description};
    } catch (const AudioSettingsError& error) {
        return {base, error.what()};
    }
}

void SaveAudioSettingsFile(const std::string& path, const AudioInterfaceSettings& settings) {
    ReplaceTextFile(path, AudioSettingsText(settings));
}
