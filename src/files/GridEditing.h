#pragma once

#include <string>
#include <string_view>

struct EditorGrid;

// What an editor's grid does with the operator's keys, clicks and pastes, the same in
// every editor window: the profile editor and the limit table.

// Two blanks stand before every value a grid shows or takes.
inline constexpr const char* GridIndent = "  ";

// A click on a cell of rows 1.., columns 1..: selected, its text in the edit box.
void SelectCell(EditorGrid& grid, int row, int column);
// The selection moved by rows and columns (the arrow keys), kept within the grid.
void MoveSelection(EditorGrid& grid, int rows, int columns);
// " Accept Value": the edit box's text, its commas among the first 10 characters made
// full stops, into the selected cell after two blanks.
void AcceptCellValue(EditorGrid& grid);
// Enter in the edit box: accepted, and the cell below selected.
void AcceptAndMoveDown(EditorGrid& grid);
// A block copied from a spreadsheet: lines of tab-separated cells (comma-separated
// when no line holds a tab), put into the grid from the selected cell on, each as
// Accept puts it; what falls outside the grid is left out.
void PasteIntoGrid(EditorGrid& grid, std::string_view block);
// The grid changed in a way its window has to show.
void GridChanged(EditorGrid& grid);

// The reading of a number cell: commas among the first 10 characters are full stops,
// leading blanks are skipped, and reading stops at the first character that cannot
// continue a number. No number, or one beyond single precision, reads as 0.
float CellNumber(std::string_view text);
// A cell that holds nothing but blanks.
bool CellIsBlank(std::string_view text);
