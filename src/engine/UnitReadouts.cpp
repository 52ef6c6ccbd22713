#include "engine/UnitReadouts.h"

#include "core/Controller.h"
#include "core/FormatMask.h"
#include "core/ParameterNames.h"
#include "core/Units.h"

#include <string>

namespace {
enum class Quantity { Displacement, Velocity, Acceleration };

// "Acceleration Only" always shows the acceleration; "Controlled Response" the
// quantity the profile controls at this frequency. A slope segment controls an
// acceleration slope, so it shows the acceleration too.
Quantity ShownQuantity(const Controller& c) {
    if (!IsChecked(c.P[Param::ResponseDisplay])) return Quantity::Acceleration;
    if (c.ActiveMode == ProfileMode::Displacement) return Quantity::Displacement;
    if (c.ActiveMode == ProfileMode::Velocity) return Quantity::Velocity;
    return Quantity::Acceleration;
}

// The large readout keeps about four figures whatever the size of the level in G.
std::string LargeReadoutInG(float value, char point) {
    if (value > 999.9f) return FormatMask(value, "   ##0.", point);
    if (value > 99.9f) return FormatMask(value, "   ##0.0", point);
    return FormatMask(value, "   ##0.00", point);
}

struct Readouts {
    std::string displacement; // lblDisp
    std::string velocity;     // lblVel
    std::string acceleration; // lblAccBottom
    std::string large;        // LblAcc
    std::string caption;      // lblDisplay
    std::string axisUnit;     // Label33
};

Readouts English(const Controller& c, char point) {
    Readouts r;
    r.displacement = " DISP. = " + FormatMask(c.ControlDisplacement, "###.0", point) + " MILS ";
    r.velocity = " VEL.  = " + FormatMask(c.ControlVelocity, "###.0#", point) + " IPS-PK  ";
    r.acceleration = " ACC. = " + FormatMask(c.ControlResponse, "###.0#", point) + " G-PK ";
    r.axisUnit = "G-PEAK";
    switch (ShownQuantity(c)) {
    case Quantity::Displacement:
        r.large = LargeReadoutInG(c.ControlDisplacement, point);
        r.caption = "DISPLACEMENT ";
        break;
    case Quantity::Velocity:
        r.large = LargeReadoutInG(c.ControlVelocity, point);
        r.caption = "  VELOCITY   ";
        break;
    case Quantity::Acceleration:
        r.large = LargeReadoutInG(c.ControlResponse, point);
        r.caption = "ACCELERATION ";
        break;
    }
    return r;
}

Readouts Metric(const Controller& c, char point) {
    const double millimetres = static_cast<double>(c.ControlDisplacement) * Unit::MillimetresPerMil;
    const double centimetres = static_cast<double>(c.ControlVelocity) * Unit::CentimetresPerInch;
    const double metres = static_cast<double>(c.ControlResponse) * Unit::MetresPerSecondSquaredPerG;
    Readouts r;
    r.displacement = " DISP. = " + FormatMask(millimetres, "###.##", point) + " MM   ";
    r.velocity = " VEL.  = " + FormatMask(centimetres, "###.0", point) + " CM/S  ";
    r.acceleration = " ACC. = " + FormatMask(metres, "####", point) + " M/S^2 ";
    r.axisUnit = " M/S^2";
    switch (ShownQuantity(c)) {
    case Quantity::Displacement:
        r.large = FormatMask(millimetres, "###.##", point);
        r.caption = "DISPLACEMENT ";
        break;
    case Quantity::Velocity:
        r.large = FormatMask(centimetres, "###.0", point);
        r.caption = "  VELOCITY ";
        break;
    case Quantity::Acceleration:
        r.large = FormatMask(metres, "  ###0.0", point);
        r.caption = "ACCELERATION ";
        break;
    }
    return r;
}

// Millimetres and centimetres per second as Metric, accelerations in G as English.
Readouts Hybrid(const Controller& c, char point) {
    Readouts r = Metric(c, point);
    const Readouts inG = English(c, point);
    r.acceleration = inG.acceleration;
    r.axisUnit = inG.axisUnit;
    if (ShownQuantity(c) == Quantity::Acceleration) {
        r.large = inG.large;
        r.caption = inG.caption;
    }
    return r;
}
} // namespace

void WriteUnitReadouts(Controller& c) {
    const char point = c.DecimalSeparator.empty() ? '.' : c.DecimalSeparator.front();
    const Readouts r = c.P[Param::UnitsSystem] == 1.0f   ? Metric(c, point)
                       : c.P[Param::UnitsSystem] == 2.0f ? Hybrid(c, point)
                                                         : English(c, point);
    Panel& panel = c.Indicators;
    panel.SetText("lblDisp", r.displacement);
    panel.SetText("lblVel", r.velocity);
    panel.SetText("lblAccBottom", r.acceleration);
    panel.SetText("LblAcc", r.large);
    panel.SetText("lblDisplay", r.caption);
    panel.SetText("Label33", r.axisUnit);
}
