#include "ui/PlotView.h"
#include "core/Commands.h"
#include "core/StartUp.h"
#include "plot/AxisLabels.h"
#include "plot/PlotMapping.h"
#include "support/TestController.h"
#include "ui/MainWindow.h"
#include "ui/PlotArea.h"
#include "ui/QtClipboard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include <cmath>
#include <memory>

namespace {
const QColor Grid(0, 128, 128);

// A started controller drawing on a shown window's plot area.
struct PlotWindow {
    TestController t;
    QtClipboard clipboard;
    MainWindow window{t.c};

    explicit PlotWindow(bool start = true) {
        t.c.ports.plot = window.Plot();
        t.c.ports.clipboard = &clipboard;
        t.c.WorkingFolder = "/nonexistent-zek8-folder";
        window.resize(1200, 800);
        window.show();
        StartUp(t.c);
        if (start) window.ControllerStarted();
        window.Render();
    }
    const QImage& Picture() const { return window.Plot()->Image(); }
    // Where the core draws on the plot area at its present size and ranges.
    PlotMapping Mapping() const {
        const PlotBox box{0, 0, double(window.Plot()->width()), double(window.Plot()->height())};
        return {box, FrequencyScaleFor(t.c.P[51]), AmplitudeAxisFor(t.c.P[52])->scale};
    }
};

int Round(double v) { return static_cast<int>(std::lround(v)); }
// A grid line runs along most of the pixel column at x (or row at y): traces may cross it.
bool GridAcross(const QImage& image, double x) {
    int hits = 0;
    for (int y = 0; y < image.height(); ++y) hits += image.pixelColor(static_cast<int>(x), y) == Grid;
    return hits > image.height() / 2;
}
bool GridAlong(const QImage& image, double y) { return GridAcross(image.transformed(QTransform(0, 1, 1, 0, 0, 0)), y); }
} // namespace

class PlotViewTest : public QObject {
    Q_OBJECT

private slots:
    void viewCommandsAndZoomKeysRedrawThePicture() {
        PlotWindow w;
        // After each menu item or key the background is the one chosen, the decade lines of
        // 10 stand where the present ranges put them and no longer where the old ones did.
        struct Step {
            const char* menu;
            char key;
            QColor background;
        };
        for (const Step& step : {Step{"mnuViewPlotColorWhite", 0, Qt::white}, Step{nullptr, 'X', Qt::white},
                                 Step{nullptr, 'Y', Qt::white}, Step{"mnuViewPlotColorBlack", 0, Qt::black},
                                 Step{nullptr, 'x', Qt::black}, Step{nullptr, 'y', Qt::black}}) {
            const PlotMapping before = w.Mapping();
            if (step.menu != nullptr)
                w.window.Action(QString::fromLatin1(step.menu))->trigger();
            else
                QTest::keyClick(&w.window, step.key);
            const PlotMapping now = w.Mapping();
            const QImage& picture = w.Picture();
            QCOMPARE(picture.pixelColor(Round(now.X(1.5)), Round(now.YOfRatio(1.5))), step.background);
            QVERIFY(GridAcross(picture, now.X(10)));
            QVERIFY(GridAlong(picture, now.YOfRatio(10)));
            if (before.frequencyScale != now.frequencyScale) QVERIFY(!GridAcross(picture, before.X(10)));
            if (before.amplitudeScale != now.amplitudeScale) QVERIFY(!GridAlong(picture, before.YOfRatio(10)));
        }
    }

    void pressOnThePlotShowsTheCursorReadout() {
        PlotWindow w;
        auto* cursor = w.window.findChild<QLabel*>(QStringLiteral("lblCursor"));
        QVERIFY(cursor->isHidden());
        QTest::mouseClick(w.window.Plot(), Qt::RightButton, {}, QPoint(300, 200));
        QVERIFY(cursor->isVisible());
        QVERIFY2(cursor->text().startsWith(QStringLiteral("  Freq. = ")), qPrintable(cursor->text()));
    }

    void copyPlotPutsThePictureOnTheClipboard() {
        PlotWindow w;
        QGuiApplication::clipboard()->clear();
        w.window.Action(QStringLiteral("mnuCut"))->trigger();
        QCOMPARE(w.t.dialogs.History().back().title, std::string("Copy To Clipboard"));
        QCOMPARE(QGuiApplication::clipboard()->image().size(), w.window.Plot()->size());
    }

    // Redrawn whole at the new size, but neither before start-up nor under an open dialog.
    void resizeRedrawsThePlotOnceTheCoreIsFree() {
        PlotWindow w(false);
        w.t.c.P[53] = 1.0f; // white, once the plot is drawn anew
        const auto background = [&] {
            return w.Picture().pixelColor(Round(w.Mapping().X(1.5)), Round(w.Mapping().YOfRatio(1.5)));
        };
        w.window.resize(1500, 950);
        QTRY_COMPARE(w.Picture().size(), w.window.Plot()->size());
        QCOMPARE(background(), QColor(Qt::black));
        w.window.ControllerStarted();
        QCOMPARE(background(), QColor(Qt::white));
        QVERIFY(GridAcross(w.Picture(), w.Mapping().X(9000))); // in the part the plot grew by

        w.t.c.P[53] = 0.0f;
        auto box = std::make_unique<QMessageBox>(&w.window);
        box->open();
        w.window.resize(1000, 700);
        QTRY_COMPARE(w.Picture().size(), w.window.Plot()->size());
        QCOMPARE(background(), QColor(Qt::white));
        box.reset();
        w.window.Render();
        QCOMPARE(background(), QColor(Qt::black));
    }

    void axisLabelsStandAtTheirPlaces() {
        PlotWindow w;
        for (const QSize size : {QSize(1200, 800), QSize(1600, 1000)}) {
            w.window.resize(size);
            QWidget* central = w.window.centralWidget();
            QTRY_COMPARE(central->width(), size.width());
            const double width = central->width();
            const QRect plot(w.window.Plot()->mapTo(central, QPoint(0, 0)), w.window.Plot()->size());
            QCOMPARE(plot.left(), Round(PlotView::PlotLeft * width));
            QCOMPARE(plot.right() + 1, Round(PlotView::PlotRight * width));
            for (const char* name : {"LblX2", "LblX3", "LblX4", "LblX5"}) {
                auto* label = w.window.findChild<QLabel*>(QString::fromLatin1(name));
                QVERIFY(label->isVisible());
                QCOMPARE(label->mapTo(central, QPoint(0, 0)).x(), Round(w.t.c.Indicators.Item(name).value * width));
                QVERIFY(label->y() > plot.bottom());
            }
            for (const char* name : {"Label29", "Label30", "Label31", "Label32", "Label34", "Label35", "Label36"}) {
                auto* label = w.window.findChild<QLabel*>(QString::fromLatin1(name));
                const int middle = label->mapTo(central, QPoint(0, label->height() / 2)).y();
                QVERIFY(std::abs(middle - plot.top() - AmplitudeLabelHeight(name) * plot.height()) <= 1.5);
                QVERIFY(label->mapTo(central, QPoint(label->width(), 0)).x() <= plot.left());
            }
        }
    }
};

QTEST_MAIN(PlotViewTest)
#include "PlotViewTest.moc"
