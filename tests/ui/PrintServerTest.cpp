#include "support/PrintServer.h"
#include "core/Commands.h"
#include "core/Defaults.h"
#include "core/MenuSync.h"
#include "engine/StatusPanel.h"
#include "support/TestController.h"
#include "ui/QtPrinter.h"

#include <QImage>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>

#include <cmath>

// The report printed through a print server of the test's own (a PDF queue), read back
// from the PDF: its texts as text, its lines as pixels of a 50 dpi picture.
class PrintServerTest : public QObject {
    Q_OBJECT

    // A controller with two stored sweep points of channel 1, 10 G at 100 and 200 Hz,
    // printing on the server's queue.
    struct Rig {
        TestController t;
        QtPrinter printer{nullptr};
        Rig() {
            SetDefaults(t.c);
            SyncMenusToTable(t.c);
            t.c.ports.printer = &printer;
            for (int row = 1; row <= 2; ++row) {
                t.c.History.at(row, 1) = 100.0f * static_cast<float>(row);
                t.c.History.at(row, 2) = 10.0f;
            }
            t.c.HistoryCount = 3;
            RefreshStatusPanel(t.c);
        }
    };

    // The page's picture and where a fraction of the printable area falls on it: the
    // PDF holds the whole sheet, the page's units start at the printable area's corner.
    struct Printed {
        QImage picture;
        QRectF area; // in pixels of the picture
        QRgb At(double x, double y) const {
            return picture.pixel(static_cast<int>(area.left() + x * area.width()),
                                 static_cast<int>(area.top() + y * area.height()));
        }
    };

    static Printed Print(PrintServer& server, Rig& rig, std::string& text) {
        RunMenuCommand(rig.t.c, "mnuFilePrint");
        const std::filesystem::path pdf = server.WaitForPdf(std::chrono::seconds(60));
        if (pdf.empty()) return {};
        text = server.PdfText(pdf);
        QPrinter sheet(QPrinter::HighResolution);
        sheet.setPageOrientation(QPageLayout::Landscape);
        const QRectF area = sheet.pageLayout().paintRect(QPageLayout::Inch);
        constexpr double Dpi = 50.0;
        return {QImage(QString::fromStdString(server.PdfPicture(pdf).string())),
                QRectF(area.left() * Dpi, area.top() * Dpi, area.width() * Dpi, area.height() * Dpi)};
    }

    static bool Dark(QRgb pixel) { return qGray(pixel) < 160; }
    static bool DarkCyan(QRgb pixel) { return qRed(pixel) < 80 && qGreen(pixel) > 80 && qBlue(pixel) > 80; }
    // Whether a pixel within 2 pixels of (x, y) of the printable area passes `test`.
    static bool AnyNear(const Printed& page, double x, double y, bool (*test)(QRgb)) {
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy)
                if (test(page.picture.pixel(static_cast<int>(page.area.left() + x * page.area.width()) + dx,
                                            static_cast<int>(page.area.top() + y * page.area.height()) + dy)))
                    return true;
        return false;
    }
    static int Saturation(QRgb pixel) {
        return std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) -
               std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    }

private slots:
    void reportInMonochromeThenColourOnThePrinter() {
        PrintServer server;
        QVERIFY2(server.Error().empty(), server.Error().c_str());
        Rig rig;
        QCOMPARE(rig.printer.PrinterName(), server.Queue());

        std::string text;
        Printed page = Print(server, rig, text);
        QVERIFY2(!page.picture.isNull(), server.Error().c_str());
        QVERIFY(page.picture.width() > page.picture.height());
        for (const char* expected : {"L.LIMIT = 5. Hz.", "LIMITS = 6 DB.", "CH#1 = 10. MV/G", "10000 Hz.", "Ch#1---"})
            QVERIFY2(text.find(expected) != std::string::npos, (std::string(expected) + " not in " + text).c_str());
        // The frames, the plot box's edges and a table box's left edge, at their fractions.
        for (const auto& [x, y] : {std::pair{0.01, 0.5},
                                   {0.025, 0.5},
                                   {0.975, 0.5},
                                   {0.5, 0.99},
                                   {0.15, 0.4},
                                   {0.9, 0.4},
                                   {0.5, 0.1},
                                   {0.5, 0.7},
                                   {0.074, 0.77}})
            QVERIFY2(AnyNear(page, x, y, Dark), qPrintable(QString("nothing dark at %1, %2").arg(x).arg(y)));
        QVERIFY(!Dark(page.At(0.5, 0.05)));
        int coloured = 0;
        for (int y = 0; y < page.picture.height(); ++y)
            for (int x = 0; x < page.picture.width(); ++x) coloured += Saturation(page.picture.pixel(x, y)) > 60;
        QCOMPARE(coloured, 0);

        RunMenuCommand(rig.t.c, "mnuFileColorColors");
        page = Print(server, rig, text);
        QVERIFY2(!page.picture.isNull(), server.Error().c_str());
        // The trace of channel 1 in red at 10 G between 100 and 200 Hz: y = 0.7 - 0.6 x
        // 0.1315 ln 100 = 0.3367, x from 0.15 + 0.75 x 0.1086 ln 100 = 0.5251 to 0.5815.
        int red = 0;
        for (double x = 0.535; x < 0.575; x += 0.005) {
            for (int dy = -2; dy <= 2; ++dy) {
                const QRgb pixel =
                    page.picture.pixel(static_cast<int>(page.area.left() + x * page.area.width()),
                                       static_cast<int>(page.area.top() + 0.3367 * page.area.height()) + dy);
                red += qRed(pixel) > 150 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
            }
        }
        QVERIFY2(red >= 4, qPrintable(QString::number(red)));
        for (const auto& [x, y] : {std::pair{0.01, 0.5}, {0.074, 0.77}})
            QVERIFY2(AnyNear(page, x, y, DarkCyan), qPrintable(QString("no dark cyan at %1, %2").arg(x).arg(y)));
    }
};

QTEST_MAIN(PrintServerTest)
#include "PrintServerTest.moc"
