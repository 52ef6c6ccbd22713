#pragma once

#include "ui/GridEditorWindow.h"

struct Controller;

// The profile editor frmProfile ("Modify Profile"), modeless beside the main window,
// over the grid `Controller::Editor`; nothing reaches the breakpoint table but through
// Update Profile.
class ProfileEditorWindow final : public GridEditorWindow {
    Q_OBJECT

public:
    ProfileEditorWindow(Controller& controller, CommandRunner run, QWidget* parent = nullptr);

protected:
    void CloseEditor() override;

private:
    Controller& c_;
};
