#pragma once

struct Controller;

// The marks the export keeps of what the channels did: each history row carries the
// channels that limited and those that overloaded in the cycles since the row before.

// The cycle's step after the alarms: this cycle's limiting channel and overloaded
// channels join the marks the next history row will carry.
void MarkChannels(Controller& c);
// A new test: no marks pending and no channel overloaded yet.
void ClearChannelMarks(Controller& c);
// A history row stored: it takes the pending marks.
void MarkHistoryRow(Controller& c, int row);
