#pragma once

struct Controller;

// The limit table's editor (Inputs / Limit Channels...): the table as a grid of texts
// in `Controller::LimitEditor`, one limit row a grid row, columns CHANNEL, FREQ.-Hz.,
// MODE (DVA), LEVEL and ABORT dB. The cells are edited as every grid is
// (files/GridEditing.h); only Update Limits takes them over into the table.

// A closed editor opens filled from the table; an open one is only brought forward.
void ShowLimitEditor(Controller& c);
// "  Close": the grid and its edits are dropped.
void CloseLimitEditor(Controller& c);
// "Update Limits": the rows that are not blank, in the grid's order, become the table,
// the hardware is initialised again (a limit channel's input range follows its limits)
// and the plot redrawn with them, unless one breaks a rule of the table: then a message
// names its row and the table stays as it was.
void UpdateLimitsFromGrid(Controller& c);
