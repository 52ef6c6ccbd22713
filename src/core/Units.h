#pragma once

// The constants of the sine unit conversions and of the board's words, each written once.
// A constant the controller works with in both precisions comes twice: the double, and
// its float (suffix F), which is the float nearest the decimal value, the same bits as
// the decimal written as a float literal.
namespace Unit {

// G peak from displacement at f Hz: f² x mils peak-to-peak / MilsToG.
inline constexpr float MilsToG = 19560.0f;
// G peak from displacement at f Hz: f² x mm peak-to-peak / MillimetresToG.
inline constexpr float MillimetresToG = 496.0f;
// G peak from velocity at f Hz: f x in/s peak / InchesPerSecondToG.
inline constexpr double InchesPerSecondToG = 61.45;
inline constexpr float InchesPerSecondToGF = static_cast<float>(InchesPerSecondToG);
// G peak from velocity at f Hz: f x cm/s peak / CentimetresPerSecondToG.
inline constexpr float CentimetresPerSecondToG = 156.0f;
// Mils peak-to-peak from velocity at f Hz: in/s peak x InchesPerSecondToMils / f.
inline constexpr double InchesPerSecondToMils = 318.0;
// m/s² in one G.
inline constexpr double MetresPerSecondSquaredPerG = 9.807;
inline constexpr float MetresPerSecondSquaredPerGF = static_cast<float>(MetresPerSecondSquaredPerG);
// Millimetres in a mil.
inline constexpr double MillimetresPerMil = 0.0254;
inline constexpr float MillimetresPerMilF = static_cast<float>(MillimetresPerMil);
// Centimetres in an inch (cm/s in one in/s).
inline constexpr double CentimetresPerInch = 2.54;
inline constexpr float CentimetresPerInchF = static_cast<float>(CentimetresPerInch);

// Scans per second the boards acquire at.
inline constexpr float ScanRate = 10240.0f;
// Frequency word units of the sine generator per Hz.
inline constexpr double FrequencyWordPerHz = 8.192;
// The drive word of full drive (drive 1).
inline constexpr double DriveWordFullScale = 4000.0;

} // namespace Unit
