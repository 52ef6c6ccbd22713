#include "core/LimitTable.h"

#include "core/BreakpointTable.h"

#include <array>
#include <cmath>
#include <utility>

namespace {

bool PositiveFinite(float value) { return std::isfinite(value) && value > 0.0f; }

bool IsLimitMode(float mode) {
    return mode == ProfileMode::Displacement || mode == ProfileMode::Velocity || mode == ProfileMode::Acceleration;
}

LimitFault RowFault(std::size_t index, std::string what) { return {static_cast<int>(index) + 1, std::move(what)}; }

} // namespace

std::optional<LimitFault> FindLimitFault(const std::vector<LimitRow>& rows) {
    std::array<int, LimitTable::Channels + 1> counts{};
    std::array<float, LimitTable::Channels + 1> lastFrequency{};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const LimitRow& row = rows[i];
        if (row.channel < 1 || row.channel > LimitTable::Channels)
            return RowFault(i, "the channel must be a whole number from 1 to 16.");
        if (!PositiveFinite(row.frequency)) return RowFault(i, "the frequency must be greater than 0.");
        if (!IsLimitMode(row.mode)) return RowFault(i, "the mode must be D, V or A.");
        if (!PositiveFinite(row.level)) return RowFault(i, "the level must be greater than 0.");
        if (!PositiveFinite(row.abortDb)) return RowFault(i, "the abort margin must be greater than 0 dB.");
        const auto channel = static_cast<std::size_t>(row.channel);
        if (counts[channel] > 0 && !(row.frequency > lastFrequency[channel]))
            return RowFault(i, "the frequency must be greater than that of the channel's row before.");
        if (++counts[channel] > LimitTable::BreakpointsPerChannel) return RowFault(i, "a channel has at most 10 rows.");
        lastFrequency[channel] = row.frequency;
    }
    return std::nullopt;
}

std::vector<LimitRow> RowsOfChannel(const LimitTable& table, int channel) {
    std::vector<LimitRow> rows;
    for (const LimitRow& row : table.rows)
        if (row.channel == channel) rows.push_back(row);
    return rows;
}
