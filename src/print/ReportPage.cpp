#include "print/ReportPage.h"

#include "core/Banner.h"
#include "core/BreakpointTable.h"
#include "core/Canvas.h"
#include "core/Controller.h"
#include "core/FormatMask.h"
#include "core/LimitTable.h"
#include "core/NumberText.h"
#include "core/ParameterNames.h"
#include "plot/LimitLines.h"
#include "plot/PlotFrame.h"
#include "plot/ReferenceLines.h"
#include "plot/SweepHistory.h"
#include "plot/Traces.h"

#include <utility>
#include <vector>

namespace {

constexpr Rgb Black = 0x000000;
constexpr Rgb DarkCyan = 0x008080;
constexpr Rgb Green = 0x008000;
constexpr Rgb Yellow = 0xFFFF00;
constexpr Rgb LightGreen = 0x00FF00;
constexpr int FramePenWidth = 3;

// The plot box: 0.15 .. 0.9 across, 0.1 .. 0.7 down.
constexpr double BoxLeft = 0.15;
constexpr double BoxTop = 0.1;
constexpr double BoxRight = 0.9;
constexpr double BoxBottom = 0.7;
// The inner page frame: no text runs past it.
constexpr double FrameInner = 0.025;
constexpr double InsideFrame = 1.0 - FrameInner;

// Fractions of the page mapped onto the canvas.
struct Page {
    Canvas& canvas;
    double width;
    double height;

    void Line(double x1, double y1, double x2, double y2, Rgb color) const {
        canvas.Line(x1 * width, y1 * height, x2 * width, y2 * height, color);
    }
    void Rectangle(double x1, double y1, double x2, double y2, Rgb color) const {
        canvas.Box(x1 * width, y1 * height, x2 * width, y2 * height, color, false);
    }
    // Every text stays in its box, from (x, y) to (right, bottom): a text too long for it
    // is cut at the box's edge. The page keeps one type size, so the table reads as one
    // table, and a long accelerometer model or serial cannot print over its neighbours,
    // the frames or past the paper.
    void Text(double x, double y, double right, double bottom, const std::string& text, Rgb color) const {
        canvas.TextInBox(x * width, y * height, right * width, bottom * height, text, color);
    }
};

// The screen's trace colours, but on paper: the grid green, the reference and its
// limits yellow, and the transfer function (white on the screen's black) in black.
PlotPalette PagePalette(bool colour) {
    PlotPalette palette;
    palette.grid = colour ? Green : Black;
    palette.reference = palette.referencePoint = palette.abortPoint = colour ? Yellow : Black;
    palette.transfer = Black;
    palette.subTitle = Black;
    if (!colour) {
        palette.channels.fill(Black);
        palette.average = palette.drive = Black;
    }
    return palette;
}

// Two frames, each pair of corners joined by a short diagonal, and the plot box.
void DrawPageFrame(const Page& page, Rgb color) {
    page.canvas.SetPenWidth(FramePenWidth);
    constexpr double Outer = 0.01;
    constexpr double Inner = FrameInner;
    page.Rectangle(Outer, Outer, 1.0 - Outer, 1.0 - Outer, color);
    page.Rectangle(Inner, Inner, 1.0 - Inner, 1.0 - Inner, color);
    for (const auto& [outerX, innerX] : {std::pair{Outer, Inner}, {1.0 - Outer, 1.0 - Inner}})
        for (const auto& [outerY, innerY] : {std::pair{Outer, Inner}, {1.0 - Outer, 1.0 - Inner}})
            page.Line(outerX, outerY, innerX, innerY, color);
    page.Rectangle(BoxLeft, BoxTop, BoxRight, BoxBottom, color);
}

constexpr double SettingsTop = 0.75;
constexpr int SettingsRows = 4;
constexpr int TableColumns = 4;
// The limit table's rows the page has room for beneath the settings.
constexpr int MostLimitRows = 3;

// The settings table, and beneath it the limit channels' cells four to a row; with
// limit rows every row is made narrower, so that all stand in the room of the settings.
void DrawSettingsTable(const Controller& c, const Page& page, Rgb lineColor) {
    constexpr double BoxWidth = 0.2;
    const SettingsTable texts = SettingsTableTexts(c);
    const std::vector<std::string> limits = LimitTableCells(c);
    const int limitRows = static_cast<int>((limits.size() + TableColumns - 1) / TableColumns);
    const double scale = static_cast<double>(SettingsRows) / static_cast<double>(SettingsRows + limitRows);
    const double boxHeight = 0.04 * scale;
    page.canvas.SetPenWidth(FramePenWidth);
    const auto cell = [&](int row, int column, const std::string& text) {
        const double x = 0.074 + 0.2217 * column;
        const double y = SettingsTop + 0.05 * scale * row;
        page.Rectangle(x, y, x + BoxWidth, y + boxHeight, lineColor);
        page.Text(x + 0.001, y + 0.005 * scale, x + BoxWidth, y + boxHeight, text, Black);
    };
    for (int row = 0; row < SettingsRows; ++row) {
        for (int column = 0; column < TableColumns; ++column)
            cell(row, column, texts[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
    }
    for (std::size_t i = 0; i < limits.size(); ++i)
        cell(SettingsRows + static_cast<int>(i) / TableColumns, static_cast<int>(i) % TableColumns, limits[i]);
}

// The unit a limit row's level is entered in: that of its mode in the units `UnitsSystem`
// (Hybrid takes acceleration in G, the rest metric; an unknown entry reads as English).
std::string LevelUnit(const Controller& c, float mode) {
    const float units = c.P[Param::UnitsSystem];
    const bool metricMotion = units == 1.0f || units == 2.0f;
    if (mode == ProfileMode::Displacement) return metricMotion ? "MM" : "MILS";
    if (mode == ProfileMode::Velocity) return metricMotion ? "CM/S" : "IPS";
    return units == 1.0f ? "M/S^2" : "G";
}

std::string ModeLetter(float mode) {
    if (mode == ProfileMode::Displacement) return "D";
    if (mode == ProfileMode::Velocity) return "V";
    return "A";
}

void DrawAxisLabels(const Controller& c, const Page& page) {
    const std::pair<const char*, double> amplitude[] = {{"Label29", 0.144}, {"Label30", 0.326},  {"Label31", 0.508},
                                                        {"Label32", 0.69},  {"Label34", 0.1778}, {"Label35", 0.427},
                                                        {"Label36", 0.2324}};
    // The amplitude values and their unit in the band left of the plot box.
    for (const auto& [name, y] : amplitude)
        page.Text(0.075, y, BoxLeft, InsideFrame, c.Indicators.Item(name).text, Black);
    page.Text(0.05, 0.4, BoxLeft, InsideFrame, c.Indicators.Item("Label33").text, Black);

    std::vector<std::pair<const char*, double>> frequency = {{"1 ", 0.147}};
    if (c.P[Param::FrequencyRange] == 3.0f) {
        frequency.insert(frequency.end(), {{"10 ", 0.329}, {"100 ", 0.512}, {"1000", 0.691}, {"10000 Hz.", 0.866}});
    } else if (c.P[Param::FrequencyRange] == 2.0f) {
        frequency.insert(frequency.end(), {{"10 ", 0.388}, {"100 ", 0.632}, {"1000", 0.872}});
    } else if (c.P[Param::FrequencyRange] == 1.0f) {
        frequency.insert(frequency.end(), {{"10 ", 0.512}, {"100 ", 0.878}});
    }
    for (const auto& [text, x] : frequency) page.Text(x, 0.71, InsideFrame, SettingsTop, text, Black);
}

// A legend for each channel whose response is ticked and whose group is shown, in a
// column at the box's left edge; the average, drive and transfer legends in a second
// column beside it, each on its own line.
void DrawLegends(const Controller& c, const Page& page, const PlotPalette& palette) {
    for (int k = 1; k <= 16; ++k) {
        if (ChannelLegendShown(c, k))
            page.Text(0.155, 0.15 + 0.03 * (k - 1), BoxRight, BoxBottom, PageChannelLegend(k), palette.Channel(k));
    }
    const bool colour = c.PrintColorMode == 2;
    if (c.P[Param::AverageMask] > 0.0f)
        page.Text(0.255, 0.15, BoxRight, BoxBottom, "Ave.---", colour ? LightGreen : Black);
    if (c.Menu.Checked("mnuViewDrive"))
        page.Text(0.255, 0.18, BoxRight, BoxBottom, "Drive---", colour ? Yellow : Black);
    if (c.P[Param::TransferOutput] > 0.0f) page.Text(0.255, 0.21, BoxRight, BoxBottom, "Trans---", Black);
}

} // namespace

std::string PageChannelLegend(int channel) {
    if (channel < 1 || channel > 16) return "";
    // Channels 1-4 and 9-12 draw lines, 5-8 and 13-16 points.
    const bool points = ((channel - 1) / 4) % 2 == 1;
    return "Ch#" + std::to_string(channel) + (points ? "- -" : "---");
}

std::vector<std::string> LimitTableCells(const Controller& c) {
    const char point = c.DecimalSeparator.empty() ? '.' : c.DecimalSeparator.front();
    std::vector<std::string> cells;
    for (int channel = 1; channel <= LimitTable::Channels; ++channel) {
        for (const LimitRow& row : RowsOfChannel(c.Limits, channel))
            cells.push_back(" CH#" + std::to_string(channel) + " " + GeneralNumber(row.frequency, point) + " HZ " +
                            ModeLetter(row.mode) + " " + GeneralNumber(row.level, point) + " " +
                            LevelUnit(c, row.mode) + " +" + GeneralNumber(row.abortDb, point) + " DB");
    }
    constexpr std::size_t Room = MostLimitRows * TableColumns;
    if (cells.size() > Room) {
        // The last cell tells how many rows the page leaves out: the .lim file has them all.
        const std::size_t left = cells.size() - (Room - 1);
        cells.resize(Room);
        cells.back() = " +" + std::to_string(left) + " MORE LIMIT ROWS";
    }
    return cells;
}

SettingsTable SettingsTableTexts(const Controller& c) {
    const char point = c.DecimalSeparator.empty() ? '.' : c.DecimalSeparator.front();
    const auto shown = [&c](const char* name) { return c.Indicators.Item(name).text; };
    const auto sensitivity = [&](int channel, float value) {
        return " CH#" + std::to_string(channel) + " = " + FormatMask(value, "###.#", point) + " MV/G";
    };
    return {{
        {shown("lblLL"), shown("lblSweepNumber"), shown("lblServoRate"), sensitivity(1, c.P[Param::SensitivityCh1])},
        {shown("lblUL"), shown("lblElapsedTime"), shown("lblServoSpeed"),
         sensitivity(2, c.P[Param::SensitivityCh1 + 1])},
        {shown("lblRate"), shown("lblTime"), " LIMITS = " + GeneralNumber(c.P[Param::AbortLimit], point) + " DB.",
         " ACC. MODEL# " + c.AccelModel},
        {shown("lblSweepType"), shown("lblDate"), shown("Label17"), " ACC. SERIAL# " + c.AccelSerial},
    }};
}

void DrawReportPage(Controller& c, Canvas& canvas) {
    const Page page{canvas, static_cast<double>(canvas.Width()), static_cast<double>(canvas.Height())};
    const bool colour = c.PrintColorMode == 2;
    const PlotPalette palette = PagePalette(colour);
    const Rgb frameColor = colour ? DarkCyan : Black;

    DrawPageFrame(page, frameColor);
    const PlotBox box{BoxLeft * page.width, BoxTop * page.height, (BoxRight - BoxLeft) * page.width,
                      (BoxBottom - BoxTop) * page.height};
    const PlotTarget plot{canvas, PlotMapping{box, c.Plot.FrequencyScale, c.Plot.AmplitudeScale, true}, palette, true};
    DrawGrid(plot, c.P[Param::FrequencyRange], c.Plot.GridDecades);
    DrawReferenceLinesOn(c, plot);
    DrawLimitLinesOn(c, plot);
    // The traces start from the lower limit on the bottom of the box.
    PlotState pens = c.Plot;
    pens.PenX = static_cast<float>(plot.mapping.X(static_cast<double>(c.P[Param::LowerLimit])));
    pens.PenY.fill(static_cast<float>(box.Bottom()));
    pens.PenAverageY = pens.PenDriveY = pens.PenTransferY = static_cast<float>(box.Bottom());
    RedrawTracesOn(c, plot, pens);
    // The page's traces leave the average mask as the screen's do, and the legend shows it.
    if (c.HistoryCount > 1) RebuildAverageMask(c);

    DrawAxisLabels(c, page);
    if (const auto banner = BannerLine(c.BannerSelector)) page.Text(0.12, 0.04, InsideFrame, 0.07, *banner, Black);
    page.Text(0.2, 0.07, InsideFrame, BoxTop, c.Indicators.Item("lblTestTitle").text, Black);
    DrawLegends(c, page, palette);
    DrawSettingsTable(c, page, frameColor);
    // Under the table, above the inner frame: which sweeps a full history holds.
    const char point = c.DecimalSeparator.empty() ? '.' : c.DecimalSeparator.front();
    if (HistoryFull(c)) page.Text(0.075, 0.95, InsideFrame, InsideFrame, HistoryFullNote(c, point), Black);
}
