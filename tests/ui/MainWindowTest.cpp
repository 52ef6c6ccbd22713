#include "ui/MainWindow.h"
#include "core/Commands.h"
#include "core/CycleDriver.h"
#include "core/SimulatedLoop.h"
#include "core/StartUp.h"
#include "hardware/sim/BenchFile.h"
#include "hardware/sim/SimBench.h"
#include "support/TestController.h"
#include "ui/PlotArea.h"
#include "ui/ProfileEditorWindow.h"
#include "ui/QtCycleDriver.h"
#include "ui/QtDialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>

class MainWindowTest : public QObject {
    Q_OBJECT

    // On a screen of 960 x 540 logical pixels (1920 x 1080 at twice the scale) the window
    // fits, with the named buttons inside it.
    static bool Fits(QWidget& window, const QStringList& controls) {
        window.resize(window.minimumSizeHint().expandedTo(QSize(960, 540)));
        window.show();
        bool inside = window.size() == QSize(960, 540);
        for (const QString& name : controls) {
            const auto* control = window.findChild<QWidget*>(name);
            inside = inside && control->isVisible() &&
                     window.rect().contains(QRect(control->mapTo(&window, QPoint(0, 0)), control->size()));
        }
        return inside;
    }

private slots:
    void menuBarHoldsEveryItemOfTheLayout() {
        TestController t;
        MainWindow window(t.c);
        QStringList top;
        for (QAction* action : window.menuBar()->actions()) top << action->text().remove(QLatin1Char('&'));
        QCOMPARE(top.size(), 9);
        QCOMPARE(top.first(), QStringLiteral("File"));
        QCOMPARE(top.last(), QStringLiteral("Help"));
        for (const MenuEntry& entry : t.c.Menu.Entries()) {
            QAction* action = window.Action(QString::fromStdString(entry.key.name), entry.key.index);
            QVERIFY2(action != nullptr, entry.key.name.c_str());
            if (entry.caption != "-") QCOMPARE(action->text().toStdString(), entry.caption);
        }
    }

    void checkMarksAndIndicatorsFollowTheModels() {
        TestController t;
        MainWindow window(t.c);
        StartUp(t.c);
        window.Render();
        QVERIFY(window.Action(QStringLiteral("mnuRunServoOff"))->isChecked());
        QVERIFY(!window.Action(QStringLiteral("mnuRunServoOn"))->isChecked());
        QVERIFY(!window.Action(QStringLiteral("mnuSweepDwellFreq"), 0)->isEnabled());
        QCOMPARE(window.windowTitle().toStdString(), t.c.Indicators.Item("frmQMS").text);
        auto* servoOff = window.findChild<QPushButton*>(QStringLiteral("cmdServoOff"));
        QVERIFY(servoOff->styleSheet().contains(QStringLiteral("#ff0000")));
        auto* elapsed = window.findChild<QLabel*>(QStringLiteral("lblElapsedTime"));
        QCOMPARE(elapsed->text(), QStringLiteral("  E.T.= 00:00:00"));
    }

    void labelsShowMarkupAsPlainText() {
        TestController t;
        MainWindow window(t.c);
        t.c.Indicators.SetText("Label17", "<b>C:\\tests\\a&b.000</b>");
        window.Render();
        auto* label = window.findChild<QLabel*>(QStringLiteral("Label17"));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->text(), QStringLiteral("<b>C:\\tests\\a&b.000</b>"));
    }

    void menuActionRunsTheCoreCommandOfItsName() {
        TestController t;
        MainWindow window(t.c);
        StartUp(t.c);
        t.c.ServoOn = 1.0f;
        t.c.TestStarted = 1.0f;
        window.Action(QStringLiteral("mnuRunAbort"))->trigger();
        QCOMPARE(t.c.ServoOn, 0.0f);
        QCOMPARE(t.c.TestStarted, 0.0f);
    }

    void buttonsRunATestOnTheSimulatedBench() {
        TestController t;
        sim::SimBench bench(t.clock, sim::DefaultBenchModel());
        t.c.ports.daq = &bench;
        t.c.WorkingFolder = "/nonexistent-zek8-folder";
        MainWindow window(t.c);
        StartUp(t.c);
        QCOMPARE(t.c.DemoMode, 0.0f);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdServoOn")), Qt::LeftButton);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdRun")), Qt::LeftButton);
        CycleDriver driver(t.c);
        RunSimulated(driver, t.clock, t.clock.TickMs() + 60000);
        window.Render();
        QVERIFY(window.Action(QStringLiteral("mnuRunServoOn"))->isChecked());
        QVERIFY(window.Action(QStringLiteral("mnuRunRun"))->isChecked());
        // A minute at 3 octaves a minute from 5 Hz: 5 x 2^3 = 40 Hz at most; the first
        // seconds step at the board path's nominal 20 cycles a second until the measured
        // rate takes over, which costs about two seconds of sweep (37 Hz).
        const double shown = window.findChild<QLabel*>(QStringLiteral("LblFreq"))->text().toDouble();
        QVERIFY2(shown > 35.0 && shown <= 40.0, qPrintable(QString::number(shown)));
        QVERIFY(bench.Unit(0).driveHigh > 0);
    }

    // The operator's keys are the window's, also after a menu was opened with Alt and a
    // mnemonic: the menu bar must not keep them ('y' would open S&ystem, 'h' H&elp).
    void keysReachTheControllerAfterAMenuUsedFromTheKeyboard() {
        TestController t;
        MainWindow window(t.c);
        StartUp(t.c);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_P);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_W);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        QCOMPARE(t.c.P[53], 1.0f);
        t.c.P[52] = 2.0f;
        QTest::keyClick(QApplication::focusWidget(), 'y');
        QCOMPARE(t.c.P[52], 3.0f);
        t.c.SweepRunning = 1.0f;
        QKeyEvent chord(QEvent::KeyPress, Qt::Key_H, Qt::ControlModifier, QStringLiteral("h"));
        QApplication::sendEvent(&window, &chord);
        QCOMPARE(t.c.SweepRunning, 1.0f); // Ctrl+H is no Hold
    }

    void stopPictureStopsTheTest() {
        TestController t;
        MainWindow window(t.c);
        StartUp(t.c);
        t.c.SweepRunning = 1.0f;
        auto* stop = window.findChild<QLabel*>(QStringLiteral("Image3"));
        QTest::mouseClick(stop, Qt::LeftButton);
        QCOMPARE(t.c.SweepRunning, 0.0f);
    }

    void plotAreaKeepsItsPictureAsBitmap() {
        PlotArea plot;
        plot.resize(200, 100);
        plot.Cls(0x000000);
        plot.Box(10, 10, 20, 20, 0xFF0000, true);
        const QString path = QDir::temp().filePath(QStringLiteral("zek8-plot-test.bmp"));
        QVERIFY(plot.SaveBmp(path.toStdString()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(30);
        file.close();
        QCOMPARE(header.left(2), QByteArray("BM"));
        QCOMPARE(static_cast<int>(header.at(28)), 24); // bits per pixel
        QImage saved(path, "BMP");
        QCOMPARE(saved.pixelColor(15, 15), QColor(255, 0, 0));
        plot.Cls(0x000000);
        QVERIFY(plot.LoadBmp(path.toStdString()));
        QCOMPARE(plot.Image().pixelColor(15, 15), QColor(255, 0, 0));
        QFile::remove(path);
    }

    void driverRunsOnTheEventLoop() {
        SystemClock clock;
        TestController t;
        t.c.ports.clock = &clock;
        StartUp(t.c);
        int cycles = 0;
        QtCycleDriver driver(t.c, [&] { ++cycles; });
        driver.Start();
        QTest::qWait(1000);
        // 100 ms period: about ten cycles, never a burst.
        QVERIFY2(cycles >= 7 && cycles <= 12, qPrintable(QString::number(cycles)));
    }

    void everyWindowFitsAndItsButtonsAreInside() {
        TestController t;
        MainWindow window(t.c);
        QVERIFY(Fits(window, {"cmdServoOn", "cmdServoOff", "cmdRun", "cmdHold", "Image3"}));
        QVERIFY(Fits(*window.ProfileEditor(), {"cmdUpdate", "cmdCancel"}));
        bool promptFits = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* prompt = QApplication::activeModalWidget();
            promptFits = prompt->width() <= 960 && prompt->height() <= 540;
            prompt->close();
        });
        // As long as the longest prompt of the setup menus.
        QtDialogs(nullptr).InputBox(QStringLiteral("Enter the sweep rate here. ").repeated(10).toStdString(), "", "1");
        QVERIFY(promptFits);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
