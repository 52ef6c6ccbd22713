#include "engine/ReferenceProfile.h"

#include "core/AfterCycle.h"
#include "core/Controller.h"
#include "core/MeasurableBand.h"
#include "core/ParameterNames.h"
#include "core/Units.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace {

constexpr int FirstProfileRow = 1;
constexpr int LastSegmentRow = 99; // row 100 only closes segment 99
constexpr int LastCheckedRow = 32;

constexpr float SlopeExponent = 0.07215f; // dB per octave and a natural log into a power of ten

enum class Units { English, Metric, Hybrid };

Units UnitsOf(const Controller& c) {
    if (c.P[Param::UnitsSystem] == 1.0f) return Units::Metric;
    if (c.P[Param::UnitsSystem] == 2.0f) return Units::Hybrid;
    return Units::English;
}

float DisplacementToG(float frequency, float level, Units units) {
    const float divisor = units == Units::English ? Unit::MilsToG : Unit::MillimetresToG;
    return frequency * frequency * level / divisor;
}

float VelocityToG(float frequency, float level, Units units) {
    const float divisor = units == Units::English ? Unit::InchesPerSecondToGF : Unit::CentimetresPerSecondToG;
    return frequency * level / divisor;
}

float AccelerationToG(float level, Units units) {
    return units == Units::Metric ? level / Unit::MetresPerSecondSquaredPerGF : level;
}

// Evaluates row i; true when it gave the reference.
bool TakeRow(Controller& c, int i, float f) {
    const std::optional<float> level = ProfileLevelAt(c, i, f);
    if (!level) return false;
    const float reference = IsOn(c.ServoOn) ? c.LevelFactor * *level : 0.01f;
    if (!std::isfinite(reference)) return false;
    c.ProfileLevel = *level;
    c.ReferenceLevel = reference;
    return true;
}

void ShowProfileMessage(Controller& c, const std::string& text) {
    DoAfterCycle(
        c, [text](Controller& c) { c.ports.dialogs->MessageBox(text, "", MessageButtons::Ok, MessageIcon::None); });
}

// The acceleration in G that row i demands at its own breakpoint, after warning
// when its level exceeds the matching limit of the system.
float CheckedRowAcceleration(Controller& c, int i) {
    const BreakpointRow& row = c.Breakpoints[i];
    const float f = row.Frequency;
    const float level = row.Level;
    const Units units = UnitsOf(c);
    float candidate = 0.0f;
    if (row.Mode == ProfileMode::Displacement) {
        if (level > c.P[Param::MaxDisplacement])
            ShowProfileMessage(c, " Test specified Displacement > System D Limit ");
        candidate = DisplacementToG(f, level, units);
    } else if (row.Mode == ProfileMode::Velocity) {
        if (level > c.P[Param::MaxVelocity]) ShowProfileMessage(c, " Test specified Velocity > System V Limit ");
        candidate = VelocityToG(f, level, units);
    } else if (row.Mode == ProfileMode::Acceleration) {
        if (level > c.P[Param::MaxAcceleration])
            ShowProfileMessage(c, " Test specified Acceleration > System A Limit ");
        candidate = AccelerationToG(level, units);
    }
    return std::isfinite(candidate) ? candidate : 0.0f;
}

} // namespace

std::optional<float> ProfileLevelAt(const Controller& c, int i, float f) {
    const BreakpointRow& row = c.Breakpoints[i];
    const float breakpoint = row.Frequency;
    const float level = row.Level;
    if (!(breakpoint > 0.0f) || level == 0.0f) return std::nullopt;

    if (row.Mode != ProfileMode::Slope) return ModeLevelInG(c, row.Mode, level, f);
    // The slope starts from the level of the row before, read as an acceleration at
    // this breakpoint.
    const float startG = AccelerationToG(c.Breakpoints[i - 1].Level, UnitsOf(c));
    const float value = startG * std::pow(10.0f, level * SlopeExponent * std::log(f / breakpoint));
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<float> ModeLevelInG(const Controller& c, float mode, float level, float f) {
    const Units units = UnitsOf(c);
    float value = 0.0f;
    if (mode == ProfileMode::Displacement) {
        value = DisplacementToG(f, level, units);
    } else if (mode == ProfileMode::Velocity) {
        value = VelocityToG(f, level, units);
    } else if (mode == ProfileMode::Acceleration) {
        value = AccelerationToG(level, units);
    } else {
        return std::nullopt;
    }
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

void ComputeReference(Controller& c) {
    // In Manual control only the Level buttons move the reference.
    if (IsOn(c.P[Param::ControlStrategy])) return;

    const float f = c.CurrentFrequency;
    const float upperLimit = c.P[Param::UpperLimit];
    for (int i = FirstProfileRow; i <= LastSegmentRow; ++i) {
        const float breakpoint = c.Breakpoints[i].Frequency;
        const float next = c.Breakpoints[i + 1].Frequency;
        if (breakpoint <= f && f < next) {
            c.ActiveMode = c.Breakpoints[i].Mode;
            if (TakeRow(c, i, f)) return;
        }
        // At or above the upper limit the row at the limit still applies, so the
        // reference holds when the sweep sits at UL past the last segment.
        if (breakpoint >= upperLimit && f >= upperLimit) {
            c.ActiveMode = c.Breakpoints[i].Mode;
            if (TakeRow(c, i, f)) return;
        }
        if (breakpoint >= upperLimit) return;
    }
}

void CheckProfile(Controller& c) {
    c.PeakProfileAcceleration = 0.0f;
    BreakpointTable& table = c.Breakpoints;
    for (int i = FirstProfileRow; i <= LastCheckedRow; ++i) {
        if (table[1].Frequency < c.P[Param::LowerLimit]) {
            ShowProfileMessage(c, "The initial point must be equal to or greater than the Lower Limit.");
            table[1].Frequency = c.P[Param::LowerLimit];
        }
        if (table[1].Frequency > c.P[Param::LowerLimit]) {
            ShowProfileMessage(c,
                               "The initial point is greater than the Lower Limit: the Lower Limit will be changed to "
                               "agree.");
            // Not past where the responses can be measured: the sweep and Stop start there.
            c.P[Param::LowerLimit] = Band::Held(table[1].Frequency, c.P[Param::LowerLimit]);
        }
        if (table[i].Frequency > 0.0f && table[i].Frequency > c.P[Param::UpperLimit]) {
            ShowProfileMessage(c, "Illegal Frequency; the last point must be less than or equal to the upper limit.");
            table[i].Frequency = c.P[Param::UpperLimit];
        }
        if (table[i].Frequency > table[i - 1].Frequency) c.ProfileLastFrequency = table[i].Frequency;

        const float candidate = CheckedRowAcceleration(c, i);
        if (candidate > c.PeakProfileAcceleration) c.PeakProfileAcceleration = candidate;
    }
    if (c.ProfileLastFrequency > 0.0f && c.ProfileLastFrequency < c.P[Param::UpperLimit]) {
        ShowProfileMessage(c, "The last point is less than the Upper Limit; the Upper Limit will be changed to agree.");
        c.P[Param::UpperLimit] = c.ProfileLastFrequency;
    }
}

std::optional<ProfileFault> FindProfileFault(const Controller& c) {
    const BreakpointTable& table = c.Breakpoints;
    // The sweep never goes below the lower limit, so a row below it only opens its
    // segment there: the rows are in order as the sweep meets them.
    const auto swept = [&](int i) { return std::max(table[i].Frequency, c.P[Param::LowerLimit]); };
    for (int i = FirstProfileRow; i <= LastSegmentRow; ++i) {
        const float frequency = table[i].Frequency;
        // NaN fails both comparisons and is out of order too.
        if (!(frequency > 0.0f) || (i > FirstProfileRow && !(swept(i) >= swept(i - 1)))) return ProfileFault{i, false};
        if (!std::isfinite(table[i].Level)) return ProfileFault{i, true};
        if (frequency >= c.P[Param::UpperLimit]) break;
    }
    return std::nullopt;
}

std::string ProfileFaultMessage(const ProfileFault& fault) {
    const std::string row = std::to_string(fault.row);
    if (fault.level) return "The profile cannot be run: the level of row " + row + " is not a finite number.";
    std::string text = "The profile cannot be run: the frequency of row " + row + " must be greater than 0";
    if (fault.row > FirstProfileRow) text += " and not less than that of row " + std::to_string(fault.row - 1);
    return text + ".";
}
