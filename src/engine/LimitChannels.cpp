#include "engine/LimitChannels.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "core/Units.h"
#include "engine/DriveLaw.h"
#include "engine/ReferenceProfile.h"
#include "engine/ResponseMeasurement.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float Manual = 1.0f;

// The most a channel's transfer ratio is taken to change from one cycle to the next:
// well above what a sharp mode swept fast does, and a bound on what one odd block can
// make of the prediction.
constexpr float LargestTrend = 2.0f;

// The drive to set now for a response to reach `target` under it: the response over
// `madeUnder`, the drive that made it, carried on by its change since the last cycle
// (`lastRatio`, which takes this cycle's ratio) for the two frequency steps from the
// block's frequency to that drive's. Nothing for a target, response or drive that is not
// above 0, or a drive that would not be finite.
std::optional<float> DriveFor(float target, float response, float madeUnder, float& lastRatio) {
    const float ratio = response / madeUnder;
    if (!(target > 0.0f) || !(madeUnder > 0.0f) || !(response > 0.0f) || !std::isfinite(ratio)) {
        lastRatio = 0.0f;
        return std::nullopt;
    }
    const float trend = lastRatio > 0.0f ? std::clamp(ratio / lastRatio, 1.0f / LargestTrend, LargestTrend) : 1.0f;
    lastRatio = ratio;
    const float drive = target / (ratio * trend * trend);
    if (!std::isfinite(drive)) return std::nullopt;
    return drive;
}

float DecibelsToRatio(float db) { return static_cast<float>(std::pow(10.0, static_cast<double>(db) / 20.0)); }

} // namespace

std::optional<ChannelLimit> LimitAt(const Controller& c, int channel, float frequency) {
    const LimitRow* segment = nullptr;
    const LimitRow* last = nullptr;
    for (const LimitRow& row : c.Limits.rows) {
        if (row.channel != channel) continue;
        if (row.frequency <= frequency) segment = &row;
        last = &row;
    }
    if (segment == nullptr || frequency > last->frequency) return std::nullopt;
    const std::optional<float> level = ModeLevelInG(c, segment->mode, segment->level, frequency);
    if (!level || !(*level > 0.0f)) return std::nullopt;
    return ChannelLimit{*level, segment->abortDb};
}

std::optional<float> LimitAbortPeak(const Controller& c, int channel) {
    std::optional<float> peak;
    const std::vector<LimitRow>& rows = c.Limits.rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].channel != channel) continue;
        // D and V limits rise with the frequency: a segment is highest at its end, the
        // channel's next breakpoint.
        float end = rows[i].frequency;
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            if (rows[j].channel != channel) continue;
            end = rows[j].frequency;
            break;
        }
        const std::optional<float> level = ModeLevelInG(c, rows[i].mode, rows[i].level, end);
        if (!level) continue;
        const float abortLevel = *level * DecibelsToRatio(rows[i].abortDb);
        peak = std::max(peak.value_or(abortLevel), abortLevel);
    }
    return peak;
}

void ApplyLimits(Controller& c) {
    c.LimitingChannel = 0;
    const float reference = c.ReferenceLevel;
    if (!IsOn(c.ServoOn) || c.P[Param::ControlStrategy] == Manual || !(reference > 0.0f)) return;
    float highest = c.ControlValue / reference;
    for (int channel = 1; channel <= LimitTable::Channels; ++channel) {
        const std::optional<ChannelLimit> limit = LimitAt(c, channel, c.CurrentFrequency);
        if (!limit) continue;
        const float ratio = c.ChannelRawResponse[static_cast<std::size_t>(channel)] / limit->level;
        if (ratio > highest) {
            highest = ratio;
            c.LimitingChannel = channel;
        }
    }
    if (c.LimitingChannel != 0) c.ControlValue = highest * reference;
}

void HoldDriveUnderLimits(Controller& c) {
    const bool servoActs = IsOn(c.ServoOn) && c.P[Param::ControlStrategy] != Manual;
    const bool driveKnown = c.DemoMode == 0.0f && BoardPathActive(c);
    // The block of this cycle was made under the drive word before last; with none, or
    // none known, every ratio is forgotten.
    const auto madeUnder =
        servoActs && driveKnown ? static_cast<float>(c.PreviousDriveWord / Unit::DriveWordFullScale) : 0.0f;
    std::optional<float> held;
    int holder = 0;
    for (int channel = 1; channel <= LimitTable::Channels; ++channel) {
        const auto k = static_cast<std::size_t>(channel);
        const std::optional<ChannelLimit> limit = LimitAt(c, channel, c.CurrentFrequency);
        const std::optional<float> allowed =
            DriveFor(limit ? limit->level : 0.0f, c.ChannelRawResponse[k], madeUnder, c.LimitTransferRatio[k]);
        if (allowed && (!held || *allowed < *held)) {
            held = allowed;
            holder = channel;
        }
    }
    const float controlValue = ControlStrategyValue(c, c.ChannelRawResponse);
    const std::optional<float> onReference =
        DriveFor(c.ReferenceLevel, controlValue, madeUnder, c.ControlTransferRatio);
    if (!held) return;
    // In the notch the law's small steps would trail the mode's flank as it falls away:
    // the drive rises as the prediction allows, up to the control channel's reference.
    float drive = c.DriveOutput;
    if (c.LimitingChannel != 0 && onReference) drive = *onReference;
    if (*held < drive) {
        drive = *held;
        c.LimitingChannel = holder;
    }
    c.DriveOutput = LimitDrive(drive);
}

int LimitChannelOverAbort(const Controller& c) {
    for (int channel = 1; channel <= LimitTable::Channels; ++channel) {
        const std::optional<ChannelLimit> limit = LimitAt(c, channel, c.CurrentFrequency);
        if (!limit) continue;
        const float abortLevel = limit->level * DecibelsToRatio(limit->abortDb);
        if (c.ChannelRawResponse[static_cast<std::size_t>(channel)] > abortLevel) return channel;
    }
    return 0;
}
