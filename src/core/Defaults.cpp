#include "core/Defaults.h"

#include "core/Banner.h"
#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "print/PrintedReport.h"

#include <cmath>

namespace {
struct TableDefault {
    int first;
    int last;
    float value;
};

// The entries the defaults routine writes, in index order. Entries left out keep
// whatever they held (0 at program start, or the last loaded value).
constexpr TableDefault TableDefaults[] = {
    {0, 0, 2.0f},     {1, 1, 5.0f},      {2, 2, 5000.0f},   {3, 3, 1.0f},      {4, 4, 3.0f},      {5, 5, 1.0f},
    {6, 6, 2.0f},     {7, 7, 2.0f},      {8, 8, 6.0f},      {9, 10, 10.0f},    {11, 12, 1.0f},    {13, 13, 2.0f},
    {14, 14, 1.0f},   {15, 15, 0.0f},    {16, 16, 10.0f},   {17, 17, 1.0f},    {18, 18, 1000.0f}, {19, 19, 100.0f},
    {20, 20, 1.0f},   {21, 21, 100.0f},  {22, 22, 0.0f},    {23, 23, 0.0f},    {29, 29, 0.1f},    {30, 30, 0.0f},
    {33, 33, 200.0f}, {34, 34, 0.1f},    {35, 35, 400.0f},  {36, 36, 0.1f},    {37, 37, 20.0f},   {38, 38, 0.5f},
    {39, 40, 10.0f},  {41, 42, 1.0f},    {43, 43, 2.0f},    {44, 46, 1.0f},    {47, 47, 2.0f},    {48, 50, 1.0f},
    {51, 51, 3.0f},   {52, 52, 3.0f},    {53, 53, 0.0f},    {55, 55, 0.0f},    {56, 56, 0.0f},    {57, 57, 9.0f},
    {60, 60, 0.0f},   {62, 62, 0.0f},    {65, 65, 1.0f},    {66, 66, 10.0f},   {68, 68, 0.0f},    {71, 74, 10.0f},
    {75, 78, 1.0f},   {80, 83, 1.0f},    {88, 88, 1000.0f}, {89, 89, 4000.0f}, {90, 90, 0.0f},    {99, 99, 1.0f},
    {100, 100, 0.0f}, {101, 108, 10.0f}, {110, 110, 0.0f},  {120, 120, 1.0f},
};

} // namespace

std::optional<float> DefaultOf(int entry) {
    for (const TableDefault& range : TableDefaults)
        if (range.first <= entry && entry <= range.last) return range.value;
    return std::nullopt;
}

namespace {

struct ProfileDefault {
    float frequency;
    float mode;
    float level;
};

constexpr ProfileDefault DefaultProfile[] = {
    {5.0f, 1.0f, 500.0f}, {20.0f, 3.0f, 10.0f}, {44.3f, 1.0f, 100.0f}, {62.6f, 3.0f, 20.0f}, {5000.0f, 3.0f, 20.0f},
};
} // namespace

void SetDefaults(Controller& c) {
    const Clock& clock = *c.ports.clock;

    // 1. Working values of the engine and the cycle.
    c.ControlDisplacement = 0.1f;
    c.ControlVelocity = 0.1f;
    c.ControlResponse = 0.1f;
    c.DriveOutput = 0.0001f;
    c.Compression = 70.0f;
    c.SweepDirection = 2.0f;
    c.SweepCounter = 0.5f;
    c.CycleCounter = 1;
    c.RunCycleCount = 1.0;
    c.BannerSelector = 5;

    // 2. Start of the test clock.
    c.TestStartDate = clock.Today();
    c.SegmentStartTime = clock.MonotonicSeconds();

    // 3. Run time and the remaining working values; the old upper limit is kept
    // before the table defaults overwrite it.
    c.ElapsedSeconds = 0.0;
    c.RunSeconds = 0.0;
    c.DayRolloverSeconds = 0.0f;
    c.ElapsedTimeValue = 0.0f;
    c.ReferenceLevel = 0.0f;
    c.DemoMode = 0.0f;
    c.DisplayChannel = 1.0f;
    c.LevelFactor = 1.0f;
    c.ProfileLastFrequency = c.P[Param::UpperLimit];
    c.DwellDuration = 0.0f;
    c.DwellActive = 0;
    c.ActiveMode = 3.0f;
    c.PlotFrameStyle = 3;
    c.DetectorWindowLength = 5;
    c.PrintColorMode = 1;
    c.PictureLoaded = 0.0f;
    c.BoardSetting = 1;

    // 4. The parameter table.
    for (const TableDefault& entry : TableDefaults) {
        for (int i = entry.first; i <= entry.last; ++i) c.P[i] = entry.value;
    }
    c.P[Param::BannerCopy] = static_cast<float>(c.BannerSelector);

    // 5. The default reference profile; the slope column stays as it is.
    for (int row = 1; row <= 5; ++row) {
        const ProfileDefault& d = DefaultProfile[row - 1];
        c.Breakpoints[row].Frequency = d.frequency;
        c.Breakpoints[row].Mode = d.mode;
        c.Breakpoints[row].Level = d.level;
    }

    // 6. The uniform abort limit on every row a profile can use.
    for (int row = 0; row <= 64; ++row) c.Breakpoints[row].Abort = c.P[Param::AbortLimit];

    // 7. Calibration factors of the channels in use.
    for (int k = 1; k <= 16; ++k) c.CalibrationFactor[static_cast<std::size_t>(k)] = 1.0f;

    // 8. Frequency, plot pens and test state.
    c.CurrentFrequency = c.P[Param::LowerLimit];
    c.Plot.PenX = 0.0f;
    c.Plot.PenY.fill(0.0f);
    c.Plot.PenAverageY = 0.0f;
    c.Plot.PenDriveY = 0.0f;
    c.Plot.PenTransferY = 0.0f;
    c.TestStarted = 0.0f;
    c.SecondBoardActive = 0;

    // 9. Pens of the printed plot, at its lower limit on the bottom of the plot box.
    ResetPrintPens(c);

    // 10. Names shown on the panel.
    c.ProfileFileName = " DEFAULT PROFILE";
    c.ElapsedTimePrefix.clear();

    // 11. Cycle rate, separator and the words of the signal-conditioning unit.
    c.CycleRate = c.P[Param::UpdateRate];
    c.DecimalSeparator = ".";
    c.CurrentSourceWord = 0;
    c.PortBValue = 171;

    // 12. Window title.
    if (const auto banner = BannerLine(c.BannerSelector)) c.Indicators.SetText("frmQMS", *banner);
}
