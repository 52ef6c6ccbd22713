#include "plot/SweepHistory.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"

void ClearHistory(Controller& c) {
    // The 1 % rule counts from where the test starts: the lower limit, or the upper
    // limit for a test that starts there and sweeps down.
    c.LastStoredFrequency =
        c.CurrentFrequency == c.P[Param::UpperLimit] ? c.P[Param::UpperLimit] : c.P[Param::LowerLimit];
    // Every column: no value of an earlier test may be read as this one's.
    for (auto& row : c.History.cells) row.fill(0.0f);
}

namespace {
void StoreRow(Controller& c) {
    const int row = c.HistoryCount;
    c.History.at(row, 1) = c.CurrentFrequency;
    for (int k = 1; k <= 8; ++k) c.History.at(row, 1 + k) = c.ChannelResponse[static_cast<std::size_t>(k)];
    c.History.at(row, 10) = c.DriveOutput;
    c.History.at(row, 11) = c.ReferenceLevel;
    for (int k = 9; k <= 16; ++k) c.History.at(row, 4 + k) = c.ChannelResponse[static_cast<std::size_t>(k)];
    c.LastStoredFrequency = c.CurrentFrequency;
    c.HistoryCount += 1;
}
} // namespace

void AppendHistoryPoint(Controller& c) {
    if (c.HistoryCount > HistoryTable::Rows - 1 || c.HistoryCount < 1) return;
    if (c.LastStoredFrequency < 1.0f) c.LastStoredFrequency = 1.0f;
    float ratio = c.CurrentFrequency / c.LastStoredFrequency;
    if (c.SweepDirection == 2.0f && ratio > 1.01f) StoreRow(c);
    if (c.HistoryCount > HistoryTable::Rows - 1) return;
    ratio = c.CurrentFrequency / c.LastStoredFrequency;
    if (c.SweepDirection == 1.0f && ratio < 0.99f) StoreRow(c);
}
