#pragma once

#include <array>
#include <string>
#include <vector>

class Canvas;
struct Controller;

// The one-page test report: a double page frame, the plot redrawn from the history
// into a box on the page, its axis labels and legends, the banner and the test title,
// and a table of the test settings across the bottom quarter,
// with the limit channels' breakpoints beneath the settings. Every place is a
// fraction of the page's width and height; the page is the canvas's whole size.

// The page in colour when `PrintColorMode` is 2; in monochrome every line, point and
// legend is black, and only the line styles of the legends tell the channels apart.
// Drawing the traces from the history rebuilds the average mask before the legends.
void DrawReportPage(Controller& c, Canvas& page);

// The settings table, row by row: the status panel's texts as it shows them now, the
// abort limit, the first two sensitivities and the accelerometer.
using SettingsTable = std::array<std::array<std::string, 4>, 4>;
SettingsTable SettingsTableTexts(const Controller& c);

// The limit channels as the page lists them beneath the settings, one cell a breakpoint,
// channel by channel (" CH#2 1000 HZ A 30 G +3 DB": frequency, mode, level in the units
// it is entered in, abort margin); empty without limits. What the page has no room for
// is counted in its last cell (" +5 MORE LIMIT ROWS").
std::vector<std::string> LimitTableCells(const Controller& c);

// The legend of channel 1..16 on the page ("Ch#1---", "Ch#5- -").
std::string PageChannelLegend(int channel);
