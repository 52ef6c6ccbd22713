#pragma once

#include "core/Clock.h"
#include "core/Controller.h"
#include "core/NetworkSettings.h"
#include "hardware/Backend.h"
#include "hardware/jack/InputCalibration.h"

#include <QObject>

#include <functional>
#include <memory>

class MainWindow;
class QtCycleDriver;
class QtDialogs;
class QtClipboard;
class QtPrinter;
class QWidget;

// The desktop controller: the start-up window, then the core's start-up, the main
// window and the control loop on the Qt event loop.
class DesktopProgram final : public QObject, private Shell {
    Q_OBJECT

public:
    static constexpr int StartUpWindowMs = 4000;

    // Makes the backend the boards are reached through; it runs on the program's clock.
    using DaqFactory = std::function<Backend(Clock&)>;

    explicit DesktopProgram(const DaqFactory& makeDaq);
    ~DesktopProgram() override;

    // Shows the start-up window and starts the controller once its time is up.
    void Begin(int startUpWindowMs = StartUpWindowMs);
    // The program has been told to end from outside (a signal): close as the
    // window's closing would.
    void EndFromOutside();

    Controller& State() { return controller_; }
    MainWindow* Window() const { return window_.get(); }
    // The inputs' correction by loop-back, advanced after every control cycle; the
    // interface's settings dialog starts it on Audio() and may cancel it.
    InputCalibration& Calibration() { return calibration_; }
    AudioInterface* Audio() const { return backend_.audio; }
    // The lab network's settings in force and the link they make, or why none: from the
    // settings file and the command line at start, from System / Network... after. A
    // refusal (and `notice`, a settings file that could not be read) is told to the
    // operator, at once or, before start-up, once the controller has started.
    void TakeNetwork(NetworkChoice choice, const std::string& notice = "");
    const NetworkChoice& Network() const { return network_; }

private:
    void ShowMainWindow() override;
    void EndProgram() override;
    void StartController();

    SystemClock clock_;
    Backend backend_;
    InputCalibration calibration_; // gone before the interface it holds the drive of
    Controller controller_;
    std::unique_ptr<QWidget> startUpWindow_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QtDialogs> dialogs_;
    std::unique_ptr<QtClipboard> clipboard_;
    std::unique_ptr<QtPrinter> printer_;
    std::unique_ptr<QtCycleDriver> driver_;
    NetworkChoice network_;
    std::unique_ptr<LabNetwork> link_; // the link network_ made, while it lives
    std::string networkNotice_;        // told once the controller has started
    bool started_ = false;
};
