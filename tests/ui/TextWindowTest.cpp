#include "ui/TextWindow.h"
#include "core/Commands.h"
#include "support/TestController.h"
#include "ui/QtDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

namespace {
QList<TextWindow*> OpenTextWindows() {
    QList<TextWindow*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<TextWindow*>(widget); window != nullptr && window->isVisible())
            windows << window;
    return windows;
}
} // namespace

class TextWindowTest : public QObject {
    Q_OBJECT

private slots:
    void guideShowsRenderedTextBesideTheRunningCycleAndClosesWithOk() {
        TestController t;
        QtDialogs dialogs(nullptr);
        t.c.ports.dialogs = &dialogs;

        QVERIFY(RunMenuCommand(t.c, "mnuHelpContents"));
        QVERIFY(RunMenuCommand(t.c, "mnuHelpContents"));
        QCOMPARE(OpenTextWindows().size(), 1);
        QPointer<TextWindow> window = OpenTextWindows().first();
        QCOMPARE(window->windowTitle(), QStringLiteral("ZEK-8 Operator's Guide"));
        QVERIFY(!window->isModal());

        const QString shown = window->Browser()->toPlainText();
        QVERIFY(shown.contains(QStringLiteral("\nRunning a test\n")));
        QVERIFY2(!shown.contains(QStringLiteral("## ")) && !shown.contains(QStringLiteral("**")), "markup is rendered");

        QTest::mouseClick(window->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window.isNull());

        QVERIFY(RunMenuCommand(t.c, "mnuHelpKeyboard"));
        QCOMPARE(OpenTextWindows().size(), 1);
        QVERIFY(OpenTextWindows().first()->Browser()->toPlainText().contains(QStringLiteral("Sweep Run")));
        OpenTextWindows().first()->close();
    }
};

QTEST_MAIN(TextWindowTest)
#include "TextWindowTest.moc"
