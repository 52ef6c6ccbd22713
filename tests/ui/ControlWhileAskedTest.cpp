#include "core/Commands.h"
#include "core/StartUp.h"
#include "hardware/sim/SimBench.h"
#include "support/TestController.h"
#include "ui/MainWindow.h"
#include "ui/QtCycleDriver.h"
#include "ui/QtDialogs.h"
#include "ui/QtPrinter.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// The window on the simulated bench, its cycle on the event loop and on the wall clock,
// while the operator has a dialog open.
class ControlWhileAskedTest : public QObject {
    Q_OBJECT

    struct Rig {
        SystemClock clock;
        TestController t;
        std::int64_t benchMadeMs = clock.TickMs();
        sim::SimBench bench{clock, sim::DefaultBenchModel()};
        MainWindow window{t.c};
        QtDialogs dialogs{&window};
        QtPrinter printer{[this]() -> QWidget* { return &window; }};
        QtCycleDriver driver{t.c, [this] { window.Render(); }};
        QTemporaryDir folder;

        Rig() {
            t.c.ports.clock = &clock;
            t.c.ports.daq = &bench;
            t.c.ports.printer = &printer;
            t.c.WorkingFolder = folder.path().toStdString();
            StartUp(t.c); // its boxes (no profile in the folder) answered by the script
            ClickControl(t.c, "cmdServoOn");
            ClickControl(t.c, "cmdRun");
            t.c.ports.dialogs = &dialogs;
            driver.Start();
            QTest::qWait(500);
        }
        bool Checked(const char* item) const { return window.Action(QString::fromLatin1(item))->isChecked(); }
    };

    // The operator: `look` is called every 20 ms, from the event loop of whichever dialog
    // is open, with that dialog, until it returns true; after 20 s every dialog is closed.
    static void Operate(const std::function<bool(QWidget*)>& look) {
        auto* timer = new QTimer;
        auto* waited = new QElapsedTimer;
        waited->start();
        QObject::connect(timer, &QTimer::timeout, [=] {
            QWidget* modal = QApplication::activeModalWidget();
            const bool late = waited->elapsed() > 20000;
            if (late && modal != nullptr) QMetaObject::invokeMethod(modal, "reject");
            if (late || (modal != nullptr && look(modal))) {
                timer->stop();
                timer->deleteLater();
                delete waited;
            }
        });
        timer->start(20);
    }

private slots:
    // A prompt open mid-sweep: the sweep goes on, a dead sensor aborts the test and its box
    // shows over the prompt, the panel already stopped; the answer finds the test stopped.
    void promptOpenWhileADeadSensorAbortsTheTest() {
        Rig r;
        Controller& c = r.t.c;
        RunMenuCommand(c, "mnuTestAutoExport");
        r.bench.KillSensor(1, static_cast<double>(r.clock.TickMs() - r.benchMadeMs) / 1000.0 + 1.0);
        const std::string exportName = r.folder.filePath(QStringLiteral("resumed.dat")).toStdString();
        float openedAt = 0.0f, abortedAt = 0.0f;
        bool stoppedOnPanel = false;
        QString abortBox;
        Operate([&](QWidget* modal) {
            if (auto* names = qobject_cast<QFileDialog*>(modal)) {
                if (abortBox.isEmpty()) {
                    if (openedAt == 0.0f) openedAt = c.CurrentFrequency;
                    return false;
                }
                names->selectFile(QString::fromStdString(exportName));
                QMetaObject::invokeMethod(names, "accept");
                return true;
            }
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                abortedAt = c.CurrentFrequency;
                abortBox = box->text();
                stoppedOnPanel = r.Checked("mnuRunServoOff") && r.Checked("mnuRunHold") &&
                                 r.window.findChild<QLabel*>(QStringLiteral("lblAbort"))->isVisibleTo(&r.window);
                box->accept();
            }
            return false;
        });
        ClickControl(c, "cmdServoOn"); // Servo On again: the export's name is asked
        QVERIFY(c.AbortCode > 0.0f);
        QCOMPARE(abortBox, QString::fromStdString(c.AbortMessage));
        QVERIFY2(abortedAt > openedAt * 1.02f, qPrintable(QStringLiteral("%1 -> %2").arg(openedAt).arg(abortedAt)));
        QVERIFY(stoppedOnPanel);
        QCOMPARE(c.ExportFileName, exportName);
        QCOMPARE(c.ServoOn, 0.0f);
        QCOMPARE(c.TestStarted, 0.0f);
        QTest::qWait(300);
        QVERIFY(r.Checked("mnuRunServoOff"));
        const QString reason = QString::fromStdString(c.Indicators.Item("lblAbort").text);
        const QString shown = QStringLiteral(" ") + abortBox.trimmed() + QStringLiteral("  ");
        QVERIFY2(reason.startsWith(shown) && reason.size() == shown.size() + 8, qPrintable(reason)); // hh:mm:ss
        RunMenuCommand(c, "mnuTestAutoExport");
        ClickControl(c, "cmdServoOn");
        QVERIFY(!c.Indicators.Item("lblAbort").visible);
    }

    // Print Report to a print server that takes the connection and never answers.
    void printToASilentServerWhileTheSweepAdvances() {
        QTemporaryDir socketFolder;
        const QByteArray path = socketFolder.filePath(QStringLiteral("silent.sock")).toLocal8Bit();
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.constData(), sizeof(address.sun_path) - 1);
        QVERIFY(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0);
        QVERIFY(::listen(server, 16) == 0);
        qputenv("CUPS_SERVER", path);
        Rig r;
        Controller& c = r.t.c;
        const float before = c.CurrentFrequency;
        float atBox = 0.0f;
        QString boxText;
        Operate([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) return false;
            atBox = c.CurrentFrequency;
            boxText = box->text();
            box->button(QMessageBox::Cancel)->click();
            return true;
        });
        RunMenuCommand(c, "mnuFilePrint");
        qunsetenv("CUPS_SERVER");
        ::close(server);
        QCOMPARE(boxText, QStringLiteral("The print server does not answer"));
        QVERIFY2(atBox > before * 1.02f, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(atBox)));
        QCOMPARE(c.Indicators.Item("lblReport").text, " REPORT NOT PRINTED: The print server does not answer");
        QCOMPARE(c.ServoOn, 1.0f);
    }

    // Closing the window during a test asks as File / Exit does; with no test it closes.
    void closingDuringATestAsksAsExitDoes() {
        for (const bool test : {true, false}) {
            TestController t;
            MainWindow window(t.c);
            StartUp(t.c);
            if (test) ClickControl(t.c, "cmdServoOn");
            const std::size_t asked = t.dialogs.History().size();
            t.dialogs.QueueAnswer(MessageAnswer::No);
            t.dialogs.QueueAnswer(MessageAnswer::Yes);
            QCOMPARE(window.close(), !test);
            QCOMPARE(t.c.Closing, !test);
            if (test) {
                QCOMPARE(t.c.ServoOn, 1.0f);
                QVERIFY(window.close());
                QCOMPARE(t.c.ServoOn, 0.0f);
                QCOMPARE(t.dialogs.History().back().text, "Exit QMS Program?");
            }
            QCOMPARE(t.dialogs.History().size() - asked, test ? 2u : 0u);
        }
    }
};

QTEST_MAIN(ControlWhileAskedTest)
#include "ControlWhileAskedTest.moc"
