#include "print/PrintedReport.h"

#include "core/Commands.h"
#include "core/Defaults.h"
#include "core/FileErrors.h"
#include "core/MenuSync.h"
#include "support/RecordingCanvas.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

namespace {

// A printer that records where each page went; `failures` pages fail at their end.
class FakePrinter final : public Printer {
public:
    std::string PrinterName() override { return name; }
    Canvas& BeginPage(const std::string& pdfPath) override {
        page = RecordingCanvas(1100, 850);
        begun.push_back(pdfPath);
        return page;
    }
    void EndPage() override {
        if (failures > 0) {
            --failures;
            throw MakeFileError(482);
        }
        ++ended;
    }
    void PrintWindow(const std::string& pdfPath) override { windows.push_back(pdfPath); }
    void Setup(const std::string& title) override { setups.push_back(title); }

    std::string name;
    int failures = 0;
    int ended = 0;
    RecordingCanvas page{1, 1};
    std::vector<std::string> begun, windows, setups;
};

struct PrintedReportTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    FakePrinter printer;

    PrintedReportTest() {
        SetDefaults(c);
        SyncMenusToTable(c);
        c.ports.printer = &printer;
        c.WorkingFolder = "/tmp/zek8-work";
        c.Indicators.SetText("lblTestTitle", "Bracket / run 2");
    }
    const ScriptedDialogs::Shown& LastBox() const { return t.dialogs.History().back(); }
};

TEST_F(PrintedReportTest, PrintReportGoesToThePrinterElseToAPdfTheOperatorNames) {
    printer.name = "Lab-Laser";
    RunMenuCommand(c, "mnuFilePrint");
    EXPECT_EQ(printer.begun, std::vector<std::string>{""});
    EXPECT_EQ(printer.ended, 1);
    EXPECT_TRUE(t.dialogs.History().empty());
    EXPECT_FALSE(printer.page.Of(RecordingCanvas::Kind::Box).empty()) << "the page was drawn";

    printer.name.clear();
    t.dialogs.QueueFileName("/tmp/out/report.pdf");
    RunMenuCommand(c, "mnuFilePrint");
    EXPECT_EQ(LastBox().kind, ScriptedDialogs::Kind::SaveFile);
    EXPECT_EQ(LastBox().defaultText, "Bracket___run_2_2026-01-05.pdf");
    EXPECT_EQ(printer.begun.back(), "/tmp/out/report.pdf");

    RunMenuCommand(c, "mnuFilePrint"); // the dialog cancelled
    EXPECT_EQ(printer.begun.size(), 2u);
}

TEST_F(PrintedReportTest, AFailedPageShowsTheErrorBoxAndRetryPrintsAgain) {
    printer.name = "Lab-Laser";
    printer.failures = 1;
    t.dialogs.QueueAnswer(MessageAnswer::Retry);
    RunMenuCommand(c, "mnuFilePrint");
    EXPECT_EQ(LastBox().title, "Error # 482 Occured");
    EXPECT_EQ(LastBox().text, "Printer error");
    EXPECT_EQ(printer.begun.size(), 2u);
    EXPECT_EQ(printer.ended, 1);
}

TEST_F(PrintedReportTest, AnOpenedPictureIsPrintedAsTheWindow) {
    printer.name = "Lab-Laser";
    c.PictureLoaded = 1.0f;
    RunMenuCommand(c, "mnuFilePrint");
    EXPECT_EQ(printer.windows.size(), 1u);
    EXPECT_TRUE(printer.begun.empty());
}

TEST_F(PrintedReportTest, AutoPrintNeverAsksAndTellsWhereTheReportWent) {
    PrintReportAtEndOfTest(c); // no printer: a PDF named by the date and time
    EXPECT_EQ(printer.begun.back(), "/tmp/zek8-work/ZEK8-Report_2026-01-05_090000.pdf");
    EXPECT_EQ(c.Indicators.Item("lblReport").text, " REPORT: /tmp/zek8-work/ZEK8-Report_2026-01-05_090000.pdf");
    EXPECT_TRUE(c.Indicators.Item("lblReport").visible);

    printer.name = "Lab-Laser";
    PrintReportAtEndOfTest(c);
    EXPECT_EQ(printer.begun.back(), "");
    EXPECT_EQ(c.Indicators.Item("lblReport").text, " REPORT PRINTED ON Lab-Laser");

    printer.failures = 1;
    PrintReportAtEndOfTest(c);
    EXPECT_EQ(c.Indicators.Item("lblReport").text, " REPORT NOT PRINTED: Printer error");
    EXPECT_TRUE(t.dialogs.History().empty());
}

TEST_F(PrintedReportTest, ColourItemsInvertBothTicksAndTheChosenOneDecides) {
    struct Case {
        bool colours, mono; // ticks before
        const char* chosen;
        int mode;
    };
    const Case cases[] = {
        {false, true, "mnuFileColorColors", 2}, {true, false, "mnuFileColorMono", 1},
        {true, false, "mnuFileColorColors", 1}, // Colors now unticked
        {false, false, "mnuFileColorMono", 1},  // both ticked now: Monochrome decides
        {true, true, "mnuFileColorColors", 1},
    };
    for (const Case& k : cases) {
        c.Menu.SetChecked("mnuFileColorColors", k.colours);
        c.Menu.SetChecked("mnuFileColorMono", k.mono);
        RunMenuCommand(c, k.chosen);
        EXPECT_EQ(c.PrintColorMode, k.mode) << k.chosen << " " << k.colours << k.mono;
        EXPECT_EQ(c.Menu.Checked("mnuFileColorColors"), !k.colours);
        EXPECT_EQ(c.Menu.Checked("mnuFileColorMono"), !k.mono);
    }
}

TEST_F(PrintedReportTest, PrinterSetupOpensTheDialogUnderItsTitle) {
    RunMenuCommand(c, "mnuFilePrinterSetup");
    EXPECT_EQ(printer.setups, std::vector<std::string>{"ZEK-8 Printer Setup"});
}

} // namespace
