#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A grid of text cells and its edit box, as an editor window shows it, kept with the
// rest of the controller's state so that the window only shows it. Row 0 holds the
// headings and column 0 the row numbers; the operator edits rows 1.. and columns 1...
struct EditorGrid {
    EditorGrid(int rows, int columns)
        : cells(static_cast<std::size_t>(rows), std::vector<std::string>(static_cast<std::size_t>(columns))) {}

    bool open = false;
    std::vector<std::vector<std::string>> cells;
    int selectedRow = 1;
    int selectedColumn = 1;
    std::string text; // the edit box
    // Grows with every change the window has to show, and with every request to bring
    // the open window forward.
    unsigned revision = 0;
    unsigned raiseRequests = 0;

    int LastRow() const { return static_cast<int>(cells.size()) - 1; }
    int LastColumn() const { return static_cast<int>(cells.front().size()) - 1; }

    std::string& Cell(int row, int column) {
        return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }
    const std::string& Cell(int row, int column) const {
        return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }
};
