#pragma once

#include <optional>
#include <string>
#include <vector>

// The limit channels: accelerometers on the specimen, each with a limit profile of its
// own that the servo holds it under. A row is one breakpoint of one channel; between a
// channel's breakpoints its limit follows the segment of the row below, as a D, V or A
// row of the reference profile does, and outside its first and last breakpoint the
// channel has no limit.
struct LimitRow {
    int channel = 0;
    float frequency = 0.0f; // Hz
    float mode = 0.0f;      // 1 D, 2 V, 3 A (ProfileMode)
    float level = 0.0f;     // in the units of UnitsSystem, as the profile's levels
    float abortDb = 0.0f;   // above the limit
};

struct LimitTable {
    static constexpr int Channels = 16;
    static constexpr int BreakpointsPerChannel = 10;
    static constexpr int Rows = Channels * BreakpointsPerChannel;

    std::vector<LimitRow> rows; // each channel's rows in ascending frequency
};

// The first rule `rows` break: the row (counted from 1) and what is wrong with it, or
// nothing when the table may be taken. Each channel is one of 1..16 with at most 10
// rows; a frequency, level and abort margin are finite and above 0, the mode is D, V
// or A; a channel's rows rise in frequency in the order they stand.
struct LimitFault {
    int row = 0;
    std::string what;
};
std::optional<LimitFault> FindLimitFault(const std::vector<LimitRow>& rows);

// The rows of `channel`, in the table's order.
std::vector<LimitRow> RowsOfChannel(const LimitTable& table, int channel);
