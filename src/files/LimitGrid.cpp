#include "files/LimitGrid.h"

#include "core/BreakpointTable.h"
#include "core/Controller.h"
#include "core/LogEvents.h"
#include "core/NumberText.h"
#include "files/GridEditing.h"
#include "files/LimitFile.h"
#include "hardware/BoardLayer.h"
#include "plot/PlotFrame.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::array<const char*, 6> Headings = {" ROW #",      " CHANNEL", " FREQ.-Hz. ",
                                                 " MODE (DVA)", "   LEVEL", " ABORT dB"};
enum Column { ChannelColumn = 1, FrequencyColumn, ModeColumn, LevelColumn, AbortColumn };

std::string Shown(const Controller& c, float value) {
    return GridIndent + GeneralNumber(static_cast<double>(value), c.PromptDecimalPoint);
}

std::string ShownMode(float mode) {
    if (mode == ProfileMode::Displacement) return "  D";
    if (mode == ProfileMode::Velocity) return "  V";
    return "  A";
}

// "D", "V" or "A" after blanks; anything else is no mode (0) and refused.
float LimitMode(const std::string& cell) {
    const std::size_t start = cell.find_first_not_of(' ');
    const std::string letter = start == std::string::npos ? "" : cell.substr(start);
    if (letter == "D") return ProfileMode::Displacement;
    if (letter == "V") return ProfileMode::Velocity;
    if (letter == "A") return ProfileMode::Acceleration;
    return 0.0f;
}

bool RowIsBlank(const EditorGrid& grid, int row) {
    for (int column = ChannelColumn; column <= AbortColumn; ++column)
        if (!CellIsBlank(grid.Cell(row, column))) return false;
    return true;
}

void FillLimitGrid(Controller& c) {
    EditorGrid& grid = c.LimitEditor;
    for (int column = 0; column <= AbortColumn; ++column)
        grid.Cell(0, column) = Headings[static_cast<std::size_t>(column)];
    for (int row = 1; row <= grid.LastRow(); ++row) {
        grid.Cell(row, 0) = GridIndent + std::to_string(row);
        const auto index = static_cast<std::size_t>(row - 1);
        const bool filled = index < c.Limits.rows.size();
        const LimitRow limit = filled ? c.Limits.rows[index] : LimitRow{};
        grid.Cell(row, ChannelColumn) = filled ? GridIndent + std::to_string(limit.channel) : "";
        grid.Cell(row, FrequencyColumn) = filled ? Shown(c, limit.frequency) : "";
        grid.Cell(row, ModeColumn) = filled ? ShownMode(limit.mode) : "";
        grid.Cell(row, LevelColumn) = filled ? Shown(c, limit.level) : "";
        grid.Cell(row, AbortColumn) = filled ? Shown(c, limit.abortDb) : "";
    }
    grid.selectedRow = 1;
    grid.selectedColumn = 1;
    grid.text = grid.Cell(1, 1);
    GridChanged(grid);
}

} // namespace

void ShowLimitEditor(Controller& c) {
    if (c.LimitEditor.open) {
        ++c.LimitEditor.raiseRequests;
        GridChanged(c.LimitEditor);
        return;
    }
    FillLimitGrid(c);
    c.LimitEditor.open = true;
}

void CloseLimitEditor(Controller& c) {
    if (!c.LimitEditor.open) return;
    c.LimitEditor.open = false;
    GridChanged(c.LimitEditor);
}

void UpdateLimitsFromGrid(Controller& c) {
    const EditorGrid& grid = c.LimitEditor;
    std::vector<LimitRow> rows;
    std::vector<int> gridRowOf;
    for (int row = 1; row <= grid.LastRow(); ++row) {
        if (RowIsBlank(grid, row)) continue;
        rows.push_back({LimitChannelNumber(CellNumber(grid.Cell(row, ChannelColumn))),
                        CellNumber(grid.Cell(row, FrequencyColumn)), LimitMode(grid.Cell(row, ModeColumn)),
                        CellNumber(grid.Cell(row, LevelColumn)), CellNumber(grid.Cell(row, AbortColumn))});
        gridRowOf.push_back(row);
    }
    if (const std::optional<LimitFault> fault = FindLimitFault(rows)) {
        const int row = gridRowOf[static_cast<std::size_t>(fault->row - 1)];
        c.ports.dialogs->MessageBox("Limit row " + std::to_string(row) + ": " + fault->what, "Limit Channels",
                                    MessageButtons::Ok, MessageIcon::Exclamation);
        return;
    }
    c.Limits.rows = std::move(rows);
    // A limit channel's input range follows its limits, as Update Profile's follow the profile.
    InitialiseHardware(c);
    // The plot shows the new limits, as Update Profile's shows the new reference.
    RefreshPlot(c);
    LogEvent(c, "Limit table updated, " + std::to_string(c.Limits.rows.size()) + " rows");
}
