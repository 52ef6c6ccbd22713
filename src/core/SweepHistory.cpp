#include "core/Controller.h"
#include "core/Steps.h"

void ClearHistory(Controller& c) {
    c.LastStoredFrequency = c.P[1];
    for (int row = 0; row < HistoryTable::Rows; ++row)
        for (int column = 0; column <= 10; ++column) c.History.at(row, column) = 0.0f;
}
