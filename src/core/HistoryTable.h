#pragma once

#include <array>
#include <cstddef>

// Stored sweep points: rows 0..900, columns 0..20. Row r column 1 is the frequency,
// columns 2..9 channels 1..8, column 10 the drive, further columns channels 9..16.
struct HistoryTable {
    static constexpr int Rows = 901;
    static constexpr int Columns = 21;
    std::array<std::array<float, Columns>, Rows> cells{};

    float& at(int row, int column) {
        return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }
    float at(int row, int column) const {
        return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }
};
