#include "core/SetupMenus.h"

#include "core/Controller.h"
#include "core/MeasurableBand.h"
#include "core/MenuSync.h"
#include "core/NumberText.h"
#include "core/ParameterNames.h"
#include "core/PromptNumber.h"
#include "core/RunCommands.h"
#include "core/StoredText.h"
#include "core/UnitsConversion.h"
#include "hardware/BoardLayer.h"
#include "plot/PlotFrame.h"

#include <cmath>
#include <functional>
#include <map>
#include <optional>

namespace {

// ------------------------------------------------------------------ prompts

std::optional<float> AskNumber(Controller& c, const std::string& title, const std::string& prompt,
                               std::optional<float> shown) {
    const std::string defaultText = shown && std::isfinite(*shown) ? PromptDefault(c, *shown) : "";
    return ReadPromptNumber(c, c.ports.dialogs->InputBox(prompt, title, defaultText));
}

void OutOfBounds(Controller& c, const std::string& text) {
    c.ports.dialogs->MessageBox(text, "Out Of Bounds", MessageButtons::Ok, MessageIcon::None);
}

void Caution(Controller& c, const std::string& text) {
    c.ports.dialogs->MessageBox(text, "CAUTION", MessageButtons::Ok, MessageIcon::None);
}

constexpr const char* SweepTitle = "Setup Sweep Parameters";
constexpr const char* BelowFirstPoint = "WARNING the number is less than the first point in the profile.";
constexpr const char* AboveLastPoint = "WARNING: the Upper Limit is greater than the last point in the profile.";
constexpr const char* AtMostTenThousand = "The Number must be less than or equal to 10,000.";
// The sweep's upper limit: Band::HighestFrequency.
constexpr const char* AtMostHighestMeasurable = "The Number must be less than or equal to 5,110.";

// A lower frequency limit (entry `lower`, its upper limit at lower + 1): an error below
// `lowest` or at or above the upper limit, a caution below the profile's start.
void EnterLowerFrequency(Controller& c, int lower, const std::string& prompt, float lowest, const std::string& tooLow) {
    const auto value = AskNumber(c, SweepTitle, prompt, c.P[lower]);
    if (!value) return;
    if (*value < lowest) OutOfBounds(c, tooLow);
    const bool belowUpper = *value < c.P[lower + 1];
    if (*value >= lowest && !belowUpper) OutOfBounds(c, "The Number must be less than the Upper Limit");
    if (*value < c.Breakpoints[1].Frequency) Caution(c, BelowFirstPoint);
    if (*value >= lowest && belowUpper) c.P[lower] = *value;
}

// An upper frequency limit (entry `upper`, its lower limit at upper - 1): an error above
// `highest` or at or below the lower limit, a caution above the profile's end.
void EnterUpperFrequency(Controller& c, int upper, const std::string& prompt, float highest,
                         const std::string& tooHigh) {
    const auto value = AskNumber(c, SweepTitle, prompt, c.P[upper]);
    if (!value) return;
    const bool aboveLower = *value > c.P[upper - 1];
    if (*value > highest) OutOfBounds(c, tooHigh);
    if (!aboveLower) OutOfBounds(c, "The Number must be greater than the Lower Limit");
    if (*value > c.ProfileLastFrequency) Caution(c, AboveLastPoint);
    if (*value <= highest && aboveLower) c.P[upper] = *value;
}

// A prompt stored when `accept` holds; a value it refuses is told with `refusal` when
// the prompt states its range, and passes in silence when it does not.
void EnterEntry(Controller& c, int entry, const std::string& title, const std::string& prompt,
                const std::function<bool(float)>& accept, const std::string& refusal = "") {
    const auto value = AskNumber(c, title, prompt, c.P[entry]);
    if (!value) return;
    if (accept(*value)) {
        c.P[entry] = *value;
    } else if (!refusal.empty()) {
        OutOfBounds(c, refusal);
    }
}

// ------------------------------------------------------------------ Sweep Setup

const char* const RatePrompts[] = {
    "Enter the sweep rate in Octaves/minute. Octaves can be calculated with the formula Oct = 1.443*Ln(UL/LL) or "
    "3.322 Log(UL/LL), where UL is the Upper Limit and LL is the lower limit. The Rate is then the number of "
    "octaves divided by the time T desired for a sweep up or down in minutes",
    "Enter the sweep rate in Hertz/Second. It can be calculated by the formula Rate = T/(UL-LL), where T is the "
    "time desired for a sweep up or down in seconds, UL is the Upper Limit, and LL is the Lower Limit. ",
    "Enter the sweep frequency step in Hertz/X minutes here; enter the dwell period X in the SWEEP "
    "SETUP|RATE|TIME menu",
};
constexpr const char* MilDwellPrompt =
    "Enter the sweep dwell period in Minutes here; enter the sweep frequency step in the SWEEP RATE|RATE|RATE menu";

void EnterRate(Controller& c) {
    const int type = c.P[Param::SweepType] == 2.0f ? 1 : c.P[Param::SweepType] == 3.0f ? 2 : 0;
    EnterEntry(c, Param::SweepRate, SweepTitle, RatePrompts[type], [](float v) { return v >= 0.01f; });
}

void EnterRateTime(Controller& c) {
    if (c.P[Param::SweepType] == 3.0f) {
        EnterEntry(c, Param::StepDwellMinutes, SweepTitle, MilDwellPrompt, [](float v) { return v >= 0.01f; });
        return;
    }
    const bool linear = c.P[Param::SweepType] == 2.0f;
    // The sweep's span: octaves for a logarithmic sweep, hertz for a linear one.
    const float span = linear ? c.P[Param::UpperLimit] - c.P[Param::LowerLimit]
                              : 1.443f * std::log(c.P[Param::UpperLimit] / c.P[Param::LowerLimit]);
    const auto value = AskNumber(c, SweepTitle,
                                 linear ? "Enter the time desired for a sweep up or down in seconds."
                                        : "Enter the time T desired for a sweep up or down in minutes.",
                                 span / c.P[Param::SweepRate]);
    if (!value || *value < 0.1f) return;
    const float rate = span / *value;
    if (std::isfinite(rate)) c.P[Param::SweepRate] = rate;
}

void CheckOneOf(Controller& c, std::initializer_list<const char*> items, const char* chosen) {
    for (const char* item : items) c.Menu.SetChecked(item, std::string(item) == chosen);
}

void ChooseSweepType(Controller& c, float type, const char* item) {
    c.P[Param::SweepType] = type;
    CheckOneOf(c, {"mnuSweepTypeLog", "mnuSweepTypeLinear", "mnuSweepTypeMIL167"}, item);
}

void ChooseServoRate(Controller& c, float rate, const char* item) {
    c.P[Param::ServoRate] = rate;
    CheckOneOf(c, {"mnuSweepServoRateSlow", "mnuSweepServoRateMedium", "mnuSweepServoRateFast"}, item);
}

// A switch item whose tick writes `on` or `off` into its entry.
void ToggleSwitch(Controller& c, const char* item, int entry, float on, float off) {
    const bool checked = !c.Menu.Checked(item);
    c.Menu.SetChecked(item, checked);
    c.P[entry] = checked ? on : off;
}

void EnterActiveDwellPoints(Controller& c) {
    const auto value =
        AskNumber(c, "Dwell Setup", "Enter the # of Active Dwell Points between 0 and 10", c.P[Param::DwellPoints]);
    if (!value) return;
    if (*value < 0.0f || *value > 10.0f) OutOfBounds(c, "The Number must be between 0 and 10");
    if (*value < 0.0f || *value > 10.0f) return;
    c.P[Param::DwellPoints] = *value;
    SyncMenusToTable(c);
}

void EnterDwellFrequency(Controller& c, int index) {
    if (index < 0 || index > 9) return;
    const int point = index == 1 ? 2 : 1; // points 3 to 10 share the first point's text
    BreakpointRow& row = c.Breakpoints[101 + index];
    const auto value = AskNumber(
        c, "Dwell Frequency Setup",
        "Enter Dwell Point #" + std::to_string(point) + " Frequency between the Lower & Upper Limits", row.Frequency);
    if (!value) return;
    if (*value <= c.P[Param::LowerLimit]) OutOfBounds(c, "The Number must be greater than the Lower Limit");
    if (*value >= c.P[Param::UpperLimit]) OutOfBounds(c, "The Number must be less than the Upper Limit");
    if (*value > c.P[Param::LowerLimit] && *value < c.P[Param::UpperLimit] && *value >= 5.0f) row.Frequency = *value;
}

void EnterDwellTime(Controller& c, int index) {
    if (index < 0 || index > 9) return;
    BreakpointRow& row = c.Breakpoints[101 + index];
    const auto value =
        AskNumber(c, "Dwell Duration Setup",
                  "Enter Dwell Point #" + std::to_string(index + 1) + " Time Duration in seconds", row.Mode);
    if (!value) return;
    if (*value < 0.01f) {
        OutOfBounds(c, "The Number must be greater than 0.01 seconds");
        return;
    }
    row.Mode = *value;
}

// ------------------------------------------------------------------ System

bool MetricUnits(const Controller& c) { return c.P[Param::UnitsSystem] == 1.0f; }

void EnterSystemLimit(Controller& c, int entry, const std::string& title, const std::string& english,
                      const std::string& metric) {
    if (c.P[Param::UnitsSystem] == 2.0f) return; // Hybrid limits come from the units conversion alone
    EnterEntry(c, entry, title, MetricUnits(c) ? metric : english, [](float v) { return v > 1.0f; });
}

void ChooseInterface(Controller& c, float interface, const char* item) {
    // Nothing reaches the boards once another interface is chosen: the drive latched on
    // the shaker now would stay there with no loop behind it. The servo stops and the
    // boards are made safe first; they stay open for a return to this interface.
    if (BoardPathActive(c) && interface != c.P[Param::AcquisitionInterface]) {
        StopServo(c);
        MakeBoardsSafe(c, false);
    }
    c.P[Param::AcquisitionInterface] = interface;
    CheckOneOf(c, {"mnuSystemInterfaceDIO", "mnuSystemInterfacePCI", "mnuSystemInterfaceUSB"}, item);
}

void ChooseDetector(Controller& c, float detector, const char* item) {
    c.P[Param::AmplitudeDetector] = detector;
    CheckOneOf(c,
               {"mnuSystemDetectorMean", "mnuSystemDetectorPeak", "mnuSystemDetectorTracking", "mnuSystemDetectorRms"},
               item);
}

void ChooseSeparators(Controller& c, bool reversed) {
    c.Menu.SetChecked("mnuSystemSepsEnglish", !reversed);
    c.Menu.SetChecked("mnuSystemSepsReversed", reversed);
    const float wanted = reversed ? 1.0f : 0.0f;
    if (c.P[Param::NumberSeparators] != wanted) {
        c.P[Param::NumberSeparators] = wanted;
        c.DecimalSeparator = reversed ? "," : ".";
    }
    if (reversed)
        c.ports.dialogs->MessageBox(" Numbers may be displayed differently depending on Windows Regional Settings",
                                    " Information", MessageButtons::Ok, MessageIcon::None);
}

void ChooseUnits(Controller& c, int units) {
    ConvertUnits(c, units);
    // The ticks follow the units in force: a refused conversion leaves them on the old units,
    // so the menu never claims a units system the stored levels are not in.
    const char* const items[] = {"mnuSystemUnitsEnglish", "mnuSystemUnitsMetric", "mnuSystemUnitsHybrid"};
    for (int k = 0; k < 3; ++k) c.Menu.SetChecked(items[k], c.P[Param::UnitsSystem] == static_cast<float>(k));
}

// ------------------------------------------------------------------ Inputs and Test Setup

void EnterSensitivity(Controller& c, int index) {
    if (index < 0 || index > 15) return;
    constexpr int Entries[16] = {
        Param::SensitivityCh1,     Param::SensitivityCh1 + 1, Param::SensitivityCh3,     Param::SensitivityCh3 + 1,
        Param::SensitivityCh5,     Param::SensitivityCh5 + 1, Param::SensitivityCh5 + 2, Param::SensitivityCh5 + 3,
        Param::SensitivityCh9,     Param::SensitivityCh9 + 1, Param::SensitivityCh9 + 2, Param::SensitivityCh9 + 3,
        Param::SensitivityCh9 + 4, Param::SensitivityCh9 + 5, Param::SensitivityCh9 + 6, Param::SensitivityCh9 + 7};
    const int entry = Entries[index];
    const auto value = AskNumber(
        c, "Setup Inputs", "Enter Channel #" + std::to_string(index + 1) + " Sensitivity in MV/G between 5.0 and 1000.",
        c.P[entry]);
    if (!value) return;
    if (*value < 5.0f) OutOfBounds(c, "The Number must be 5.0 or greater.");
    if (*value > 1000.0f) OutOfBounds(c, "The Number must be between 5.0 and 1000.");
    if (*value >= 5.0f && *value <= 1000.0f) c.P[entry] = *value;
    // The gains follow the sensitivities, so the boards start again whatever was stored.
    InitialiseHardware(c);
}

// A text prompt: stored when not empty, cut to what the files keep.
void EnterText(Controller& c, const std::string& title, const std::string& prompt, std::string& target) {
    const std::string answer =
        FirstCharacters(StorableText(c.ports.dialogs->InputBox(prompt, title, target)), LongestStoredText);
    if (!answer.empty()) target = answer;
}

void EnterTestTitle(Controller& c) {
    std::string title = c.Indicators.Item("lblTestTitle").text;
    EnterText(c, "Test Title", "Enter a new Test title", title);
    c.Indicators.SetText("lblTestTitle", title);
}

void EnterAbortLimit(Controller& c) {
    const auto value = AskNumber(c, " Test Abort Limits",
                                 " Enter a uniform Abort Limit for the entire profile In Db. Use Modify Profile to "
                                 "enter individual abort segments.",
                                 c.P[Param::AbortLimit]);
    if (!value || *value == c.P[Param::AbortLimit]) return;
    c.P[Param::AbortLimit] = *value;
    for (int row = 0; row <= 64; ++row) c.Breakpoints[row].Abort = c.P[Param::AbortLimit];
    RefreshPlot(c);
}

void ToggleControlChannel(Controller& c, int channel) {
    const std::string item = "mnuTestControlCh" + std::to_string(channel);
    const bool checked = !c.Menu.Checked(item);
    c.Menu.SetChecked(item, checked);
    c.P[Param::ControlCh1 + (channel - 1)] = checked ? 2.0f : 1.0f;
}

using Command = std::function<void(Controller&, int)>;

Command Plain(void (*command)(Controller&)) {
    return [command](Controller& c, int) { command(c); };
}

const std::map<std::string, Command>& SetupCommands() {
    static const std::map<std::string, Command> commands = {
        // Sweep Setup
        {"mnuSweepLL",
         [](Controller& c, int) {
             EnterLowerFrequency(c, Param::LowerLimit, "Enter the Lower Frequency Limit in Hz.", Band::LowestFrequency,
                                 "The Number must be 1.0 or greater.");
         }},
        {"mnuSweepUL",
         [](Controller& c, int) {
             EnterUpperFrequency(c, Param::UpperLimit, "Enter the Upper Frequency Limit in Hz.", Band::HighestFrequency,
                                 AtMostHighestMeasurable);
         }},
        {"mnuSweepNo",
         [](Controller& c, int) {
             EnterEntry(c, Param::SweepCount, SweepTitle, "Enter the total # of sweep cycles",
                        [](float v) { return v > 0.0f; });
         }},
        {"mnuSweepRateRate", Plain(EnterRate)},
        {"mnuSweepRateTime", Plain(EnterRateTime)},
        {"mnuSweepTypeLog", [](Controller& c, int) { ChooseSweepType(c, 1.0f, "mnuSweepTypeLog"); }},
        {"mnuSweepTypeLinear", [](Controller& c, int) { ChooseSweepType(c, 2.0f, "mnuSweepTypeLinear"); }},
        {"mnuSweepTypeMIL167", [](Controller& c, int) { ChooseSweepType(c, 3.0f, "mnuSweepTypeMIL167"); }},
        {"mnuSweepServoRateSlow", [](Controller& c, int) { ChooseServoRate(c, 1.0f, "mnuSweepServoRateSlow"); }},
        {"mnuSweepServoRateMedium", [](Controller& c, int) { ChooseServoRate(c, 2.0f, "mnuSweepServoRateMedium"); }},
        {"mnuSweepServoRateFast", [](Controller& c, int) { ChooseServoRate(c, 3.0f, "mnuSweepServoRateFast"); }},
        {"mnuSweepResonanceEnabled",
         [](Controller& c, int) { ToggleSwitch(c, "mnuSweepResonanceEnabled", Param::ResonanceSearch, 1.0f, 0.0f); }},
        {"mnuSweepResonanceLL",
         [](Controller& c, int) {
             EnterLowerFrequency(c, Param::ResonanceLower,
                                 "Enter the Resonance Search Band Lower Frequency Limit in Hz.", 10.0f,
                                 "The Number must be 10 or greater.");
         }},
        {"mnuSweepResonanceUL",
         [](Controller& c, int) {
             EnterUpperFrequency(c, Param::ResonanceUpper,
                                 "Enter the Resonance Search Band Upper Frequency Limit in Hz.", 10000.0f,
                                 AtMostTenThousand);
         }},
        {"mnuSweepDwellActive", Plain(EnterActiveDwellPoints)},
        {"mnuSweepDwellFreq", EnterDwellFrequency},
        {"mnuSweepDwellTime", EnterDwellTime},
        // System
        {"mnuSystemUpdate",
         [](Controller& c, int) {
             EnterEntry(
                 c, Param::UpdateRate, "ZEK-8 Update Rate",
                 "Enter the system update rate in samples/second.\r\nThe default value is 50 for faster computers",
                 [](float v) { return v > 1.0f; });
         }},
        {"mnuSystemMaxD",
         [](Controller& c, int) {
             EnterSystemLimit(c, Param::MaxDisplacement, " Setup Maximum Displacement Limit",
                              " Enter the maximum allowable system displacement in mils-peak-peak.",
                              " Enter the maximum allowable system displacement in MM-peak-peak.");
         }},
        {"mnuSystemMaxV",
         [](Controller& c, int) {
             EnterSystemLimit(c, Param::MaxVelocity, " Setup Maximum Velocity Limit",
                              " Enter the maximum allowable system velocity in IPS-peak.",
                              " Enter the maximum allowable system velocity in CM/Sec-peak.");
         }},
        {"mnuSystemMaxA",
         [](Controller& c, int) {
             EnterSystemLimit(c, Param::MaxAcceleration, " Setup Maximum Acceleration Limit",
                              " Enter the maximum allowable system acceleration in G-peak.",
                              " Enter the maximum allowable system acceleration in M/Sec^2.");
         }},
        {"mnuSystemLowGain",
         [](Controller& c, int) {
             if (c.P[Param::LowGainTrip] < 1.0f) c.P[Param::LowGainTrip] = 20.0f;
             EnterEntry(
                 c, Param::LowGainTrip, " Low Gain Trip Point",
                 " Enter the Low-Gain trip point in Db. greater than 1.0. Low-Gain is defined as the "
                 "compression point where at least 0.25 G feedback is expected.",
                 [](float v) { return v > 1.0f; }, "The Number must be greater than 1.0");
         }},
        {"mnuSystemOpenLoop",
         [](Controller& c, int) {
             if (c.P[Param::OpenLoopTrip] < 0.1f) c.P[Param::OpenLoopTrip] = 0.5f;
             EnterEntry(
                 c, Param::OpenLoopTrip, " Open-Loop Trip Point",
                 " Enter the Open-Loop trip point in Db. greater than 0.1. Open-Loop is defined as the "
                 "minimum compression point.",
                 [](float v) { return v > 0.1f; }, "The Number must be greater than 0.1");
         }},
        {"mnuSystemManualSteps",
         [](Controller& c, int) {
             if (c.P[Param::ManualStep] == 0.0f) c.P[Param::ManualStep] = 0.1f;
             EnterEntry(c, Param::ManualStep, " Setup Manual Mode stepsize",
                        " Enter the Manual Mode Level step size multiplier", [](float v) { return v > 0.0f; });
         }},
        {"mnuSystemInterfaceDIO", [](Controller& c, int) { ChooseInterface(c, 0.0f, "mnuSystemInterfaceDIO"); }},
        {"mnuSystemInterfacePCI", [](Controller& c, int) { ChooseInterface(c, 1.0f, "mnuSystemInterfacePCI"); }},
        {"mnuSystemInterfaceUSB", [](Controller& c, int) { ChooseInterface(c, 2.0f, "mnuSystemInterfaceUSB"); }},
        {"mnuSystemSepsEnglish", [](Controller& c, int) { ChooseSeparators(c, false); }},
        {"mnuSystemSepsReversed", [](Controller& c, int) { ChooseSeparators(c, true); }},
        {"mnuSystemDetectorMean", [](Controller& c, int) { ChooseDetector(c, 0.0f, "mnuSystemDetectorMean"); }},
        {"mnuSystemDetectorPeak", [](Controller& c, int) { ChooseDetector(c, 1.0f, "mnuSystemDetectorPeak"); }},
        {"mnuSystemDetectorTracking", [](Controller& c, int) { ChooseDetector(c, 2.0f, "mnuSystemDetectorTracking"); }},
        {"mnuSystemDetectorRms", [](Controller& c, int) { ChooseDetector(c, 3.0f, "mnuSystemDetectorRms"); }},
        {"mnuSystemUnitsEnglish", [](Controller& c, int) { ChooseUnits(c, 0); }},
        {"mnuSystemUnitsMetric", [](Controller& c, int) { ChooseUnits(c, 1); }},
        {"mnuSystemUnitsHybrid", [](Controller& c, int) { ChooseUnits(c, 2); }},
        // Inputs
        {"mnuInputsSens", EnterSensitivity},
        {"mnuInputsAccelModel",
         [](Controller& c, int) {
             EnterText(c, "Accelerometer Model #", "Enter the accelerometer model #", c.AccelModel);
         }},
        {"mnuInputsAccelSerial",
         [](Controller& c, int) {
             EnterText(c, "Accelerometer Serial #", "Enter the accelerometer serial #", c.AccelSerial);
         }},
        // Test Setup
        {"mnuTestAlarm", Plain(EnterAbortLimit)},
        {"mnuTestTitle", Plain(EnterTestTitle)},
        {"mnuTestSubTitle1",
         [](Controller& c, int) {
             EnterText(c, "Test Title", "Enter a new Test SubTitle1, below the test title", c.SubTitle1);
         }},
        {"mnuTestSubTitle2",
         [](Controller& c, int) {
             EnterText(c, "Test Title", "Enter a new Test SubTitle2, below SubTitle1", c.SubTitle2);
         }},
        {"mnuTestAutoPrint",
         [](Controller& c, int) { ToggleSwitch(c, "mnuTestAutoPrint", Param::AutoPrint, 1.0f, 0.0f); }},
        {"mnuTestAutoSave",
         [](Controller& c, int) { ToggleSwitch(c, "mnuTestAutoSave", Param::AutoSave, 1.0f, 0.0f); }},
        {"mnuTestAutoExport",
         [](Controller& c, int) { ToggleSwitch(c, "mnuTestAutoExport", Param::AutoExport, 1.0f, 0.0f); }},
        {"mnuTestControlCh1", [](Controller& c, int) { ToggleControlChannel(c, 1); }},
        {"mnuTestControlCh2", [](Controller& c, int) { ToggleControlChannel(c, 2); }},
        {"mnuTestControlCh3", [](Controller& c, int) { ToggleControlChannel(c, 3); }},
        {"mnuTestControlCh4", [](Controller& c, int) { ToggleControlChannel(c, 4); }},
    };
    return commands;
}

} // namespace

bool RunSetupCommand(Controller& c, const std::string& name, int index) {
    const auto found = SetupCommands().find(name);
    if (found == SetupCommands().end()) return false;
    found->second(c, index);
    return true;
}
