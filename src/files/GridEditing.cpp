#include "files/GridEditing.h"

#include "core/EditorGrid.h"
#include "core/NumberText.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr int CommaZone = 10; // a decimal comma is taken only among the first characters

std::string CommasToStops(std::string_view text) {
    std::string converted(text);
    std::replace(converted.begin(), converted.begin() + std::min<std::ptrdiff_t>(CommaZone, std::ssize(converted)), ',',
                 '.');
    return converted;
}

bool IsDigit(char ch) { return std::isdigit(static_cast<unsigned char>(ch)) != 0; }

// The longest start of `text` that reads as a number: sign, digits, a point, digits,
// and an exponent only when digits follow it.
std::string_view NumberPrefix(std::string_view text) {
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at < text.size() && text[at] == '.') ++at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
        std::size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent < text.size() && IsDigit(text[exponent])) {
            while (exponent < text.size() && IsDigit(text[exponent])) ++exponent;
            at = exponent;
        }
    }
    return text.substr(0, at);
}

void LoadSelectedCell(EditorGrid& grid) {
    grid.text = grid.Cell(grid.selectedRow, grid.selectedColumn);
    GridChanged(grid);
}

} // namespace

float CellNumber(std::string_view text) {
    const std::string converted = CommasToStops(text);
    const std::size_t start = converted.find_first_not_of(" \t");
    if (start == std::string::npos) return 0.0f;
    return ParseNumber(NumberPrefix(std::string_view(converted).substr(start))).value_or(0.0f);
}

bool CellIsBlank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

void GridChanged(EditorGrid& grid) { ++grid.revision; }

void SelectCell(EditorGrid& grid, int row, int column) {
    if (row < 1 || row > grid.LastRow() || column < 1 || column > grid.LastColumn()) return;
    grid.selectedRow = row;
    grid.selectedColumn = column;
    LoadSelectedCell(grid);
}

void MoveSelection(EditorGrid& grid, int rows, int columns) {
    SelectCell(grid, std::clamp(grid.selectedRow + rows, 1, grid.LastRow()),
               std::clamp(grid.selectedColumn + columns, 1, grid.LastColumn()));
}

void AcceptCellValue(EditorGrid& grid) {
    grid.Cell(grid.selectedRow, grid.selectedColumn) = GridIndent + CommasToStops(grid.text);
    GridChanged(grid);
}

void AcceptAndMoveDown(EditorGrid& grid) {
    AcceptCellValue(grid);
    MoveSelection(grid, 1, 0);
}

void PasteIntoGrid(EditorGrid& grid, std::string_view block) {
    const char separator = block.find('\t') != std::string_view::npos ? '\t' : ',';
    int row = grid.selectedRow;
    std::size_t at = 0;
    while (at <= block.size() && row <= grid.LastRow()) {
        std::size_t end = block.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = block.size();
        const std::string_view line = block.substr(at, end - at);
        at = end + (block.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (line.empty() && at >= block.size()) break; // the line end of the last line
        int column = grid.selectedColumn;
        std::size_t from = 0;
        while (from <= line.size() && column <= grid.LastColumn()) {
            std::size_t to = line.find(separator, from);
            if (to == std::string_view::npos) to = line.size();
            grid.Cell(row, column) = GridIndent + CommasToStops(line.substr(from, to - from));
            ++column;
            from = to + 1;
        }
        ++row;
    }
    LoadSelectedCell(grid);
}
