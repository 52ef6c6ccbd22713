#include "core/MenuSync.h"

#include "core/CheckedConvert.h"
#include "core/Controller.h"
#include "core/ParameterNames.h"

#include <initializer_list>

namespace {
// Checks the item whose value the entry holds and clears the others of its group.
void CheckByValue(Controller& c, float entry, std::initializer_list<std::pair<const char*, float>> items) {
    for (const auto& [name, value] : items) c.Menu.SetChecked(name, entry == value);
}

// Channel k (1..16) of the per-channel arrays lives at index k - 1.
constexpr int CurrentEntries[16] = {
    Param::InputCurrentCh1,     Param::InputCurrentCh1 + 1, Param::InputCurrentCh3,     Param::InputCurrentCh3 + 1,
    Param::InputCurrentCh5,     Param::InputCurrentCh5 + 1, Param::InputCurrentCh5 + 2, Param::InputCurrentCh5 + 3,
    Param::InputCurrentCh9,     Param::InputCurrentCh9 + 1, Param::InputCurrentCh9 + 2, Param::InputCurrentCh9 + 3,
    Param::InputCurrentCh9 + 4, Param::InputCurrentCh9 + 5, Param::InputCurrentCh9 + 6, Param::InputCurrentCh9 + 7};
constexpr int ResponseEntries[8] = {
    Param::ResponseShownCh1, Param::ResponseShownCh1 + 1, Param::ResponseShownCh1 + 2, Param::ResponseShownCh1 + 3,
    Param::ResponseShownCh5, Param::ResponseShownCh5 + 1, Param::ResponseShownCh5 + 2, Param::ResponseShownCh5 + 3};
} // namespace

void SyncMenusToTable(Controller& c) {
    Menus& m = c.Menu;
    const ParameterTable& P = c.P;
    CheckByValue(c, P[Param::ControlStrategy],
                 {{"mnuTestControlManual", 1}, {"mnuTestControlAverage", 2}, {"mnuTestControlExtremal", 3}});
    CheckByValue(c, P[Param::SweepType],
                 {{"mnuSweepTypeLog", 1}, {"mnuSweepTypeLinear", 2}, {"mnuSweepTypeMIL167", 3}});
    CheckByValue(c, P[Param::ServoRate],
                 {{"mnuSweepServoRateSlow", 1}, {"mnuSweepServoRateMedium", 2}, {"mnuSweepServoRateFast", 3}});
    for (int k = 0; k < 16; ++k) m.SetChecked("mnuInputsCurrent", k, IsChecked(P[CurrentEntries[k]]));
    CheckByValue(c, P[Param::ResponseDisplay], {{"mnuViewDisplayAcc", 1}, {"mnuViewDisplayControl", 2}});
    m.SetChecked("mnuInputsRemote", IsChecked(P[Param::RemoteInputs]));
    CheckByValue(c, P[Param::UnitsSystem],
                 {{"mnuSystemUnitsEnglish", 0}, {"mnuSystemUnitsMetric", 1}, {"mnuSystemUnitsHybrid", 2}});
    m.SetChecked("mnuInputsDllControl", IsOn(P[Param::RemoteControlFile]));
    m.SetChecked("mnuTestAutoPrint", IsOn(P[Param::AutoPrint]));
    m.SetChecked("mnuTestAutoSave", IsOn(P[Param::AutoSave]));
    m.SetChecked("mnuTestAutoExport", IsOn(P[Param::AutoExport]));
    m.SetChecked("mnuSweepResonanceEnabled", IsOn(P[Param::ResonanceSearch]));
    for (int k = 1; k <= 4; ++k)
        m.SetChecked("mnuTestControlCh" + std::to_string(k), IsChecked(P[Param::ControlCh1 + (k - 1)]));
    for (int k = 0; k < 8; ++k) m.SetChecked("mnuViewResponse", k, IsChecked(P[ResponseEntries[k]]));
    CheckByValue(c, P[Param::PlotBackground], {{"mnuViewPlotColorBlack", 0}, {"mnuViewPlotColorWhite", 1}});
    c.Indicators.SetBackColor("picPlot", IsOn(P[Param::PlotBackground]) ? 0xFFFFFF : 0x000000);
    CheckByValue(c, P[Param::ChannelGroup],
                 {{"mnuViewChannelsAll", 0}, {"mnuViewChannelsLower", 1}, {"mnuViewChannelsUpper", 2}});
    const long averageMask = RoundToInt<long>(P[Param::AverageMask], 0);
    for (int k = 0; k < 8; ++k) m.SetChecked("mnuViewAveResponse", k, ((averageMask >> k) & 1) != 0);
    for (int k = 0; k < 10; ++k) {
        m.SetChecked("mnuViewTransferOut", k, P[Param::TransferOutput] == static_cast<float>(k + 1));
        m.SetChecked("mnuViewTransferIn", k, P[Param::TransferInput] == static_cast<float>(k + 1));
    }
    CheckByValue(c, P[Param::NumberSeparators], {{"mnuSystemSepsEnglish", 0}, {"mnuSystemSepsReversed", 1}});
    // A loaded table brings its own number format.
    c.DecimalSeparator = IsOn(P[Param::NumberSeparators]) ? "," : ".";
    CheckByValue(c, P[Param::AcquisitionInterface],
                 {{"mnuSystemInterfaceDIO", 0}, {"mnuSystemInterfacePCI", 1}, {"mnuSystemInterfaceUSB", 2}});
    CheckByValue(c, P[Param::AmplitudeDetector],
                 {{"mnuSystemDetectorMean", 0},
                  {"mnuSystemDetectorPeak", 1},
                  {"mnuSystemDetectorTracking", 2},
                  {"mnuSystemDetectorRms", 3}});

    // Dwell items k = 1..10 follow the number of active dwell points; a negative
    // count leaves them as they are.
    if (P[Param::DwellPoints] >= 0.0f) {
        for (int k = 1; k <= 10; ++k) {
            const bool enabled = P[Param::DwellPoints] > 0.0f && static_cast<float>(k) <= P[Param::DwellPoints];
            m.SetEnabled("mnuSweepDwellFreq", k - 1, enabled);
            m.SetEnabled("mnuSweepDwellTime", k - 1, enabled);
        }
    }

    m.SetChecked("mnuRunDemo", false);
    if (IsOn(c.DemoMode)) {
        m.SetChecked("mnuRunDemo", true);
        c.EightChannelMode = 1;
        for (int k = 0; k < 8; ++k) m.SetChecked("mnuViewResponse", k, true);
    }
}
