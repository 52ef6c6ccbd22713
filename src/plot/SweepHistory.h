#pragma once

#include <string>

struct Controller;

// The sweep history the traces are redrawn from and the data file exports: one row
// of frequency, responses, drive and reference per stored sweep point.

// The stored sweep points forgotten: a new trace starts at the lower limit.
void ClearHistory(Controller& c);
// One row of the history each time the frequency has moved more than 1 % in the
// sweep direction since the last stored row; 900 rows at most.
void AppendHistoryPoint(Controller& c);

// Every row taken: the test goes on, but no further point is stored.
bool HistoryFull(const Controller& c);
// What a full history holds, for the data file and the printed page (" HISTORY FULL:
// SWEEP# 1 TO 2 OF 2, LAST POINT 1513.4 HZ."); empty while rows are left.
std::string HistoryFullNote(const Controller& c, char point);
