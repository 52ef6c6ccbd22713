#pragma once

// What more than one EmulatedBoards source needs: the boards' limits and the call log's way
// of writing an argument. For those sources only.

namespace emulated_boards_detail {

inline constexpr int BoardInputs = 8;
inline constexpr float HighestScanRate = 100000.0f;

inline double Number(int value) { return static_cast<double>(value); }

} // namespace emulated_boards_detail
