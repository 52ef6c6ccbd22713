#include "ui/LimitEditorWindow.h"

#include "core/BreakpointTable.h"
#include "core/CycleDriver.h"
#include "core/RunCommands.h"
#include "core/SimulatedLoop.h"
#include "core/StartUp.h"
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

// The limit table's window over a sweep in demo mode: it edits only the grid, and only
// Update Limits, with every row keeping the table's rules, changes the table.
class LimitEditorWindowTest : public QObject {
    Q_OBJECT

    struct Rig {
        TestController t;
        MainWindow window{t.c};
        CycleDriver driver{t.c};
        Rig() {
            t.c.ports.plot = window.Plot();
            t.c.WorkingFolder = "/nonexistent-zek8-folder";
            StartUp(t.c);
            window.show();
            window.Action(QStringLiteral("mnuInputsLimits"))->trigger();
        }
        QWidget* Limits() const { return window.LimitEditor(); }
        QTableWidget* Grid() const { return Limits()->findChild<QTableWidget*>(QStringLiteral("Grid1")); }
        void Enter(int row, int column, const char* text) const {
            QTableWidget* grid = Grid();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualItemRect(grid->item(row - 1, column - 1)).center());
            auto* edit = Limits()->findChild<QLineEdit*>(QStringLiteral("Text1"));
            QTest::keyClicks(edit, QString::fromLatin1(text));
            QTest::keyClick(edit, Qt::Key_Return);
        }
        void Update() const {
            QTest::mouseClick(Limits()->findChild<QPushButton*>(QStringLiteral("cmdUpdate")), Qt::LeftButton);
        }
    };

    static bool Same(const LimitRow& a, const LimitRow& b) {
        return a.channel == b.channel && a.frequency == b.frequency && a.mode == b.mode && a.level == b.level &&
               a.abortDb == b.abortDb;
    }

private slots:
    void aRowTypedInWhileTheSweepRunsBecomesTheTable() {
        Rig rig;
        Controller& c = rig.t.c;
        QVERIFY(rig.Limits()->isVisible());
        QCOMPARE(rig.Limits()->windowTitle(), QStringLiteral("Limit Channels"));
        QCOMPARE(rig.Grid()->horizontalHeaderItem(4)->text(), QStringLiteral(" ABORT dB"));
        StartServo(c);
        RunSweep(c);
        const char* row[] = {"2", "250", "A", "30,5", "3"};
        for (int column = 1; column <= 5; ++column) rig.Enter(1, column, row[column - 1]);
        QCOMPARE(rig.Grid()->item(0, 3)->text(), QStringLiteral("  30.5"));
        QVERIFY(c.Limits.rows.empty());

        const float frequency = c.CurrentFrequency;
        RunSimulated(rig.driver, rig.t.clock, rig.t.clock.TickMs() + 2000);
        rig.window.Render();
        QVERIFY(c.CurrentFrequency > frequency); // the cycle goes on under the open window
        rig.Update();
        QCOMPARE(c.Limits.rows.size(), std::size_t{1});
        QVERIFY(Same(c.Limits.rows[0], {2, 250.0f, ProfileMode::Acceleration, 30.5f, 3.0f}));
        QCOMPARE(c.SweepRunning, 1.0f);
    }

    void aRowBreakingARuleIsRefusedByItsNumber() {
        Rig rig;
        Controller& c = rig.t.c;
        const LimitRow kept{1, 50.0f, ProfileMode::Velocity, 5.0f, 6.0f};
        c.Limits.rows = {kept};
        // Pasted at row 1, selected on opening; channel 2's rows fall in frequency.
        QApplication::clipboard()->setText(QStringLiteral("3\t80\tA\t4\t2\n2\t300\tA\t9\t3\n2\t200\tA\t9\t3"));
        QTest::keyClick(rig.Grid(), Qt::Key_V, Qt::ControlModifier);
        rig.Update();
        QCOMPARE(rig.t.dialogs.History().back().text,
                 std::string("Limit row 3: the frequency must be greater than that of the channel's row before."));
        QCOMPARE(c.Limits.rows.size(), std::size_t{1});
        QVERIFY(Same(c.Limits.rows[0], kept));
    }
};

QTEST_MAIN(LimitEditorWindowTest)
#include "LimitEditorWindowTest.moc"
