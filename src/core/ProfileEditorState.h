#pragma once

#include "core/EditorGrid.h"

#include <string>
#include <vector>

// The profile editor's grid: rows 0..100 (row 0 the headings), columns 0..6 (column 0
// the row numbers). Edits stay here until Update Profile takes the grid over into the
// breakpoint table.
struct ProfileEditorState : EditorGrid {
    static constexpr int Rows = 101;
    static constexpr int Columns = 7;
    using Row = std::vector<std::string>;

    ProfileEditorState() : EditorGrid(Rows, Columns) {}
};
