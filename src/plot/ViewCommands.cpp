#include "plot/ViewCommands.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "plot/PlotFrame.h"

#include <string>

namespace {

bool Invert(Controller& c, const char* item, int index) {
    const bool ticked = !c.Menu.Checked(item, index);
    c.Menu.SetChecked(item, index, ticked);
    return ticked;
}

// Ticks `index` alone among items 0..9, or unticks it; true when it is now ticked.
bool SelectAlone(Controller& c, const char* item, int index) {
    const bool ticked = !c.Menu.Checked(item, index);
    for (int k = 0; k <= 9; ++k) c.Menu.SetChecked(item, k, k == index && ticked);
    return ticked;
}

} // namespace

void ShowChannelGroup(Controller& c, float group) {
    c.Menu.SetChecked("mnuViewChannelsAll", group == 0.0f);
    c.Menu.SetChecked("mnuViewChannelsLower", group == 1.0f);
    c.Menu.SetChecked("mnuViewChannelsUpper", group == 2.0f);
    c.P[Param::ChannelGroup] = group;
    RefreshPlot(c);
}

void ToggleResponseTrace(Controller& c, int item) {
    if (item < 0 || item > 15) return;
    Invert(c, "mnuViewResponse", item);
    RefreshPlot(c);
}

void ToggleAverageChannel(Controller& c, int item) {
    if (item < 0 || item > 7) return;
    if (Invert(c, "mnuViewAveResponse", item)) c.P[Param::AverageMask] += 1.0f;
    RefreshPlot(c);
}

void ToggleDriveTrace(Controller& c) {
    Invert(c, "mnuViewDrive", -1);
    RefreshPlot(c);
}

void SelectTransferOutput(Controller& c, int item) {
    if (item < 0 || item > 9) return;
    if (SelectAlone(c, "mnuViewTransferOut", item)) c.P[Param::TransferOutput] = static_cast<float>(item + 1);
    RefreshPlot(c);
}

void SelectTransferInput(Controller& c, int item) {
    if (item < 0 || item > 9) return;
    if (SelectAlone(c, "mnuViewTransferIn", item)) c.P[Param::TransferInput] = static_cast<float>(item + 1);
    RefreshPlot(c);
}

void ToggleAbortLimits(Controller& c) { Invert(c, "mnuViewAbort", -1); }

void SetPlotBackground(Controller& c, bool white) {
    c.Indicators.SetBackColor("picPlot", white ? 0xFFFFFF : 0x000000);
    c.P[Param::PlotBackground] = white ? 1.0f : 0.0f;
    RefreshPlot(c);
    c.Menu.SetChecked("mnuViewPlotColorBlack", !white);
    c.Menu.SetChecked("mnuViewPlotColorWhite", white);
}
