#include "support/PrintServer.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>

// Printing from Qt through a print server of the test's own, read back from its PDF.
class PrintServerTest : public QObject {
    Q_OBJECT

private slots:
    void itsQueueIsTheDefaultPrinter() {
        PrintServer server;
        QVERIFY2(server.Error().empty(), server.Error().c_str());
        QCOMPARE(QPrinterInfo::defaultPrinter().printerName(), QString::fromStdString(server.Queue()));
    }

    // A second server in the same process: Qt has to reach the new one, not the first.
    void aLandscapePageArrivesAsPdf() {
        PrintServer server;
        QVERIFY2(server.Error().empty(), server.Error().c_str());
        QPrinter printer(QPrinter::HighResolution);
        QCOMPARE(printer.printerName(), QString::fromStdString(server.Queue()));
        printer.setDocName("print check");
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setFullPage(true);
        QPainter painter;
        QVERIFY(painter.begin(&printer));
        const double width = printer.width();
        const double height = printer.height();
        painter.setFont(QFont("DejaVu Sans", 24));
        painter.drawText(QPointF(width * 0.1, height * 0.25), "ZEK-8 print check");
        painter.setPen(QPen(Qt::black, height / 40));
        painter.drawLine(QPointF(width * 0.25, height * 0.5), QPointF(width * 0.75, height * 0.5));
        QVERIFY(painter.end());

        const std::filesystem::path pdf = server.WaitForPdf(std::chrono::seconds(60));
        QVERIFY2(!pdf.empty(), server.Error().c_str());
        const std::string text = server.PdfText(pdf);
        QVERIFY2(text.find("ZEK-8 print check") != std::string::npos, (text + server.Error()).c_str());

        const QImage page(QString::fromStdString(server.PdfPicture(pdf).string()));
        QVERIFY2(!page.isNull(), server.Error().c_str());
        QVERIFY2(page.width() > page.height(), qPrintable(QString("%1 x %2").arg(page.width()).arg(page.height())));
        const auto gray = [&page](double x, double y) {
            return qGray(page.pixel(int(x * page.width()), int(y * page.height())));
        };
        QVERIFY(gray(0.3, 0.5) < 64);
        QVERIFY(gray(0.7, 0.5) < 64);
        QVERIFY(gray(0.15, 0.5) > 192);
        QVERIFY(gray(0.5, 0.75) > 192);
    }
};

QTEST_MAIN(PrintServerTest)
#include "PrintServerTest.moc"
