#pragma once

#include "core/NetworkSettings.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QGridLayout;
class QLineEdit;

// System / Network...: the broker's URL, this station's name, the password file and the
// CA file, and the switches Publish Status and Accept Commands. OK hands the settings to
// the acceptor (which checks, saves and takes them); one it refuses keeps the dialog open
// with a box saying why.
class NetworkDialog final : public QDialog {
    Q_OBJECT

public:
    // What OK does with the settings: nothing when they were taken, else why not.
    using Acceptor = std::function<std::optional<std::string>(const NetworkSettings&)>;

    NetworkDialog(const NetworkSettings& settings, Acceptor acceptor, QWidget* parent = nullptr);

    // The settings as the fields hold them.
    NetworkSettings Edited() const;

protected:
    void accept() override;

private:
    // A file field with its Browse... button, on `row` of the grid.
    QLineEdit* AddFileRow(QGridLayout& grid, int row, const QString& label, const QString& name,
                          const std::string& path, const QString& filter);

    Acceptor acceptor_;
    QLineEdit* url_ = nullptr;
    QLineEdit* station_ = nullptr;
    QLineEdit* passwordFile_ = nullptr;
    QLineEdit* caFile_ = nullptr;
    QCheckBox* publishStatus_ = nullptr;
    QCheckBox* acceptCommands_ = nullptr;
};
