#include "plot/SweepHistory.h"

#include "core/Controller.h"
#include "core/FormatMask.h"
#include "core/NumberText.h"
#include "core/ParameterNames.h"
#include "engine/ChannelMarking.h"

#include <cmath>

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
    if (row == 1) c.HistoryFirstSweep = c.SweepCounter;
    c.HistoryLastSweep = c.SweepCounter;
    MarkHistoryRow(c, row);
    c.HistoryCount += 1;
}
} // namespace

void AppendHistoryPoint(Controller& c) {
    if (HistoryFull(c) || c.HistoryCount < 1) return;
    if (c.LastStoredFrequency < 1.0f) c.LastStoredFrequency = 1.0f;
    float ratio = c.CurrentFrequency / c.LastStoredFrequency;
    if (c.SweepDirection == 2.0f && ratio > 1.01f) StoreRow(c);
    if (HistoryFull(c)) return;
    ratio = c.CurrentFrequency / c.LastStoredFrequency;
    if (c.SweepDirection == 1.0f && ratio < 0.99f) StoreRow(c);
}

bool HistoryFull(const Controller& c) { return c.HistoryCount > HistoryTable::Rows - 1; }

std::string HistoryFullNote(const Controller& c, char point) {
    if (!HistoryFull(c)) return "";
    // Sweeps numbered as the panel's SWEEP# shows them: the whole half-sweep count.
    const auto sweep = [point](float counter) { return GeneralNumber(std::trunc(counter), point); };
    const std::string first = sweep(c.HistoryFirstSweep);
    const std::string last = sweep(c.HistoryLastSweep);
    return " HISTORY FULL: SWEEP# " + first + (last == first ? "" : " TO " + last) + " OF " +
           GeneralNumber(c.P[Param::SweepCount], point) + ", LAST POINT " +
           FormatMask(c.History.at(HistoryTable::Rows - 1, 1), "####.#", point) + " HZ.";
}
