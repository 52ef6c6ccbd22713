#include "ui/DesktopProgram.h"

#include "core/StartUp.h"
#include "hardware/DaqLibrary.h"
#include "hardware/jack/AudioInterface.h"
#include "network/MosquittoLink.h"
#include "ui/MainWindow.h"
#include "ui/PlotArea.h"
#include "ui/QtClipboard.h"
#include "ui/QtCycleDriver.h"
#include "ui/QtDialogs.h"
#include "ui/QtPrinter.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <thread>

namespace {
std::unique_ptr<QWidget> MakeStartUpWindow() {
    auto window = std::make_unique<QWidget>();
    window->setObjectName(QStringLiteral("frmSplash"));
    window->setWindowTitle(QStringLiteral("ZEK-8"));
    window->setStyleSheet(QStringLiteral("background-color: #000040; color: white;"));
    auto* layout = new QVBoxLayout(window.get());
    auto* title = new QLabel(QStringLiteral("ZEK-8 DIGITAL SINE CONTROLLER"));
    title->setFont(QFont(QStringLiteral("DejaVu Sans"), 36, QFont::Bold));
    auto* line = new QLabel(QStringLiteral("Swept sine and dwell control of electrodynamic shakers\n\nStarting ..."));
    line->setFont(QFont(QStringLiteral("DejaVu Sans"), 16));
    for (QLabel* label : {title, line}) {
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    return window;
}

// Without a window manager nothing maximises a window, so it is given the whole
// screen first.
void ShowFullScreenSized(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) window.setGeometry(screen->availableGeometry());
    window.showMaximized();
}
} // namespace

DesktopProgram::DesktopProgram(const DaqFactory& makeDaq) : backend_(makeDaq(clock_)) {
    window_ = std::make_unique<MainWindow>(controller_);
    driver_ = std::make_unique<QtCycleDriver>(controller_, [this] {
        calibration_.Advance(IsOn(controller_.ServoOn));
        window_->Render();
    });
    dialogs_ = std::make_unique<QtDialogs>(window_.get());
    clipboard_ = std::make_unique<QtClipboard>();
    printer_ = std::make_unique<QtPrinter>([this]() -> QWidget* { return window_.get(); });
    controller_.ports =
        Ports{&clock_, dialogs_.get(), window_->Plot(), clipboard_.get(), this, backend_.library.get(), printer_.get()};
    controller_.ports.usbDaq = backend_.usbInterface.get();
    controller_.ports.usbStream = backend_.usbStream;
    controller_.KeepTestRecord = true;
    controller_.ShowTestSummary = true;
    window_->SetAudioInterface(backend_.audio);
    window_->SetInputCalibration(&calibration_);
    window_->SetNetwork(&network_.settings, [this](NetworkChoice choice) { TakeNetwork(std::move(choice)); });
}

DesktopProgram::~DesktopProgram() = default;

void DesktopProgram::Begin(int startUpWindowMs) {
    startUpWindow_ = MakeStartUpWindow();
    ShowFullScreenSized(*startUpWindow_);
    QTimer::singleShot(startUpWindowMs, this, &DesktopProgram::StartController);
}

void DesktopProgram::StartController() {
    startUpWindow_.reset();
    try {
        StartUp(controller_);
    } catch (const std::exception&) {
        // Every step reports its own failures; whatever is left, the loop still runs.
    }
    // A port the interface could not connect: it drives on, and the operator is told
    // which (a bad settings file has had its box from the board layer).
    if (backend_.audio != nullptr && controller_.P[Param::AcquisitionInterface] == 2.0f &&
        !backend_.audio->ConnectionFaults().empty()) {
        std::string text;
        for (const std::string& fault : backend_.audio->ConnectionFaults()) text += fault + "\n";
        dialogs_->MessageBox(text + "See System / USB Interface Setup...", "USB Interface", MessageButtons::Ok,
                             MessageIcon::Exclamation);
    }
    started_ = true;
    if (!networkNotice_.empty())
        dialogs_->MessageBox(networkNotice_, "Network", MessageButtons::Ok, MessageIcon::Exclamation);
    window_->ControllerStarted();
    window_->Render();
    driver_->Start();
}

void DesktopProgram::TakeNetwork(NetworkChoice choice, const std::string& notice) {
    network_ = std::move(choice);
    TakeNetworkSwitches(controller_, network_.settings);
    // The cycles run between events, so the controller lets go of the old link first. Its
    // goodbye to the broker may take a second, which the cycles must not wait for: it
    // closes in a thread of its own. The new link connects in its own thread too.
    const bool hadLink = link_ != nullptr;
    controller_.ports.network = nullptr;
    if (hadLink) std::thread([old = std::move(link_)]() mutable { old.reset(); }).detach();
    if (network_.link) link_ = OpenMosquittoLink(*network_.link);
    controller_.ports.network = link_.get();
    if (hadLink && link_ == nullptr) controller_.Indicators.SetVisible("lblNetwork", false);
    std::string told = notice;
    if (!network_.refusal.empty()) {
        if (!told.empty()) told += '\n';
        told += "The controller runs without the lab network: " + network_.refusal;
    }
    if (told.empty()) return;
    if (started_) {
        dialogs_->MessageBox(told, "Network", MessageButtons::Ok, MessageIcon::Exclamation);
    } else {
        networkNotice_ = told;
    }
}

void DesktopProgram::ShowMainWindow() {
    ShowFullScreenSized(*window_);
    // Let the window take its size before the plot frame is drawn on it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void DesktopProgram::EndProgram() { QCoreApplication::quit(); }

void DesktopProgram::EndFromOutside() {
    if (controller_.Closing) return;
    MainWindowClosing(controller_);
    QCoreApplication::quit();
}
