#include "print/PrintedReport.h"

#include "core/Controller.h"
#include "core/FileErrors.h"
#include "core/FormatMask.h"
#include "core/ParameterNames.h"
#include "print/ReportPage.h"

#include <cctype>
#include <cmath>
#include <functional>

namespace {
// The printed plot box spans 0.15..0.9 of the page width and ends at 0.7 of its height.
constexpr float PlotBoxLeft = 0.15f;
constexpr float PlotBoxBottom = 0.7f;
// x per unit of ln(f) as a fraction of the page width.
constexpr float PageFrequencyScale = 0.0814f;

constexpr double SecondsPerDay = 86400.0;

// The date (and the time) of now, in a form a file name can carry.
std::string Stamp(const Controller& c, bool withTime) {
    const Clock& clock = *c.ports.clock;
    const CalendarDate today = DateFromSerial(clock.Today());
    std::string stamp = FormatDate(today.year, today.month, today.day, "yyyy-mm-dd");
    if (withTime) stamp += "_" + FormatTimeOfDay(std::floor(clock.SecondsSinceMidnight()) / SecondsPerDay, "hhmmss");
    return stamp;
}

// The test title with what a file name should not hold made '_', then the date.
std::string ProposedPdfName(const Controller& c) {
    std::string name;
    for (const char ch : c.Indicators.Item("lblTestTitle").text) {
        const bool plain = std::isalnum(static_cast<unsigned char>(ch)) != 0 || ch == '-' || ch == '.';
        if (plain || !name.empty()) name += plain ? ch : '_';
    }
    while (!name.empty() && (name.back() == '_' || name.back() == '.')) name.pop_back();
    if (name.empty()) name = "ZEK8-Report";
    return name + "_" + Stamp(c, false) + ".pdf";
}

// The page, or the window where a saved picture is shown, once.
void PrintOnce(Controller& c, const std::string& pdfPath) {
    Printer& printer = *c.ports.printer;
    if (IsOn(c.PictureLoaded)) {
        printer.PrintWindow(pdfPath);
        return;
    }
    Canvas& page = printer.BeginPage(pdfPath);
    DrawReportPage(c, page);
    printer.EndPage();
}

void TellWhereTheReportWent(Controller& c, const std::string& text) {
    c.Indicators.SetText("lblReport", text);
    c.Indicators.SetVisible("lblReport", true);
}

} // namespace

void PrintReport(Controller& c) {
    if (c.ports.printer == nullptr) return;
    std::string failure;
    // A print server that does not answer, or a failed page, leaves the panel saying so
    // once the operator gives up retrying.
    const auto noting = [&failure](const std::function<void()>& step) {
        try {
            step();
        } catch (const FileError& error) {
            failure = error.description;
            throw;
        }
    };
    std::string printerName;
    if (!RunWithFileErrorTrap(c, FileErrorTitle,
                              [&] { noting([&] { printerName = c.ports.printer->PrinterName(); }); })) {
        TellWhereTheReportWent(c, " REPORT NOT PRINTED: " + failure);
        return;
    }
    std::string pdfPath;
    if (printerName.empty()) {
        const auto chosen = c.ports.dialogs->SaveFileName(" ZEK-8 Print Report as PDF",
                                                          {{"PDF Files (*.pdf)", "*.pdf"}}, ProposedPdfName(c));
        if (!chosen || chosen->empty()) return;
        pdfPath = *chosen;
    }
    if (!RunWithFileErrorTrap(c, FileErrorTitle, [&] { noting([&] { PrintOnce(c, pdfPath); }); }))
        TellWhereTheReportWent(c, " REPORT NOT PRINTED: " + failure);
}

void PrintReportAtEndOfTest(Controller& c) {
    if (c.ports.printer == nullptr) return;
    std::string printerName;
    std::string pdfPath;
    // No box at the end of a test: nobody may be there to answer it.
    try {
        printerName = c.ports.printer->PrinterName();
        if (printerName.empty()) pdfPath = WorkingPath(c, "ZEK8-Report_" + Stamp(c, true) + ".pdf");
        PrintOnce(c, pdfPath);
    } catch (const FileError& error) {
        TellWhereTheReportWent(c, " REPORT NOT PRINTED: " + error.description);
        return;
    }
    TellWhereTheReportWent(c, printerName.empty() ? " REPORT: " + pdfPath : " REPORT PRINTED ON " + printerName);
}

void PrinterSetup(Controller& c) {
    if (c.ports.printer == nullptr) return;
    RunWithFileErrorTrap(c, FileErrorTitle, [&c] { c.ports.printer->Setup("ZEK-8 Printer Setup"); });
}

void ChoosePrintColor(Controller& c, bool colours) {
    for (const char* item : {"mnuFileColorColors", "mnuFileColorMono"}) c.Menu.SetChecked(item, !c.Menu.Checked(item));
    const bool chosenTicked = c.Menu.Checked(colours ? "mnuFileColorColors" : "mnuFileColorMono");
    c.PrintColorMode = chosenTicked == colours ? 2 : 1;
}

void ResetPrintPens(Controller& c) {
    c.PrintPenPositions[0] = PrintableWidth * (std::log(c.P[Param::LowerLimit]) * PageFrequencyScale + PlotBoxLeft);
    for (int i = 1; i <= 4; ++i) c.PrintPenPositions[static_cast<std::size_t>(i)] = PrintableHeight * PlotBoxBottom;
}
