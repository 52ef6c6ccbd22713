#pragma once

#include <array>
#include <string>

// The profile editor's grid of text cells and its edit box, kept with the rest of the
// controller's state so that the window only shows it: rows 0..100 (row 0 the
// headings), columns 0..6 (column 0 the row numbers). Edits stay here until Update
// Profile takes the grid over into the breakpoint table.
struct ProfileEditorState {
    static constexpr int Rows = 101;
    static constexpr int Columns = 7;
    using Row = std::array<std::string, Columns>;

    bool open = false;
    std::array<Row, Rows> cells{};
    int selectedRow = 1;
    int selectedColumn = 1;
    std::string text; // the edit box Text1
    // Grows with every change the window has to show, and with every request to bring
    // the open window forward.
    unsigned revision = 0;
    unsigned raiseRequests = 0;

    std::string& Cell(int row, int column) {
        return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }
    const std::string& Cell(int row, int column) const {
        return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }
};
