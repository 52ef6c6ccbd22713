#include "ui/MainWindow.h"

#include "core/Commands.h"
#include "core/Controller.h"
#include "core/FileErrors.h"
#include "core/StartUp.h"
#include "hardware/BoardLayer.h"
#include "hardware/jack/AudioInterface.h"
#include "hardware/jack/AudioSettingsFile.h"
#include "hardware/jack/InputCalibration.h"
#include "plot/PlotFrame.h"
#include "ui/AudioSetupDialog.h"
#include "ui/LimitEditorWindow.h"
#include "ui/NetworkDialog.h"
#include "ui/PanelColors.h"
#include "ui/PlotArea.h"
#include "ui/PlotView.h"
#include "ui/ProfileEditorWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QSet>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

namespace {
QPixmap StopPicture() {
    QPixmap picture(56, 56);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        const double angle = (22.5 + 45.0 * i) * M_PI / 180.0;
        octagon << QPointF(28 + 26 * std::cos(angle), 28 + 26 * std::sin(angle));
    }
    painter.setBrush(QColor(200, 0, 0));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawPolygon(octagon);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 10, QFont::Bold));
    painter.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("STOP"));
    return picture;
}

QPixmap SinePicture() {
    QPixmap picture(56, 32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 230, 0), 2));
    QPainterPath path;
    for (int x = 0; x <= 56; ++x) {
        const double y = 16 - 12 * std::sin(x * 2.0 * M_PI / 28.0);
        if (x == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    painter.drawPath(path);
    return picture;
}
} // namespace

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    emit clicked();
}

MainWindow::MainWindow(Controller& controller, QWidget* parent) : QMainWindow(parent), c_(controller) {
    setObjectName(QStringLiteral("frmQMS"));
    BuildMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    // The plot view spans the whole inner width: the frequency values are placed as
    // fractions of it.
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    plotView_ = new PlotView(BuildPanel(), central);
    plot_ = plotView_->Plot();
    plot_->Cls(0x000000);
    connect(plot_, &PlotArea::clicked, this, [this](double x, double y) { Guarded([&] { PressOnPlot(c_, x, y); }); });
    const auto guarded = [this](const std::function<void()>& command) { Guarded(command); };
    editor_ = new ProfileEditorWindow(c_, guarded, this);
    limits_ = new LimitEditorWindow(c_, guarded, this);
    connect(plot_, &PlotArea::pictureResized, this, [this] {
        plotResized_ = true;
        RedrawResizedPlot();
    });
    // The operator's keys are the window's commands. The menu bar, opened with Alt and a
    // letter, hands the focus back to the widget that had it; with none it keeps it and
    // takes the next letters as menu letters ('s' for Servo On would open Sweep Setup).
    plotView_->setFocusPolicy(Qt::StrongFocus);
    plotView_->setFocus();
    layout->addWidget(plotView_, 1);
    layout->addWidget(BuildControls());
    setCentralWidget(central);
    Render();
}

template <class Command>
void MainWindow::Guarded(Command command) {
    try {
        command();
    } catch (const std::exception&) {
        // The command's own error boxes have told the operator; the window carries on.
    } catch (...) {
    }
    Render();
}

void MainWindow::ControllerStarted() {
    started_ = true;
    RedrawResizedPlot();
}

void MainWindow::RedrawResizedPlot() {
    if (!plotResized_ || !started_ || QApplication::activeModalWidget() != nullptr) return;
    plotResized_ = false;
    Guarded([&] { RefreshPlot(c_); });
}

void MainWindow::BuildMenus() {
    QSet<QPair<QString, int>> parents;
    for (const MenuEntry& entry : c_.Menu.Entries())
        if (!entry.parent.name.empty()) parents.insert({QString::fromStdString(entry.parent.name), entry.parent.index});

    QMap<QPair<QString, int>, QMenu*> menus;
    for (const MenuEntry& entry : c_.Menu.Entries()) {
        const QPair<QString, int> key{QString::fromStdString(entry.key.name), entry.key.index};
        const QString caption = QString::fromStdString(entry.caption);
        QMenu* parentMenu = menus.value({QString::fromStdString(entry.parent.name), entry.parent.index}, nullptr);
        QAction* action = nullptr;
        if (entry.parent.name.empty()) {
            QMenu* menu = menuBar()->addMenu(caption);
            menus.insert(key, menu);
            action = menu->menuAction();
        } else if (parentMenu == nullptr) {
            continue;
        } else if (parents.contains(key)) {
            QMenu* menu = parentMenu->addMenu(caption);
            menus.insert(key, menu);
            action = menu->menuAction();
        } else if (entry.caption == "-") {
            action = parentMenu->addSeparator();
        } else {
            action = parentMenu->addAction(caption);
            const std::string name = entry.key.name;
            const int index = entry.key.index;
            connect(action, &QAction::triggered, this,
                    [this, name, index] { Guarded([&] { RunMenuCommand(c_, name, index); }); });
        }
        action->setObjectName(key.first + (key.second >= 0 ? QStringLiteral("_%1").arg(key.second) : QString()));
        actions_.insert(key, action);
    }
    AddUsbSetupItem(menus);
    AddNetworkItem(menus);
}

QAction* MainWindow::AddSystemItem(const QMap<QPair<QString, int>, QMenu*>& menus, const QString& after,
                                   const QString& caption, const QString& name) {
    QMenu* system = menus.value({QStringLiteral("mnuSystem"), -1}, nullptr);
    const QAction* before = Action(after);
    if (system == nullptr || before == nullptr) return nullptr;
    const QList<QAction*> items = system->actions();
    const qsizetype next = items.indexOf(before) + 1;
    auto* item = new QAction(caption, system);
    item->setObjectName(name);
    system->insertAction(next < items.size() ? items[next] : nullptr, item);
    actions_.insert({name, -1}, item);
    return item;
}

void MainWindow::AddUsbSetupItem(const QMap<QPair<QString, int>, QMenu*>& menus) {
    QAction* setup = AddSystemItem(menus, QStringLiteral("mnuSystemInterface"),
                                   QStringLiteral("USB Interface &Setup..."), QStringLiteral("mnuSystemUsbSetup"));
    if (setup == nullptr) return;
    connect(setup, &QAction::triggered, this, [this] {
        AudioSetupDialog* dialog = OpenUsbSetup();
        if (dialog == nullptr) return;
        connect(dialog, &AudioSetupDialog::calibrateInputsRequested, this,
                [this, dialog] { CalibrateInputs(*dialog); });
        dialog->exec();
        dialog->deleteLater();
    });
}

void MainWindow::AddNetworkItem(const QMap<QPair<QString, int>, QMenu*>& menus) {
    QAction* network = AddSystemItem(menus, QStringLiteral("mnuSystemUsbSetup"), QStringLiteral("&Network..."),
                                     QStringLiteral("mnuSystemNetwork"));
    if (network == nullptr) return;
    connect(network, &QAction::triggered, this, [this] {
        NetworkDialog* dialog = OpenNetworkSettings();
        dialog->exec();
        dialog->deleteLater();
    });
}

void MainWindow::SetNetwork(const NetworkSettings* inForce, NetworkHook take) {
    networkInForce_ = inForce;
    takeNetwork_ = std::move(take);
}

NetworkDialog* MainWindow::OpenNetworkSettings() {
    const auto acceptor = [this](const NetworkSettings& settings) -> std::optional<std::string> {
        NetworkChoice choice = ChooseNetwork(settings);
        if (!choice.refusal.empty()) return choice.refusal;
        // Settings that cannot be kept are not taken either.
        const std::string path = DefaultNetworkSettingsPath();
        try {
            SaveNetworkSettingsFile(path, settings);
        } catch (const FileError& error) {
            return path + " cannot be written: " + error.description;
        }
        if (takeNetwork_) takeNetwork_(std::move(choice));
        return std::nullopt;
    };
    const NetworkSettings shown =
        networkInForce_ != nullptr ? *networkInForce_ : LoadNetworkSettingsFile(DefaultNetworkSettingsPath()).settings;
    return new NetworkDialog(shown, acceptor, this);
}

AudioSetupDialog* MainWindow::OpenUsbSetup() {
    const std::string path = WorkingPath(c_, AudioSettingsFileName);
    const AudioInterfaceSettings current =
        audio_ != nullptr ? audio_->Settings() : LoadAudioSettingsFile(path, AudioInterfaceSettings{}).settings;
    QStringList drivePorts, inputSources;
    if (audio_ != nullptr) {
        for (const std::string& port : audio_->ServerPorts(true)) drivePorts << QString::fromStdString(port);
        for (const std::string& port : audio_->ServerPorts(false)) inputSources << QString::fromStdString(port);
    }
    const bool onInterface = audio_ != nullptr && BoardsInUse(c_) && c_.P[Param::AcquisitionInterface] == 2.0f;
    const auto acceptor = [this, path](AudioInterfaceSettings next) -> std::optional<std::string> {
        // The corrections are the calibration's, which may have run while the dialog was open.
        if (audio_ != nullptr) next.inputCorrection = audio_->Settings().inputCorrection;
        // The file is written first: settings that cannot be kept are not taken either.
        if (audio_ != nullptr) {
            if (auto refusal = audio_->RefusalOf(next, IsOn(c_.ServoOn))) return refusal;
        }
        try {
            SaveAudioSettingsFile(path, next);
        } catch (const FileError& error) {
            return std::string(AudioSettingsFileName) + " cannot be written: " + error.description;
        }
        if (audio_ == nullptr) return std::nullopt;
        const bool wasRefused = !audio_->SettingsFault().empty();
        audio_->Apply(next);
        std::string notes;
        for (const std::string& fault : audio_->ConnectionFaults()) notes += fault + "\n";
        if (wasRefused)
            notes += "The boards are opened at start-up: restart the controller to drive through the USB "
                     "interface.";
        if (!notes.empty())
            QMessageBox::warning(this, QStringLiteral("USB Interface Setup"), QString::fromStdString(notes));
        return std::nullopt;
    };
    return new AudioSetupDialog(current, drivePorts, inputSources, onInterface, acceptor, this);
}

void MainWindow::CalibrateInputs(const AudioSetupDialog& dialog) {
    const QString title = QStringLiteral("Calibrate Inputs");
    if (audio_ == nullptr || calibration_ == nullptr) return;
    // The loop-back input as the dialog shows it, taken or not.
    const auto edited = dialog.Edited();
    if (const auto* settings = std::get_if<AudioInterfaceSettings>(&edited))
        audio_->SetLoopbackInput(settings->loopbackInput);
    if (const auto why = calibration_->Start(audio_, IsOn(c_.ServoOn))) {
        QMessageBox::warning(this, title, QString::fromStdString("The inputs cannot be calibrated: " + *why));
        return;
    }
    // The cycle and the calibration go on under the progress box; it only watches.
    QProgressDialog progress(QStringLiteral("Stepping a low-level sine from 2 Hz to 10000 Hz, with the drive cabled "
                                            "to in%1...")
                                 .arg(audio_->Settings().loopbackInput),
                             QStringLiteral("Cancel"), 0, 1000, this);
    progress.setWindowTitle(title);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    QTimer watch;
    connect(&watch, &QTimer::timeout, &progress, [this, &progress] {
        progress.setValue(static_cast<int>(std::lround(calibration_->Progress() * 1000.0)));
        if (!calibration_->Running()) progress.accept();
    });
    connect(&progress, &QProgressDialog::canceled, &progress, [this] { calibration_->Cancel(); });
    watch.start(100);
    progress.exec();
    watch.stop();
    calibration_->Cancel(); // closed some other way while it ran
    if (calibration_->Status() != InputCalibration::State::Done) {
        QMessageBox::warning(this, title, QString::fromStdString(calibration_->Message()));
        return;
    }
    std::string told =
        "The inputs are calibrated; their correction is kept in " + std::string(AudioSettingsFileName) + ".";
    try {
        SaveAudioSettingsFile(WorkingPath(c_, AudioSettingsFileName), audio_->Settings());
    } catch (const FileError& error) {
        told = "The inputs are calibrated for this session, but " + std::string(AudioSettingsFileName) +
               " cannot be written: " + error.description;
    }
    if (!calibration_->Message().empty()) told += "\n" + calibration_->Message();
    QMessageBox::information(this, title, QString::fromStdString(told));
}

QAction* MainWindow::Action(const QString& name, int index) const { return actions_.value({name, index}, nullptr); }

QLabel* MainWindow::AddLabel(const char* name, bool clickable) {
    QLabel* label = clickable ? new ClickableLabel : new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
    label->setAutoFillBackground(false);
    indicators_[name] = label;
    return label;
}

QWidget* MainWindow::BuildPanel() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("statusPanel"));
    auto* column = new QVBoxLayout(panel);
    column->setSpacing(2);
    for (const char* name : {"lblLL", "lblUL", "lblRate", "lblSweepType", "lblSweepNumber", "lblElapsedTime", "lblTime",
                             "lblDate", "Label17", "lblServoRate", "lblServoSpeed", "lblComp"})
        column->addWidget(AddLabel(name));
    gauge_ = new QProgressBar;
    gauge_->setObjectName(QStringLiteral("Gauge1"));
    gauge_->setRange(0, 70);
    gauge_->setFormat(QStringLiteral("%v dB"));
    indicators_["Gauge1"] = gauge_;
    column->addWidget(gauge_);
    for (const char* name : {"lblDisp", "lblVel", "lblAccBottom"}) column->addWidget(AddLabel(name));

    QLabel* readout = AddLabel("LblAcc");
    readout->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 22, QFont::Bold));
    column->addWidget(AddLabel("lblDisplay"));
    column->addWidget(readout);
    column->addWidget(AddLabel("lblFreqBottom"));
    QLabel* frequency = AddLabel("LblFreq");
    frequency->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 22, QFont::Bold));
    column->addWidget(frequency);
    column->addWidget(AddLabel("lblControlMode"));
    column->addWidget(AddLabel("lblControl"));
    QLabel* limiting = AddLabel("lblLimiting");
    limiting->setVisible(false);
    column->addWidget(limiting);
    QLabel* overload = AddLabel("lblOverload");
    overload->setVisible(false);
    column->addWidget(overload);
    // A record of the test that could not be written, and why.
    QLabel* record = AddLabel("lblRecord");
    record->setVisible(false);
    column->addWidget(record);
    // The last abort's reason and time, until the next Servo On.
    QLabel* abort = AddLabel("lblAbort");
    abort->setWordWrap(true);
    abort->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    abort->setVisible(false);
    column->addWidget(abort);

    auto* modes = new QHBoxLayout;
    for (const char* name : {"lblDMode", "lblVMode", "lblAMode"}) {
        QLabel* letter = AddLabel(name);
        letter->setAlignment(Qt::AlignCenter);
        letter->setMinimumWidth(28);
        modes->addWidget(letter);
    }
    column->addLayout(modes);
    auto* channel = static_cast<ClickableLabel*>(AddLabel("lblChannel", true));
    connect(channel, &ClickableLabel::clicked, this, [this] { Guarded([&] { ClickControl(c_, "lblChannel"); }); });
    column->addWidget(channel);
    column->addWidget(AddLabel("lblSweep"));
    column->addWidget(AddLabel("lblRemote"));
    // The audio interface's xruns and server state; other backends leave it hidden.
    QLabel* audio = AddLabel("lblAudio");
    audio->setVisible(false);
    column->addWidget(audio);
    // The lab network's link, on a station that is on one.
    QLabel* network = AddLabel("lblNetwork");
    network->setVisible(false);
    column->addWidget(network);
    // A long path breaks over lines (or is cut) rather than widening the panel.
    QLabel* report = AddLabel("lblReport");
    report->setWordWrap(true);
    report->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    column->addWidget(report);
    column->addStretch(1);
    // On a low screen the panel scrolls rather than holding the window taller than the
    // screen, where the buttons below the plot could not be reached.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("statusPanelScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(panel);
    return scroll;
}

QWidget* MainWindow::BuildControls() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    for (const char* name : {"cmdServoOn", "cmdServoOff", "cmdRun", "cmdHold"}) {
        auto* button = new QPushButton;
        button->setObjectName(QString::fromLatin1(name));
        button->setFocusPolicy(Qt::NoFocus);
        const std::string control = name;
        connect(button, &QPushButton::clicked, this, [this, control] { Guarded([&] { ClickControl(c_, control); }); });
        indicators_[name] = button;
        row->addWidget(button);
    }
    for (const char* name : {"spnFreq", "spnLevel", "spnDirection"}) {
        auto* spin = new QWidget;
        spin->setObjectName(QString::fromLatin1(name));
        auto* arrows = new QVBoxLayout(spin);
        arrows->setContentsMargins(0, 0, 0, 0);
        arrows->setSpacing(0);
        for (bool up : {true, false}) {
            auto* arrow = new QToolButton;
            arrow->setObjectName(QString::fromLatin1(name) + (up ? QStringLiteral("Up") : QStringLiteral("Down")));
            arrow->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
            arrow->setFocusPolicy(Qt::NoFocus);
            const std::string control = name;
            connect(arrow, &QToolButton::clicked, this,
                    [this, control, up] { Guarded([&] { SpinControl(c_, control, up); }); });
            arrows->addWidget(arrow);
        }
        row->addWidget(spin);
    }
    auto* stop = static_cast<ClickableLabel*>(AddLabel("Image3", true));
    stop->setPixmap(StopPicture());
    stop->setToolTip(QStringLiteral("Stop"));
    connect(stop, &ClickableLabel::clicked, this, [this] { Guarded([&] { ClickControl(c_, "Image3"); }); });
    row->addWidget(stop);
    QLabel* sine = AddLabel("imgSine");
    sine->setPixmap(SinePicture());
    row->addWidget(sine);
    row->addStretch(1);
    return bar;
}

void MainWindow::Render() {
    RedrawResizedPlot();
    editor_->Render();
    limits_->Render();
    if (c_.Menu.Revision() != menuRevision_) RenderMenus();
    if (c_.Indicators.Revision() != panelRevision_) RenderPanel();
}

void MainWindow::RenderMenus() {
    menuRevision_ = c_.Menu.Revision();
    for (const MenuEntry& entry : c_.Menu.Entries()) {
        QAction* action = actions_.value({QString::fromStdString(entry.key.name), entry.key.index}, nullptr);
        if (action == nullptr) continue;
        if (entry.caption != "-") action->setText(QString::fromStdString(entry.caption));
        // Only a ticked item shows a check box, as on the menus of this controller.
        action->setCheckable(entry.checked);
        action->setChecked(entry.checked);
        action->setEnabled(entry.enabled);
        action->setVisible(entry.visible);
    }
}

void MainWindow::RenderPanel() {
    panelRevision_ = c_.Indicators.Revision();
    plotView_->Render(c_.Indicators);
    for (const auto& [name, item] : c_.Indicators.Items()) {
        if (name == "frmQMS") {
            setWindowTitle(QString::fromStdString(item.text));
            continue;
        }
        const auto found = indicators_.find(name);
        if (found == indicators_.end()) continue;
        QWidget* widget = found->second;
        widget->setVisible(item.visible);
        if (auto* gauge = qobject_cast<QProgressBar*>(widget)) {
            gauge->setValue(static_cast<int>(std::clamp(item.value, 0.0, 70.0)));
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            button->setText(QString::fromStdString(item.text));
            ShowColors(*button, item.foreColor);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->pixmap().isNull()) {
                label->setText(QString::fromStdString(item.text));
                ShowColors(*label, item.foreColor, item.backColor);
            }
        }
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    // A key held with Ctrl, Alt or Meta belongs to the menus and shortcuts, never to the
    // test: Alt+H must not hold the sweep where no menu took it.
    const bool chord = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
    if (chord || text.size() != 1 || text.at(0).unicode() > 127) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    const int character = text.at(0).unicode();
    Guarded([&] { HandleKey(c_, character); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    bool mayClose = true;
    Guarded([&] { mayClose = CloseMainWindow(c_); });
    event->setAccepted(mayClose);
}
