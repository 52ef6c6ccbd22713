#include "files/ProfileValues.h"

#include "core/Controller.h"
#include "core/Defaults.h"
#include "core/MeasurableBand.h"
#include "core/NumberText.h"
#include "core/ParameterNames.h"
#include "files/ProfileFile.h"

#include <cmath>

namespace {

// The enumerated entries, each with the whole numbers first..last it may hold.
struct ValueSet {
    int entry;
    float first;
    float last;
};
constexpr ValueSet EnumeratedEntries[] = {
    {Param::ControlStrategy, 1, 3},      {Param::SweepType, 1, 3},         {Param::ServoRate, 1, 3},
    {Param::ResponseDisplay, 1, 2},      {Param::UnitsSystem, 0, 2},       {Param::FrequencyRange, 1, 3},
    {Param::AmplitudeRange, 0, 3},       {Param::PlotBackground, 0, 1},    {Param::NumberSeparators, 0, 1},
    {Param::AcquisitionInterface, 0, 2}, {Param::AmplitudeDetector, 0, 3}, {Param::ChannelGroup, 0, 2},
    {Param::ChannelCount, 0, 2},
};

constexpr int FirstDwellRow = 101;
constexpr int LastDwellRow = 110;

bool InSet(float value, const ValueSet& set) {
    return value >= set.first && value <= set.last && value == std::floor(value);
}

std::string EntryName(int entry) { return "P[" + std::to_string(entry) + "]"; }

void Replace(std::vector<ReplacedValue>& replaced, std::string name, float& value, float now, bool frequency) {
    // NaN is never equal to what it becomes.
    if (value == now) return;
    replaced.push_back({std::move(name), value, now, frequency});
    value = now;
}

} // namespace

std::vector<ReplacedValue> ReplaceValuesOutOfRange(ProfileSetUp& s) {
    std::vector<ReplacedValue> replaced;
    for (const ValueSet& set : EnumeratedEntries) {
        float& value = s.P[set.entry];
        if (!InSet(value, set))
            Replace(replaced, EntryName(set.entry), value, DefaultOf(set.entry).value_or(set.first), false);
    }
    for (const int limit : {Param::LowerLimit, Param::UpperLimit}) {
        float& value = s.P[limit];
        Replace(replaced, EntryName(limit), value, Band::Held(value, DefaultOf(limit).value_or(Band::LowestFrequency)),
                true);
    }
    // A row whose frequency is not above 0 holds no dwell point.
    for (int row = FirstDwellRow; row <= LastDwellRow; ++row) {
        float& value = s.Breakpoints[row].Frequency;
        if (value > 0.0f)
            Replace(replaced, "dwell point " + std::to_string(row - FirstDwellRow + 1) + " frequency", value,
                    Band::Held(value, value), true);
    }
    return replaced;
}

void TellReplacedValues(Controller& c, const std::vector<ReplacedValue>& replaced) {
    if (replaced.empty()) return;
    std::string text = "These values of the profile cannot be acted on and were replaced:";
    for (const ReplacedValue& value : replaced) {
        text += "\r\n" + value.name + " " + GeneralNumber(value.was) + " -> " + GeneralNumber(value.now);
        text += value.frequency ? " Hz" : " (its default)";
    }
    text += "\r\nFrequencies are held within " + GeneralNumber(Band::LowestFrequency) + " to " +
            GeneralNumber(Band::HighestFrequency) + " Hz, where the responses can be measured.";
    c.ports.dialogs->MessageBox(text, "Profile Values Replaced", MessageButtons::Ok, MessageIcon::Exclamation);
}
