#include "ui/ProfileEditorWindow.h"

#include "core/CycleDriver.h"
#include "core/SimulatedLoop.h"
#include "core/StartUp.h"
#include "hardware/sim/SimBench.h"
#include "support/TestController.h"
#include "ui/MainWindow.h"
#include "ui/PlotArea.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

// The editor window over a test running on the simulated bench: the cycle goes on
// while the operator edits, and only Update Profile changes the table.
class ProfileEditorWindowTest : public QObject {
    Q_OBJECT

    struct Rig {
        TestController t;
        sim::SimBench bench{t.clock, sim::DefaultBenchModel()};
        MainWindow window{t.c};
        CycleDriver driver{t.c};
        Rig() {
            t.c.ports.daq = &bench;
            t.c.ports.plot = window.Plot();
            t.c.WorkingFolder = "/nonexistent-zek8-folder";
            StartUp(t.c);
            window.resize(1000, 700);
            window.show();
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdServoOn")), Qt::LeftButton);
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdRun")), Qt::LeftButton);
            RunFor(5000);
        }
        void RunFor(std::int64_t ms) {
            RunSimulated(driver, t.clock, t.clock.TickMs() + ms);
            window.Render();
        }
        ProfileEditorWindow* Editor() const { return window.ProfileEditor(); }
        QTableWidget* Grid() const { return Editor()->findChild<QTableWidget*>(QStringLiteral("Grid1")); }
        QLineEdit* Text1() const { return Editor()->findChild<QLineEdit*>(QStringLiteral("Text1")); }
        void Click(int row, int column) const {
            QTableWidget* grid = Grid();
            const QRect cell = grid->visualItemRect(grid->item(row - 1, column - 1));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        }
        void Press(const char* button) const {
            QTest::mouseClick(Editor()->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
        }
        QString Cell(int row, int column) const { return Grid()->item(row - 1, column - 1)->text(); }
    };

private slots:
    void editingAndUpdatingWhileTheSweepRuns() {
        Rig rig;
        Controller& c = rig.t.c;
        rig.window.Action(QStringLiteral("mnuTestModify"))->trigger();
        QVERIFY(rig.Editor()->isVisible());
        QCOMPARE(rig.Editor()->windowTitle(), QStringLiteral("Modify Profile"));
        QCOMPARE(rig.Grid()->horizontalHeaderItem(5)->text(), QStringLiteral(" COMMENTS "));
        QCOMPARE(rig.Cell(3, 3).toStdString(), "  " + std::to_string(static_cast<int>(c.Breakpoints[3].Level)));

        rig.Click(3, 3);
        QCOMPARE(rig.Text1()->text(), rig.Cell(3, 3));
        QCOMPARE(rig.Text1()->selectedText(), rig.Text1()->text());
        QTest::keyClicks(rig.Text1(), QStringLiteral("12,5"));
        QTest::keyClick(rig.Text1(), Qt::Key_Return);
        QCOMPARE(rig.Cell(3, 3), QStringLiteral("  12.5"));
        QCOMPARE(rig.Grid()->currentRow(), 3); // Enter moved down
        const float before = c.Breakpoints[3].Level;
        const float frequency = c.CurrentFrequency;
        rig.RunFor(2000);
        QVERIFY(c.CurrentFrequency > frequency); // the sweep goes on
        QCOMPARE(c.Breakpoints[3].Level, before);

        const QImage plotBefore = rig.window.Plot()->Image();
        rig.Press("cmdUpdate");
        QCOMPARE(c.Breakpoints[3].Level, 12.5f);
        QVERIFY(rig.window.Plot()->Image() != plotBefore);
        rig.RunFor(2000);
        QCOMPARE(c.ServoOn, 1.0f);
        QCOMPARE(c.SweepRunning, 1.0f);

        QApplication::clipboard()->setText(QStringLiteral("7\tS\n8\tD"));
        rig.Click(10, 1);
        QTest::keyClick(rig.Grid(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(rig.Cell(10, 2) + rig.Cell(11, 1), QStringLiteral("  S  8"));

        rig.window.Action(QStringLiteral("mnuTestModify"))->trigger(); // open: kept
        QCOMPARE(rig.Cell(10, 2), QStringLiteral("  S"));
        rig.Press("cmdCancel");
        QVERIFY(!rig.Editor()->isVisible());
        rig.window.Action(QStringLiteral("mnuTestModify"))->trigger(); // reopened: reloaded
        QCOMPARE(rig.Cell(11, 1).toStdString(), "  " + std::to_string(static_cast<int>(c.Breakpoints[11].Frequency)));
    }
};

QTEST_MAIN(ProfileEditorWindowTest)
#include "ProfileEditorWindowTest.moc"
