#pragma once

#include "hardware/jack/AudioInterfaceSettings.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <variant>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

// System / USB Interface Setup...: the ports the interface's drive and inputs are
// connected to, the volts at each digital full scale, the drive's safety limit and the
// loop-back input. OK hands the settings to the acceptor (which saves and applies them);
// a field that is wrong, or an acceptor that refuses, keeps the dialog open with a box
// saying why. The correction rows and the client's names pass through untouched.
class AudioSetupDialog final : public QDialog {
    Q_OBJECT

public:
    // What OK does with good settings: nothing when they were taken, else why not.
    using Acceptor = std::function<std::optional<std::string>(const AudioInterfaceSettings&)>;

    // `drivePorts`: the server's ports the drive may go to; `inputSources`: those an
    // input may come from; both empty when no server answers. Calibrate Inputs is
    // enabled with `calibrationPossible` (the interface is the backend in use).
    AudioSetupDialog(const AudioInterfaceSettings& settings, const QStringList& drivePorts,
                     const QStringList& inputSources, bool calibrationPossible, Acceptor acceptor,
                     QWidget* parent = nullptr);

    // The settings as the fields hold them, or what is wrong with a field.
    std::variant<AudioInterfaceSettings, std::string> Edited() const;

signals:
    void calibrateInputsRequested();

protected:
    void accept() override;

private:
    AudioInterfaceSettings original_;
    Acceptor acceptor_;
    QComboBox* drivePort_ = nullptr;
    QLineEdit* outputFullScale_ = nullptr;
    QLineEdit* safetyLimit_ = nullptr;
    QSpinBox* loopback_ = nullptr;
    std::array<QComboBox*, AudioInterfaceSettings::Inputs> inputPorts_{};
    std::array<QLineEdit*, AudioInterfaceSettings::Inputs> inputFullScales_{};
    QPushButton* calibrate_ = nullptr;
};
