#include "ui/QtPrinter.h"

#include "core/FileErrors.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

// Pages written as PDF: landscape, measured in whole units, written only when whole,
// and the main window printed as an image. The pages are read back with poppler.
class QtPrinterTest : public QObject {
    Q_OBJECT

    static QImage Rendered(const QString& pdf) {
        const QString png = pdf + QStringLiteral(".png");
        QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"),
                                                       QStringLiteral("20"), QStringLiteral("-singlefile"), pdf, pdf});
        return QImage(png);
    }

private slots:
    void pdfPageIsLandscapeAndWrittenOnlyWhenWhole() {
        QTemporaryDir dir;
        QtPrinter printer(nullptr, true);
        QCOMPARE(printer.PrinterName(), std::string());
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        Canvas& page = printer.BeginPage(pdf.toStdString());
        QVERIFY(page.Width() > page.Height());
        QVERIFY(!QFile::exists(pdf));
        page.Box(0, 0, page.Width() / 2.0, page.Height(), 0x000000, true);
        printer.EndPage();
        const QImage rendered = Rendered(pdf);
        QVERIFY(rendered.width() > rendered.height());
        QCOMPARE(rendered.pixelColor(rendered.width() / 4, rendered.height() / 2), QColor(Qt::black));
        QCOMPARE(rendered.pixelColor(rendered.width() * 3 / 4, rendered.height() / 2), QColor(Qt::white));

        printer.BeginPage(dir.filePath(QStringLiteral("missing/page.pdf")).toStdString());
        try {
            printer.EndPage();
            QFAIL("a PDF in a missing folder was reported written");
        } catch (const FileError& error) {
            QCOMPARE(error.number, FileErrorNumber::PathNotFound);
        }
    }

    void windowIsPrintedAsAnImageFillingThePage() {
        QTemporaryDir dir;
        QWidget window;
        window.resize(400, 300);
        window.setStyleSheet(QStringLiteral("background: rgb(0, 0, 255)"));
        window.setAutoFillBackground(true);
        QtPrinter printer([&window]() -> QWidget* { return &window; }, true);
        const QString pdf = dir.filePath(QStringLiteral("window.pdf"));
        printer.PrintWindow(pdf.toStdString());
        const QImage rendered = Rendered(pdf);
        const QColor seen = rendered.pixelColor(rendered.width() / 4, rendered.height() / 2);
        QVERIFY2(seen.blue() > 240 && seen.red() < 16 && seen.green() < 16, qPrintable(seen.name()));

        QtPrinter windowless(nullptr, true);
        QVERIFY_THROWS_EXCEPTION(FileError, windowless.PrintWindow(pdf.toStdString()));
    }
};

QTEST_MAIN(QtPrinterTest)
#include "QtPrinterTest.moc"
