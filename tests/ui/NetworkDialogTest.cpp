#include "ui/NetworkDialog.h"
#include "core/FileErrors.h"
#include "support/TestController.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sys/stat.h>

class NetworkDialogTest : public QObject {
    Q_OBJECT

private slots:
    // Under System after USB Interface Setup...; OK saves what the fields hold to the user's
    // settings file and hands the link they make to the program, the password read but
    // never saved.
    void okSavesTheSettingsAndHandsOnTheLink() {
        QTemporaryDir config;
        ::setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
        const std::string passwordFile = config.filePath(QStringLiteral("password")).toStdString();
        std::ofstream(passwordFile) << "pw-of-bay-2\n";
        ::chmod(passwordFile.c_str(), 0600);

        TestController t;
        MainWindow window(t.c);
        const QList<QAction*> system = window.Action(QStringLiteral("mnuSystem"))->menu()->actions();
        const qsizetype usbSetup = system.indexOf(window.Action(QStringLiteral("mnuSystemUsbSetup")));
        QCOMPARE(system.value(usbSetup + 1), window.Action(QStringLiteral("mnuSystemNetwork")));
        QCOMPARE(system.value(usbSetup + 1)->text(), QStringLiteral("&Network..."));

        const NetworkSettings inForce{"", "", "", "", true, false};
        std::optional<NetworkChoice> taken;
        window.SetNetwork(&inForce, [&taken](NetworkChoice choice) { taken = std::move(choice); });
        NetworkDialog* dialog = window.OpenNetworkSettings();
        QVERIFY(dialog->findChild<QCheckBox*>(QStringLiteral("chkPublishStatus"))->isChecked());
        QVERIFY(!dialog->findChild<QCheckBox*>(QStringLiteral("chkAcceptCommands"))->isChecked());
        dialog->findChild<QLineEdit*>(QStringLiteral("txtBrokerUrl"))
            ->setText(QStringLiteral(" mqtt://bay2@localhost "));
        dialog->findChild<QLineEdit*>(QStringLiteral("txtStation"))->setText(QStringLiteral("bay-2"));
        dialog->findChild<QLineEdit*>(QStringLiteral("txtPasswordFile"))->setText(QString::fromStdString(passwordFile));
        dialog->findChild<QCheckBox*>(QStringLiteral("chkAcceptCommands"))->setChecked(true);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));

        const NetworkSettings expected{"mqtt://bay2@localhost", "bay-2", passwordFile, "", true, true};
        const std::string saved = ReadDataFile(DefaultNetworkSettingsPath());
        QVERIFY(ReadNetworkSettings(saved) == expected);
        QVERIFY(saved.find("pw-of-bay-2") == std::string::npos);
        QVERIFY(taken.has_value() && taken->link.has_value());
        QCOMPARE(taken->link->password, std::string("pw-of-bay-2"));
        QCOMPARE(taken->link->port, 1883);
        delete dialog;
    }
};

QTEST_MAIN(NetworkDialogTest)
#include "NetworkDialogTest.moc"
