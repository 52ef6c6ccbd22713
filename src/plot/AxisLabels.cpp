#include "plot/AxisLabels.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "plot/PlotMapping.h"

#include <array>
#include <cmath>
#include <tuple>
#include <utility>

namespace {

constexpr const char* BlankLabel = "     ";

struct FrequencyLabel {
    const char* name;
    const char* text;
};
constexpr std::array<FrequencyLabel, 4> FrequencyLabels = {
    {{"LblX2", "10"}, {"LblX3", "100"}, {"LblX4", "1000"}, {"LblX5", "10000"}}};

struct FrequencyPlaces {
    std::array<double, 4> left; // fraction of the window's inner width
    std::array<bool, 4> shown;
};

// The amplitude labels in the order Label29, 30, 31, 32, 34, 35, 36: the text before the
// separator and the text after it; no separator where `after` is empty and `separated`
// is false.
struct AmplitudeText {
    const char* before;
    bool separated;
    const char* after;
};
constexpr AmplitudeText Blank = {nullptr, false, ""};
constexpr std::array<const char*, 7> AmplitudeNames = {"Label29", "Label30", "Label31", "Label32",
                                                       "Label34", "Label35", "Label36"};
using AmplitudeRow = std::array<AmplitudeText, 7>;

// Rows for the ranges 3, 2, 1 and 0; the metric labels mark the same lines in m/s^2.
constexpr std::array<AmplitudeRow, 4> InG = {{
    {{{" 100", true, ""}, {" 10", true, "0"}, {"  1", true, "0"}, {"  0", true, "1"}, Blank, Blank, Blank}},
    {{Blank, Blank, Blank, {"  0", true, "1"}, {" 10", true, "0"}, {"  1", true, "0"}, Blank}},
    {{Blank, Blank, Blank, {"  0", true, "1"}, Blank, Blank, {"  1", true, "0"}}},
    {{{"  10", true, ""}, {"  1", true, "0"}, {"  0", true, "1"}, {" 0", true, "01"}, Blank, Blank, Blank}},
}};
constexpr std::array<AmplitudeRow, 4> InMetres = {{
    {{{" 1000", false, ""}, {" 100", true, ""}, {"  10", true, ""}, {"  1", true, "0"}, Blank, Blank, Blank}},
    {{Blank, Blank, Blank, {"  1", true, "0"}, {"  100", false, ""}, {"  10", true, ""}, Blank}},
    {{Blank, Blank, Blank, {"  1", true, "0"}, Blank, Blank, {"  10", true, ""}}},
    {{{"  100", false, ""}, {"  10", true, ""}, {"  1", true, "0"}, {"  0", true, "1"}, Blank, Blank, Blank}},
}};

} // namespace

void PlaceFrequencyAxisLabels(Controller& c) {
    if (c.Plot.FrequencyLabelsFor == c.P[Param::FrequencyRange]) return;
    c.Plot.FrequencyLabelsFor = c.P[Param::FrequencyRange];
    FrequencyPlaces places{};
    if (c.P[Param::FrequencyRange] == 3.0f) {
        places = {{0.25, 0.41, 0.56, 0.70}, {true, true, true, true}};
    } else if (c.P[Param::FrequencyRange] == 2.0f) {
        places = {{0.30, 0.51, 0.71, 0.60}, {true, true, true, false}};
    } else if (c.P[Param::FrequencyRange] == 1.0f) {
        places = {{0.41, 0.72, 0.60, 0.60}, {true, true, false, false}};
    } else {
        return;
    }
    for (std::size_t i = 0; i < FrequencyLabels.size(); ++i) {
        c.Indicators.SetText(FrequencyLabels[i].name, FrequencyLabels[i].text);
        c.Indicators.SetValue(FrequencyLabels[i].name, places.left[i]);
        c.Indicators.SetVisible(FrequencyLabels[i].name, places.shown[i]);
    }
}

void WriteAmplitudeAxisLabels(Controller& c) {
    const float range = c.P[Param::AmplitudeRange];
    auto labelledFor = std::make_tuple(range, c.P[Param::UnitsSystem], c.DecimalSeparator);
    if (c.Plot.AmplitudeLabelsFor == labelledFor) return;
    c.Plot.AmplitudeLabelsFor = std::move(labelledFor);
    if (range != 0.0f && range != 1.0f && range != 2.0f && range != 3.0f) return;
    const auto row = static_cast<std::size_t>(range == 0.0f ? 3 : 3 - static_cast<int>(range));
    const AmplitudeRow& texts = c.P[Param::UnitsSystem] == 1.0f ? InMetres[row] : InG[row];
    const std::string separator = c.DecimalSeparator;
    for (std::size_t i = 0; i < AmplitudeNames.size(); ++i) {
        const AmplitudeText& t = texts[i];
        const std::string text =
            t.before == nullptr ? BlankLabel : std::string(t.before) + (t.separated ? separator : "") + t.after;
        c.Indicators.SetText(AmplitudeNames[i], text);
    }
}

double AmplitudeLabelHeight(const std::string& name) {
    struct Place {
        const char* name;
        float range; // the scale whose decade line the label marks
        int decade;
    };
    static constexpr std::array<Place, 7> places = {{{"Label32", 3.0f, 0},
                                                     {"Label31", 3.0f, 1},
                                                     {"Label30", 3.0f, 2},
                                                     {"Label29", 3.0f, 3},
                                                     {"Label35", 2.0f, 1},
                                                     {"Label34", 2.0f, 2},
                                                     {"Label36", 1.0f, 1}}};
    for (const Place& p : places) {
        if (name != p.name) continue;
        const double scale = static_cast<double>(AmplitudeAxisFor(p.range)->scale);
        return 1.0 - scale * std::log(std::pow(10.0, p.decade));
    }
    return -1.0;
}
