#include "ui/NetworkDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* TextField(const QString& name, const std::string& text, const QString& placeholder = {}) {
    auto* field = new QLineEdit(QString::fromStdString(text));
    field->setObjectName(name);
    field->setPlaceholderText(placeholder);
    field->setMinimumWidth(320);
    return field;
}

QCheckBox* Switch(const QString& name, const QString& caption, bool checked) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    box->setChecked(checked);
    return box;
}

std::string Text(const QLineEdit* field) { return field->text().trimmed().toStdString(); }

} // namespace

NetworkDialog::NetworkDialog(const NetworkSettings& settings, Acceptor acceptor, QWidget* parent)
    : QDialog(parent), acceptor_(std::move(acceptor)) {
    setObjectName(QStringLiteral("frmNetwork"));
    setWindowTitle(QStringLiteral("Network"));
    auto* grid = new QGridLayout;
    url_ = TextField(QStringLiteral("txtBrokerUrl"), settings.url, QStringLiteral("mqtts://user@host:8883"));
    station_ = TextField(QStringLiteral("txtStation"), settings.station);
    grid->addWidget(new QLabel(QStringLiteral("Broker URL")), 0, 0);
    grid->addWidget(url_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Station")), 1, 0);
    grid->addWidget(station_, 1, 1);
    passwordFile_ = AddFileRow(*grid, 2, QStringLiteral("Password file"), QStringLiteral("PasswordFile"),
                               settings.passwordFile, QStringLiteral("All files (*)"));
    caFile_ = AddFileRow(*grid, 3, QStringLiteral("CA file"), QStringLiteral("CaFile"), settings.caFile,
                         QStringLiteral("Certificates (*.pem *.crt);;All files (*)"));
    publishStatus_ =
        Switch(QStringLiteral("chkPublishStatus"), QStringLiteral("Publish Status"), settings.publishStatus);
    acceptCommands_ =
        Switch(QStringLiteral("chkAcceptCommands"), QStringLiteral("Accept Commands"), settings.acceptCommands);
    grid->addWidget(publishStatus_, 4, 1);
    grid->addWidget(acceptCommands_, 5, 1);
    auto* note = new QLabel(QStringLiteral("Leave the URL empty for no network. Stop is obeyed from the network "
                                           "whether or not Accept Commands is ticked."));
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &NetworkDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NetworkDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

QLineEdit* NetworkDialog::AddFileRow(QGridLayout& grid, int row, const QString& label, const QString& name,
                                     const std::string& path, const QString& filter) {
    QLineEdit* field = TextField(QStringLiteral("txt") + name, path);
    auto* browse = new QPushButton(QStringLiteral("Browse..."));
    browse->setObjectName(QStringLiteral("btnBrowse") + name);
    connect(browse, &QPushButton::clicked, this, [this, field, label, filter] {
        const QString chosen = QFileDialog::getOpenFileName(this, label, field->text(), filter);
        if (!chosen.isEmpty()) field->setText(chosen);
    });
    grid.addWidget(new QLabel(label), row, 0);
    grid.addWidget(field, row, 1);
    grid.addWidget(browse, row, 2);
    return field;
}

NetworkSettings NetworkDialog::Edited() const {
    return {Text(url_),
            Text(station_),
            Text(passwordFile_),
            Text(caFile_),
            publishStatus_->isChecked(),
            acceptCommands_->isChecked()};
}

void NetworkDialog::accept() {
    if (acceptor_) {
        if (const auto refusal = acceptor_(Edited())) {
            QMessageBox::warning(this, windowTitle(), QString::fromStdString(*refusal));
            return;
        }
    }
    QDialog::accept();
}
