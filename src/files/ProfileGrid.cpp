#include "files/ProfileGrid.h"

#include "core/Controller.h"
#include "core/FormatMask.h"
#include "core/LogEvents.h"
#include "core/NumberText.h"
#include "core/ParameterNames.h"
#include "hardware/BoardLayer.h"
#include "plot/PlotFrame.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <optional>

namespace {

constexpr int LastRow = 100;
constexpr int LastColumn = 6;
constexpr int SlopeRowOffset = 100;
constexpr float LevelFloor = 0.001f;
constexpr const char* Indent = GridIndent;

constexpr std::array<const char*, 7> Headings = {" POINT #", " FREQ.-Hz. ", " MODE (DVA)", "   LEVEL",
                                                 " ABORT",   " SLOPE",      " COMMENTS "};

std::string ShownNumber(const Controller& c, float value) {
    return Indent + GeneralNumber(static_cast<double>(value), c.PromptDecimalPoint);
}

std::string ShownMode(float mode) {
    if (mode == 1.0f) return "  D";
    if (mode == 2.0f) return "  V";
    if (mode == 3.0f) return "  A";
    if (mode == 4.0f) return "  S";
    return "    ";
}

std::array<const char*, 4> LegendLines(float units) {
    const bool metric = units != 0.0f;
    return {metric ? " Metric Units ) " : " English units ",
            metric ? " ( M/S^2, CM/S, MM p-p ) " : " ( G-pk, IPS, MILS p-p )", "D, V, A, or S;",
            "S = Slope in Db/Octave"};
}

void Changed(Controller& c) { GridChanged(c.Editor); }

// The crossover constants of the units `UnitsSystem`: displacement to velocity, displacement to
// acceleration (under a square root), velocity to acceleration.
struct Crossover {
    float displacementVelocity;
    float displacementAcceleration;
    float velocityAcceleration;
};
std::optional<Crossover> CrossoverFor(float units) {
    if (units == 0.0f) return Crossover{318.3f, 139.9f, 61.45f};
    if (units == 1.0f) return Crossover{3.183f, 7.117f, 15.92f};
    if (units == 2.0f) return Crossover{3.183f, 22.3f, 156.1f};
    return std::nullopt;
}

// The frequency where a segment of mode `before` at `previous` meets one of mode `mode`
// at `level`; nothing for a pair of equal kinds or with a slope.
std::optional<float> CrossoverFrequency(const Crossover& k, float before, float mode, float previous, float level) {
    constexpr float D = 1.0f;
    constexpr float V = 2.0f;
    constexpr float A = 3.0f;
    if (before == D && mode == V) return k.displacementVelocity * level / previous;
    if (before == V && mode == D) return k.displacementVelocity * previous / level;
    if (before == D && mode == A) return k.displacementAcceleration * std::sqrt(level / previous);
    if (before == A && mode == D) return k.displacementAcceleration * std::sqrt(previous / level);
    if (before == V && mode == A) return k.velocityAcceleration * level / previous;
    if (before == A && mode == V) return k.velocityAcceleration * previous / level;
    return std::nullopt;
}

} // namespace

float CellMode(std::string_view text) {
    const std::size_t start = text.find_first_not_of(' ');
    const std::string_view letter = start == std::string_view::npos ? std::string_view() : text.substr(start);
    if (letter == "D") return 1.0f;
    if (letter == "V") return 2.0f;
    if (letter == "S") return 4.0f;
    return 3.0f;
}

void FillGridFromTable(Controller& c) {
    ProfileEditorState& grid = c.Editor;
    for (int column = 0; column <= LastColumn; ++column)
        grid.Cell(0, column) = Headings[static_cast<std::size_t>(column)];
    const auto legend = LegendLines(c.P[Param::UnitsSystem]);
    for (int row = 1; row <= LastRow; ++row) {
        const BreakpointRow& breakpoint = c.Breakpoints[row];
        grid.Cell(row, 0) = Indent + std::to_string(row);
        grid.Cell(row, 1) = ShownNumber(c, breakpoint.Frequency);
        grid.Cell(row, 2) = ShownMode(breakpoint.Mode);
        grid.Cell(row, 3) = ShownNumber(c, breakpoint.Level);
        grid.Cell(row, 4) = ShownNumber(c, breakpoint.Abort);
        grid.Cell(row, 5) = ShownNumber(c, c.Breakpoints[row + SlopeRowOffset].Level);
        grid.Cell(row, 6) = row <= 4 ? legend[static_cast<std::size_t>(row - 1)] : Indent + breakpoint.Comment;
    }
    grid.text = grid.Cell(LastRow, LastColumn);
    grid.selectedRow = 1;
    grid.selectedColumn = 1;
    Changed(c);
}

void ShowProfileEditor(Controller& c) {
    if (c.Editor.open) {
        ++c.Editor.raiseRequests;
        Changed(c);
        return;
    }
    FillGridFromTable(c);
    c.Editor.open = true;
}

void CloseProfileEditor(Controller& c) {
    if (!c.Editor.open) return;
    c.Editor.open = false;
    Changed(c);
}

void UpdateProfileFromGrid(Controller& c) {
    const ProfileEditorState& grid = c.Editor;
    for (int row = 1; row <= LastRow; ++row) {
        BreakpointRow& breakpoint = c.Breakpoints[row];
        breakpoint.Frequency = CellNumber(grid.Cell(row, 1));
        breakpoint.Mode = CellMode(grid.Cell(row, 2));
        breakpoint.Level = CellNumber(grid.Cell(row, 3));
        breakpoint.Abort = CellNumber(grid.Cell(row, 4));
        c.Breakpoints[row + SlopeRowOffset].Level = CellNumber(grid.Cell(row, 5));
        breakpoint.Comment = grid.Cell(row, 6);
    }
    InitialiseHardware(c);
    c.CurrentFrequency = c.Breakpoints[1].Frequency;
    RefreshPlot(c);
    LogEvent(c, "Profile changed by Update Profile");
}

void ComputeCrossovers(Controller& c) {
    ProfileEditorState& grid = c.Editor;
    const std::optional<Crossover> constants = CrossoverFor(c.P[Param::UnitsSystem]);
    for (int row = 2; row <= 31; ++row) {
        float frequency = CellNumber(grid.Cell(row, 1));
        const float level = std::max(CellNumber(grid.Cell(row, 3)), LevelFloor);
        const float previous = CellNumber(grid.Cell(row - 1, 3));
        // A previous level of 0 or below meets no level of this row: the row keeps its
        // frequency, where the relations would give infinity, 0 or a negative frequency.
        if (constants && previous > 0.0f) {
            const auto crossover = CrossoverFrequency(*constants, CellMode(grid.Cell(row - 1, 2)),
                                                      CellMode(grid.Cell(row, 2)), previous, level);
            if (crossover && std::isfinite(*crossover)) frequency = *crossover;
        }
        grid.Cell(row, 1) = " " + FormatMask(static_cast<double>(frequency), "####.##", c.PromptDecimalPoint);
    }
    Changed(c);
}
