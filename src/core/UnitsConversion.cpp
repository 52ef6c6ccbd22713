#include "core/UnitsConversion.h"

#include "core/CheckedConvert.h"
#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "core/SetupMenus.h"
#include "core/Units.h"
#include "plot/PlotFrame.h"

#include <array>
#include <cmath>

namespace {

struct Factors {
    float displacement = 1.0f;
    float velocity = 1.0f;
    float acceleration = 1.0f;
};

// From -> to, for English 0, Metric 1, Hybrid 2 (Hybrid: millimetres and centimetres
// per second as Metric, accelerations in G as English).
Factors FactorsFor(int from, int to) {
    constexpr float InchToMetre = Unit::MillimetresPerMilF; // mils to mm for displacement
    constexpr float IpsToCmPerS = Unit::CentimetresPerInchF;
    constexpr float GToMetric = Unit::MetresPerSecondSquaredPerGF;
    constexpr float MetreToInch = 39.37f;
    constexpr float CmPerSToIps = 0.3937f;
    constexpr float MetricToG = 0.102f;
    if (from == 0 && to == 1) return {InchToMetre, IpsToCmPerS, GToMetric};
    if (from == 2 && to == 1) return {1.0f, 1.0f, GToMetric};
    if (from == 1 && to == 0) return {MetreToInch, CmPerSToIps, MetricToG};
    if (from == 2 && to == 0) return {MetreToInch, CmPerSToIps, 1.0f};
    if (from == 0 && to == 2) return {InchToMetre, IpsToCmPerS, 1.0f};
    if (from == 1 && to == 2) return {1.0f, 1.0f, MetricToG};
    return {};
}

// Every profile row: the abort column covers 0 .. 64, but rows 65 .. 100 are profile
// rows too. Dwell and slope rows lie beyond.
constexpr int LastConvertedRow = 100;

} // namespace

void ConvertUnits(Controller& c, int target) {
    const int from = RoundToInt<int>(c.P[Param::UnitsSystem], 0);
    if (target < 0 || target > 2 || c.P[Param::UnitsSystem] == static_cast<float>(target)) return;
    const Factors f = FactorsFor(from, target);

    BreakpointTable table = c.Breakpoints;
    bool finite = true;
    const auto convert = [&finite](float& value, float factor) {
        value *= factor;
        finite = finite && std::isfinite(value);
    };
    for (int row = 0; row <= LastConvertedRow; ++row) {
        BreakpointRow& r = table[row];
        if (r.Mode == ProfileMode::Displacement) convert(r.Level, f.displacement);
        if (r.Mode == ProfileMode::Velocity) convert(r.Level, f.velocity);
        if (r.Mode == ProfileMode::Acceleration) convert(r.Level, f.acceleration);
    }
    std::array<float, 3> limits = {c.P[Param::MaxDisplacement], c.P[Param::MaxVelocity], c.P[Param::MaxAcceleration]};
    convert(limits[0], f.displacement);
    convert(limits[1], f.velocity);
    convert(limits[2], f.acceleration);
    if (!finite) {
        c.ports.dialogs->MessageBox("The levels of the profile are too large to be converted; nothing was changed.",
                                    "Out Of Bounds", MessageButtons::Ok, MessageIcon::None);
        return;
    }
    c.Breakpoints = table;
    c.P[Param::MaxDisplacement] = limits[0];
    c.P[Param::MaxVelocity] = limits[1];
    c.P[Param::MaxAcceleration] = limits[2];
    c.P[Param::UnitsSystem] = static_cast<float>(target);
    RefreshPlot(c);
}
