#pragma once

#include <string>
#include <string_view>

struct Controller;

// The profile editor (window frmProfile, "Modify Profile"): the first 100 rows of the
// breakpoint table as a grid of texts in `Controller::Editor`, edited cell by cell and
// taken over into the table only by Update Profile.

// Test Setup / Modify Profile and New Profile: a closed editor opens with the grid
// filled from the table; an open one is only brought forward, its grid kept.
void ShowProfileEditor(Controller& c);
// "  Close": the grid and its edits are dropped.
void CloseProfileEditor(Controller& c);

// The grid from the table: headings, row numbers, and for rows 1..100 two blanks
// before each value (the general number format with the desktop's decimal point),
// the mode letter ("  D", "  V", "  A", "  S", four blanks for another mode), the
// slope level of row r + 100 and the comment, or the units legend in rows 1..4. The
// edit box takes the last cell filled; row 1, column 1 is selected.
void FillGridFromTable(Controller& c);

// A click on a cell of rows 1..100, columns 1..6: selected, its text in the edit box.
void SelectCell(Controller& c, int row, int column);
// The selection moved by rows and columns (the arrow keys), kept within the grid.
void MoveSelection(Controller& c, int rows, int columns);
// " Accept Value": the edit box's text, its commas among the first 10 characters made
// full stops, into the selected cell after two blanks.
void AcceptCellValue(Controller& c);
// Enter in the edit box: accepted, and the cell below selected.
void AcceptAndMoveDown(Controller& c);
// A block copied from a spreadsheet: lines of tab-separated cells (comma-separated
// when no line holds a tab), put into the grid from the selected cell on, each as
// Accept puts it; what falls outside the grid is left out.
void PasteIntoGrid(Controller& c, std::string_view block);

// "Update Profile": rows 1..100 into the table (frequency, mode, level, abort, slope
// level into row r + 100, comment as it stands), then the hardware initialised (which
// checks the profile), the frequency at row 1 and the plot redrawn.
void UpdateProfileFromGrid(Controller& c);
// "Breakpoints": the frequency of rows 2..31 rewritten where the segment before and
// the row's own are of different kinds of D, V and A, as the frequency where both
// levels give the same motion in the units `UnitsSystem`; every other row keeps its value.
void ComputeCrossovers(Controller& c);

// The reading of a number cell: commas among the first 10 characters are full stops,
// leading blanks are skipped, and reading stops at the first character that cannot
// continue a number. No number, or one beyond single precision, reads as 0.
float CellNumber(std::string_view text);
// The mode of a mode cell: "D", "V" or "S" after leading blanks (case counts), else A.
float CellMode(std::string_view text);
