#pragma once

#include "hardware/jack/AudioInterfaceSettings.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The audio interface's settings file in the working folder: one setting a line, its
// key and values separated by blanks; a line starting with '#' is a comment, a blank
// line is skipped, lines end with LF or CR LF.
//   drive-port PORT                     the server's port the drive is connected to
//   input-port CH PORT                  the server's port input inCH is connected from
//   output-full-scale-v V               volts at the output's digital full scale
//   input-full-scale-v CH V             volts at the digital full scale of input CH
//   safety-limit-v V                    the drive's ceiling, at most the output's full scale
//   loopback-input CH                   the input the drive is cabled to for calibration
//   correction CH HZ GAIN PHASE_DEG     one row of input CH's correction
// Channels are 1..16. Each key is given at most once, the per-channel keys once a
// channel; the correction rows of a channel ascend in frequency. Without a
// safety-limit-v line the limit is the output's full scale.
inline constexpr const char* AudioSettingsFileName = "ZEK8Audio.txt";

// The limits every value is held to.
namespace AudioSettingsRange {
constexpr double LowestFullScaleVolts = 0.01;
constexpr double HighestFullScaleVolts = 100.0;
constexpr double LowestCorrectionHz = 0.1;
constexpr double HighestCorrectionHz = 100000.0;
constexpr double LowestGain = 1e-6;
constexpr double HighestGain = 1e6;
constexpr double HighestPhaseDegrees = 360.0;
constexpr std::size_t LongestPortName = 256;
} // namespace AudioSettingsRange

// Sets what one line's words say (key first) in `settings`. Returns what is wrong with
// them, and then leaves `settings` as it was.
std::optional<std::string> ApplyAudioSetting(const std::vector<std::string>& words, AudioInterfaceSettings& settings);
// What is wrong with the settings as a whole (a safety limit above the output's full
// scale), or nothing.
std::optional<std::string> AudioSettingsConflict(const AudioInterfaceSettings& settings);

// The file's settings over `base`, whose client and server names are kept. Throws
// AudioSettingsError naming the line and what is wrong with it.
AudioInterfaceSettings ReadAudioSettings(std::string_view text, AudioInterfaceSettings base);
// The file's text for `settings`, every value written to read back exactly.
std::string AudioSettingsText(const AudioInterfaceSettings& settings);

struct AudioSettingsError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct LoadedAudioSettings {
    AudioInterfaceSettings settings;
    std::string fault; // why the file was refused; empty when it was read or missing
};
// The settings of the file at `path` over `base`: a missing file leaves `base`; a file
// that cannot be read or is wrong leaves `base` too and says why.
LoadedAudioSettings LoadAudioSettingsFile(const std::string& path, const AudioInterfaceSettings& base);
// Replaces the file at `path` with `settings`, or leaves the old one; throws FileError.
void SaveAudioSettingsFile(const std::string& path, const AudioInterfaceSettings& settings);
