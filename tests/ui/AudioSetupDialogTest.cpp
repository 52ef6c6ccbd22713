#include "ui/AudioSetupDialog.h"
#include "core/FileErrors.h"
#include "hardware/jack/AudioSettingsFile.h"
#include "support/TestController.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <variant>

class AudioSetupDialogTest : public QObject {
    Q_OBJECT

private slots:
    // Under System, right after the Interface items. Without an interface behind the
    // item the dialog edits the working folder's file alone, and cannot calibrate.
    void menuItemEditsTheWorkingFoldersFile() {
        TestController t;
        QTemporaryDir folder;
        t.c.WorkingFolder = folder.path().toStdString();
        MainWindow window(t.c);
        const QList<QAction*> system = window.Action(QStringLiteral("mnuSystem"))->menu()->actions();
        const qsizetype interface = system.indexOf(window.Action(QStringLiteral("mnuSystemInterface")));
        QCOMPARE(system.value(interface + 1), window.Action(QStringLiteral("mnuSystemUsbSetup")));
        QCOMPARE(system.value(interface + 1)->text(), QStringLiteral("USB Interface &Setup..."));

        AudioSetupDialog* dialog = window.OpenUsbSetup();
        QVERIFY(!dialog->findChild<QPushButton*>(QStringLiteral("btnCalibrateInputs"))->isEnabled());
        dialog->findChild<QComboBox*>(QStringLiteral("cboDrivePort"))->setEditText(QStringLiteral("system:playback_1"));
        dialog->findChild<QLineEdit*>(QStringLiteral("txtOutputFullScale"))->setText(QStringLiteral("2"));
        dialog->findChild<QLineEdit*>(QStringLiteral("txtSafetyLimit"))->setText(QStringLiteral("1.5"));
        dialog->findChild<QLineEdit*>(QStringLiteral("txtInputFullScale3"))->setText(QStringLiteral("0.5"));
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        const AudioInterfaceSettings saved =
            ReadAudioSettings(ReadDataFile(WorkingPath(t.c, AudioSettingsFileName)), {});
        AudioInterfaceSettings expected;
        expected.drivePort = "system:playback_1";
        expected.outputFullScaleVolts = 2.0;
        expected.safetyLimitVolts = 1.5;
        expected.inputFullScaleVolts[2] = 0.5;
        QVERIFY(saved == expected);
    }

    // A wrong field is named; a limit above the full scale is refused as the file's is.
    void wrongFieldIsNamedAndCalibrateAsksForTheCalibration() {
        AudioSetupDialog dialog({}, {QStringLiteral("bench:drive")}, {}, true, nullptr);
        QSignalSpy calibrate(&dialog, &AudioSetupDialog::calibrateInputsRequested);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnCalibrateInputs")), Qt::LeftButton);
        QCOMPARE(calibrate.count(), 1);
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("cboDrivePort"))->itemText(1),
                 QStringLiteral("bench:drive"));

        struct Case {
            const char* field;
            const char* text;
            std::string fault;
        } const cases[] = {
            {"txtInputFullScale3", "abc",
             "in3 full scale: an input's full scale in volts is a number from 0.01 to 100, "
             "not 'abc'"},
            {"txtSafetyLimit", "1.5", "the safety limit 1.5 V is above the output's full scale 1 V"},
        };
        for (const Case& k : cases) {
            auto* field = dialog.findChild<QLineEdit*>(QString::fromLatin1(k.field));
            const QString before = field->text();
            field->setText(QString::fromLatin1(k.text));
            const auto edited = dialog.Edited();
            QVERIFY(std::holds_alternative<std::string>(edited));
            QCOMPARE(std::get<std::string>(edited), k.fault);
            field->setText(before);
        }
        dialog.findChild<QComboBox*>(QStringLiteral("cboInputPort2"))->setEditText(QStringLiteral("a b"));
        QCOMPARE(std::get<std::string>(dialog.Edited()),
                 std::string("in2: a port's name is not empty and holds no blanks"));
    }
};

QTEST_MAIN(AudioSetupDialogTest)
#include "AudioSetupDialogTest.moc"
