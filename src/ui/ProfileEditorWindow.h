#pragma once

#include <QWidget>

#include <functional>

struct Controller;
class QLineEdit;
class QTableWidget;

// The profile editor frmProfile ("Modify Profile"), modeless beside the main window.
// It shows the grid the core keeps (`Controller::Editor`) and hands every click, key
// and button to the core's editor commands; nothing reaches the breakpoint table but
// through Update Profile.
class ProfileEditorWindow final : public QWidget {
    Q_OBJECT

public:
    // `run` carries out a core command the way the main window does (errors caught,
    // the windows brought up to date afterwards).
    ProfileEditorWindow(Controller& controller, std::function<void(const std::function<void()>&)> run,
                        QWidget* parent = nullptr);

    // Shown, hidden, filled and brought forward as the editor's state says.
    void Render();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Run(const std::function<void()>& command) { run_(command); }
    void ShowGrid();
    void SizeColumns();

    Controller& c_;
    std::function<void(const std::function<void()>&)> run_;
    QTableWidget* grid_ = nullptr;
    QLineEdit* text_ = nullptr;
    unsigned shownRevision_ = ~0u;
    unsigned raisesSeen_ = 0;
};
