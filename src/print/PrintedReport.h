#pragma once

struct Controller;

// The printed one-page test report on the desktop's printer, or as a PDF file where
// no printer is installed; the print commands of the File menu.

// The printable area of the page the start-up lays the print pens out on, before any
// printer told its own: US letter less half-inch margins, in twips.
inline constexpr float PrintableWidth = 10800.0f;
inline constexpr float PrintableHeight = 14400.0f;

// File / Print Report: the page on the printer; with no printer, a PDF file under the
// name the operator gives (the test title and the date proposed). A failure shows the
// file error box, whose Retry prints again.
void PrintReport(Controller& c);
// The end of a test with Auto Print ticked: the same page without a question, on the
// printer or as a PDF in the working folder named by the date and time. The status
// panel's report line tells where it went, or why it did not.
void PrintReportAtEndOfTest(Controller& c);
// File / Printer Setup: the desktop's print dialog; its choices hold for the next report.
void PrinterSetup(Controller& c);
// File / Print Color: Colors or Monochrome. Each inverts both ticks; the chosen item's
// tick then sets `PrintColorMode` (2 colour, 1 monochrome).
void ChoosePrintColor(Controller& c, bool colours);

// The pens of the printed plot at the lower limit on the bottom of the plot box,
// where the first trace segment of a page starts.
void ResetPrintPens(Controller& c);
