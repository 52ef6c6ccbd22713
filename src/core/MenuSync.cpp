#include "core/MenuSync.h"

#include "core/CheckedConvert.h"
#include "core/Controller.h"

#include <initializer_list>

namespace {
// Checks the item whose value the entry holds and clears the others of its group.
void CheckByValue(Controller& c, float entry, std::initializer_list<std::pair<const char*, float>> items) {
    for (const auto& [name, value] : items) c.Menu.SetChecked(name, entry == value);
}

// Channel k (1..16) of the per-channel arrays lives at index k - 1.
constexpr int CurrentEntries[16] = {11, 12, 41, 42, 75, 76, 77, 78, 111, 112, 113, 114, 115, 116, 117, 118};
constexpr int ResponseEntries[8] = {47, 48, 49, 50, 80, 81, 82, 83};
} // namespace

void SyncMenusToTable(Controller& c) {
    Menus& m = c.Menu;
    const ParameterTable& P = c.P;
    CheckByValue(c, P[0], {{"mnuTestControlManual", 1}, {"mnuTestControlAverage", 2}, {"mnuTestControlExtremal", 3}});
    CheckByValue(c, P[3], {{"mnuSweepTypeLog", 1}, {"mnuSweepTypeLinear", 2}, {"mnuSweepTypeMIL167", 3}});
    CheckByValue(c, P[6], {{"mnuSweepServoRateSlow", 1}, {"mnuSweepServoRateMedium", 2}, {"mnuSweepServoRateFast", 3}});
    for (int k = 0; k < 16; ++k) m.SetChecked("mnuInputsCurrent", k, IsChecked(P[CurrentEntries[k]]));
    CheckByValue(c, P[17], {{"mnuViewDisplayAcc", 1}, {"mnuViewDisplayControl", 2}});
    m.SetChecked("mnuInputsRemote", IsChecked(P[20]));
    CheckByValue(c, P[22], {{"mnuSystemUnitsEnglish", 0}, {"mnuSystemUnitsMetric", 1}, {"mnuSystemUnitsHybrid", 2}});
    m.SetChecked("mnuInputsDllControl", IsOn(P[30]));
    m.SetChecked("mnuTestAutoPrint", IsOn(P[33]));
    m.SetChecked("mnuTestAutoSave", IsOn(P[34]));
    m.SetChecked("mnuTestAutoExport", IsOn(P[60]));
    m.SetChecked("mnuSweepResonanceEnabled", IsOn(P[90]));
    for (int k = 1; k <= 4; ++k) m.SetChecked("mnuTestControlCh" + std::to_string(k), IsChecked(P[42 + k]));
    for (int k = 0; k < 8; ++k) m.SetChecked("mnuViewResponse", k, IsChecked(P[ResponseEntries[k]]));
    CheckByValue(c, P[53], {{"mnuViewPlotColorBlack", 0}, {"mnuViewPlotColorWhite", 1}});
    c.Indicators.SetBackColor("picPlot", IsOn(P[53]) ? 0xFFFFFF : 0x000000);
    CheckByValue(c, P[109], {{"mnuViewChannelsAll", 0}, {"mnuViewChannelsLower", 1}, {"mnuViewChannelsUpper", 2}});
    const long averageMask = RoundToInt<long>(P[55], 0);
    for (int k = 0; k < 8; ++k) m.SetChecked("mnuViewAveResponse", k, ((averageMask >> k) & 1) != 0);
    for (int k = 0; k < 10; ++k) {
        m.SetChecked("mnuViewTransferOut", k, P[56] == static_cast<float>(k + 1));
        m.SetChecked("mnuViewTransferIn", k, P[57] == static_cast<float>(k + 1));
    }
    CheckByValue(c, P[62], {{"mnuSystemSepsEnglish", 0}, {"mnuSystemSepsReversed", 1}});
    // A loaded table brings its own number format.
    c.DecimalSeparator = IsOn(P[62]) ? "," : ".";
    CheckByValue(c, P[65], {{"mnuSystemInterfaceDIO", 0}, {"mnuSystemInterfacePCI", 1}, {"mnuSystemInterfaceUSB", 2}});
    CheckByValue(c, P[68],
                 {{"mnuSystemDetectorMean", 0},
                  {"mnuSystemDetectorPeak", 1},
                  {"mnuSystemDetectorTracking", 2},
                  {"mnuSystemDetectorRms", 3}});

    // Dwell items k = 1..10 follow the number of active dwell points; a negative
    // count leaves them as they are.
    if (P[110] >= 0.0f) {
        for (int k = 1; k <= 10; ++k) {
            const bool enabled = P[110] > 0.0f && static_cast<float>(k) <= P[110];
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
