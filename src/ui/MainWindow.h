#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QPair>

#include "core/NetworkSettings.h"

#include <cstdint>
#include <functional>
#include <map>

class AudioInterface;
class AudioSetupDialog;
class InputCalibration;
class LimitEditorWindow;
class NetworkDialog;
struct Controller;
class PlotArea;
class PlotView;
class ProfileEditorWindow;
class QAction;
class QMenu;
class QProgressBar;
class QPushButton;

// A label that reports clicks (lblChannel, the Stop picture).
class ClickableLabel final : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The main window frmQMS. It shows what the core's menu and panel models hold and
// hands every action of the operator to the core command of the same name.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(Controller& controller, QWidget* parent = nullptr);

    PlotArea* Plot() const { return plot_; }
    QAction* Action(const QString& name, int index = -1) const;
    ProfileEditorWindow* ProfileEditor() const { return editor_; }
    LimitEditorWindow* LimitEditor() const { return limits_; }
    // The audio interface behind the USB interface item, whose settings System / USB
    // Interface Setup... applies at once; null: the dialog only edits the file.
    void SetAudioInterface(AudioInterface* audio) { audio_ = audio; }
    // What the setup dialog's Calibrate Inputs runs; the program advances it each cycle.
    void SetInputCalibration(InputCalibration* calibration) { calibration_ = calibration; }
    // Opens System / USB Interface Setup...; null when it could not be made.
    AudioSetupDialog* OpenUsbSetup();
    // Runs the inputs' calibration under a progress box, and keeps its result in the
    // settings file.
    void CalibrateInputs(const AudioSetupDialog& dialog);
    // System / Network... shows the settings in force, `inForce`, and hands settings the
    // operator gave, checked and saved, to `take`.
    using NetworkHook = std::function<void(NetworkChoice)>;
    void SetNetwork(const NetworkSettings* inForce, NetworkHook take);
    // Opens System / Network...
    NetworkDialog* OpenNetworkSettings();

    // Brings menus and indicators in line with the models, when they changed, and
    // draws the plot anew when its size changed.
    void Render();
    // The controller's state is set up: from now on a new plot size redraws the plot.
    void ControllerStarted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    // System / USB Interface Setup..., under the Interface items. It is the window's own:
    // the runner sets the interface with its audio actions instead.
    void AddUsbSetupItem(const QMap<QPair<QString, int>, QMenu*>& menus);
    // System / Network..., after USB Interface Setup...; the runner takes the same
    // settings on its command line.
    void AddNetworkItem(const QMap<QPair<QString, int>, QMenu*>& menus);
    // An item of the window's own in the System menu, after the item `after`; null when
    // the menu has no such item.
    QAction* AddSystemItem(const QMap<QPair<QString, int>, QMenu*>& menus, const QString& after, const QString& caption,
                           const QString& name);
    QWidget* BuildPanel();
    QWidget* BuildControls();
    QLabel* AddLabel(const char* name, bool clickable = false);
    // Runs a core command; nothing the core throws may leave a Qt slot.
    template <class Command>
    void Guarded(Command command);
    void RenderMenus();
    void RenderPanel();
    // A redraw waits for start-up, and for the operator's answer while a dialog is open:
    // the command that opened it is still under way.
    void RedrawResizedPlot();

    Controller& c_;
    PlotView* plotView_ = nullptr;
    PlotArea* plot_ = nullptr;
    ProfileEditorWindow* editor_ = nullptr;
    LimitEditorWindow* limits_ = nullptr;
    AudioInterface* audio_ = nullptr;
    InputCalibration* calibration_ = nullptr;
    const NetworkSettings* networkInForce_ = nullptr;
    NetworkHook takeNetwork_;
    QProgressBar* gauge_ = nullptr;
    QMap<QPair<QString, int>, QAction*> actions_;
    std::map<std::string, QWidget*> indicators_;
    std::uint64_t menuRevision_ = ~std::uint64_t{0};
    std::uint64_t panelRevision_ = ~std::uint64_t{0};
    bool started_ = false;
    bool plotResized_ = false;
};
