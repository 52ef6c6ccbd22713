#pragma once

#include "files/GridEditing.h"

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

// The cells are edited as every grid is (files/GridEditing.h), on `Controller::Editor`.

// "Update Profile": rows 1..100 into the table (frequency, mode, level, abort, slope
// level into row r + 100, comment as it stands), then the hardware initialised (which
// checks the profile), the frequency at row 1 and the plot redrawn.
void UpdateProfileFromGrid(Controller& c);
// "Breakpoints": the frequency of rows 2..31 rewritten where the segment before and
// the row's own are of different kinds of D, V and A, as the frequency where both
// levels give the same motion in the units `UnitsSystem`; every other row keeps its value.
void ComputeCrossovers(Controller& c);

// The mode of a mode cell: "D", "V" or "S" after leading blanks (case counts), else A.
float CellMode(std::string_view text);
