#pragma once

#include <array>
#include <cstddef>
#include <string>

// One row of the breakpoint table. Rows 1..100 are the reference profile, rows
// 101..110 the dwell points (Frequency = dwell frequency, Mode = dwell time in s).
struct BreakpointRow {
    float Frequency = 0.0f;
    float Mode = 0.0f; // 1 D, 2 V, 3 A, 4 S
    float Level = 0.0f;
    float Abort = 0.0f; // dB
    float Fifth = 0.0f; // carried by the profile and export files
    std::string Comment;
};

struct BreakpointTable {
    static constexpr int Rows = 201;
    std::array<BreakpointRow, Rows> rows{};

    BreakpointRow& operator[](int i) { return rows.at(static_cast<std::size_t>(i)); }
    const BreakpointRow& operator[](int i) const { return rows.at(static_cast<std::size_t>(i)); }
};

namespace ProfileMode {
constexpr float Displacement = 1.0f;
constexpr float Velocity = 2.0f;
constexpr float Acceleration = 3.0f;
constexpr float Slope = 4.0f;
} // namespace ProfileMode
