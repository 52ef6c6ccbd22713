#pragma once

struct Controller;

// The sweep history the traces are redrawn from and the data file exports: one row
// of frequency, responses, drive and reference per stored sweep point.

// The stored sweep points forgotten: a new trace starts at the lower limit.
void ClearHistory(Controller& c);
// One row of the history each time the frequency has moved more than 1 % in the
// sweep direction since the last stored row; 900 rows at most.
void AppendHistoryPoint(Controller& c);
