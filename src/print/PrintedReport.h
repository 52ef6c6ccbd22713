#pragma once

struct Controller;

// The printed one-page test report: the plot redrawn from the history onto the page,
// with its labels, legends, title and a table of the test settings.

// The printable area of the page the report is laid out on when no printer tells us
// better: US letter less half-inch margins, in twips.
inline constexpr float PrintableWidth = 10800.0f;
inline constexpr float PrintableHeight = 14400.0f;

// The report on the system printer (File menu, and the end of a test when Auto Print
// is ticked).
void PrintReport(Controller& c);

// The pens of the printed plot at the lower limit on the bottom of the plot box,
// where the first trace segment of a page starts.
void ResetPrintPens(Controller& c);
