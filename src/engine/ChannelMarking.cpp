#include "engine/ChannelMarking.h"

#include "core/ChannelMarks.h"
#include "core/Controller.h"
#include "core/LogEvents.h"

#include <cstddef>

void MarkChannels(Controller& c) {
    c.PendingMarks.limiting |= ChannelBit(c.LimitingChannel);
    c.PendingMarks.overload |= c.OverloadMask;
    LogChannelEpisodes(c);
}

void ClearChannelMarks(Controller& c) {
    c.PendingMarks = {};
    c.OverloadSeenMask = 0;
}

void MarkHistoryRow(Controller& c, int row) {
    c.HistoryMarks.at(static_cast<std::size_t>(row)) = c.PendingMarks;
    c.PendingMarks = {};
}
