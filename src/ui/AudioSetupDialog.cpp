#include "ui/AudioSetupDialog.h"

#include "core/NumberText.h"
#include "hardware/jack/AudioSettingsFile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <vector>

namespace {

QString Volts(double value) { return QString::fromStdString(ExactNumber(value)); }

QComboBox* PortField(const QString& name, const std::string& port, const QStringList& offered) {
    auto* field = new QComboBox;
    field->setObjectName(name);
    field->setEditable(true);
    field->setInsertPolicy(QComboBox::NoInsert);
    field->setMinimumContentsLength(24);
    field->addItem(QString());
    field->addItems(offered);
    field->setEditText(QString::fromStdString(port));
    return field;
}

QLineEdit* VoltsField(const QString& name, double volts) {
    auto* field = new QLineEdit(Volts(volts));
    field->setObjectName(name);
    field->setMaximumWidth(90);
    return field;
}

std::string Text(const QComboBox* field) { return field->currentText().trimmed().toStdString(); }
std::string Text(const QLineEdit* field) { return field->text().trimmed().toStdString(); }

} // namespace

AudioSetupDialog::AudioSetupDialog(const AudioInterfaceSettings& settings, const QStringList& drivePorts,
                                   const QStringList& inputSources, bool calibrationPossible, Acceptor acceptor,
                                   QWidget* parent)
    : QDialog(parent), original_(settings), acceptor_(std::move(acceptor)) {
    setObjectName(QStringLiteral("frmUsbSetup"));
    setWindowTitle(QStringLiteral("USB Interface Setup"));
    auto* grid = new QGridLayout;
    drivePort_ = PortField(QStringLiteral("cboDrivePort"), settings.drivePort, drivePorts);
    outputFullScale_ = VoltsField(QStringLiteral("txtOutputFullScale"), settings.outputFullScaleVolts);
    safetyLimit_ = VoltsField(QStringLiteral("txtSafetyLimit"), settings.safetyLimitVolts);
    loopback_ = new QSpinBox;
    loopback_->setObjectName(QStringLiteral("spnLoopback"));
    loopback_->setRange(1, AudioInterfaceSettings::Inputs);
    loopback_->setValue(settings.loopbackInput);
    grid->addWidget(new QLabel(QStringLiteral("Drive connected to")), 0, 0);
    grid->addWidget(drivePort_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Output full scale (V)")), 0, 2);
    grid->addWidget(outputFullScale_, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Safety limit of the drive (V)")), 1, 2);
    grid->addWidget(safetyLimit_, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Drive cabled to input (for Calibrate Inputs)")), 1, 0);
    grid->addWidget(loopback_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Input connected from")), 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Full scale (V)")), 2, 3);
    for (int k = 0; k < AudioInterfaceSettings::Inputs; ++k) {
        const auto i = static_cast<std::size_t>(k);
        inputPorts_[i] = PortField(QStringLiteral("cboInputPort%1").arg(k + 1), settings.inputPorts[i], inputSources);
        inputFullScales_[i] =
            VoltsField(QStringLiteral("txtInputFullScale%1").arg(k + 1), settings.inputFullScaleVolts[i]);
        grid->addWidget(new QLabel(QStringLiteral("in%1").arg(k + 1)), k + 3, 0);
        grid->addWidget(inputPorts_[i], k + 3, 1);
        grid->addWidget(inputFullScales_[i], k + 3, 3);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    calibrate_ = buttons->addButton(QStringLiteral("Calibrate Inputs"), QDialogButtonBox::ActionRole);
    calibrate_->setObjectName(QStringLiteral("btnCalibrateInputs"));
    calibrate_->setEnabled(calibrationPossible);
    connect(calibrate_, &QPushButton::clicked, this, &AudioSetupDialog::calibrateInputsRequested);
    connect(buttons, &QDialogButtonBox::accepted, this, &AudioSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AudioSetupDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

std::variant<AudioInterfaceSettings, std::string> AudioSetupDialog::Edited() const {
    AudioInterfaceSettings settings = original_;
    // Each field goes through the file's own reading of its line, so the dialog holds
    // every value to the same limits as the file.
    std::optional<std::string> fault;
    const auto take = [&](const QString& field, std::vector<std::string> words) {
        if (fault) return;
        if (const auto wrong = ApplyAudioSetting(words, settings)) fault = field.toStdString() + ": " + *wrong;
    };
    const auto port = [&](const QString& field, std::string& setting, std::vector<std::string> words) {
        if (words.back().empty()) {
            setting.clear();
        } else {
            take(field, std::move(words));
        }
    };
    port(QStringLiteral("Drive connected to"), settings.drivePort, {"drive-port", Text(drivePort_)});
    take(QStringLiteral("Output full scale"), {"output-full-scale-v", Text(outputFullScale_)});
    take(QStringLiteral("Safety limit"), {"safety-limit-v", Text(safetyLimit_)});
    take(QStringLiteral("Loop-back input"), {"loopback-input", std::to_string(loopback_->value())});
    for (std::size_t i = 0; i < inputPorts_.size(); ++i) {
        const std::string channel = std::to_string(i + 1);
        const QString input = QStringLiteral("in%1").arg(i + 1);
        port(input, settings.inputPorts[i], {"input-port", channel, Text(inputPorts_[i])});
        take(input + QStringLiteral(" full scale"), {"input-full-scale-v", channel, Text(inputFullScales_[i])});
    }
    if (!fault) fault = AudioSettingsConflict(settings);
    if (fault) return *fault;
    return settings;
}

void AudioSetupDialog::accept() {
    const auto edited = Edited();
    std::optional<std::string> refusal;
    if (const auto* fault = std::get_if<std::string>(&edited)) {
        refusal = *fault;
    } else if (acceptor_) {
        refusal = acceptor_(std::get<AudioInterfaceSettings>(edited));
    }
    if (refusal) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(*refusal));
        return;
    }
    QDialog::accept();
}
