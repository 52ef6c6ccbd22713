#include "engine/LimitChannels.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "engine/ReferenceProfile.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float Manual = 1.0f;

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

int LimitChannelOverAbort(const Controller& c) {
    for (int channel = 1; channel <= LimitTable::Channels; ++channel) {
        const std::optional<ChannelLimit> limit = LimitAt(c, channel, c.CurrentFrequency);
        if (!limit) continue;
        const float abortLevel = limit->level * DecibelsToRatio(limit->abortDb);
        if (c.ChannelResponse[static_cast<std::size_t>(channel)] > abortLevel) return channel;
    }
    return 0;
}
