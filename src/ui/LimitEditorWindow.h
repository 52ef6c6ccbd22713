#pragma once

#include "ui/GridEditorWindow.h"

struct Controller;

// The limit table's window frmLimits ("Limit Channels", Inputs / Limit Channels...),
// modeless beside the main window, over the grid `Controller::LimitEditor`; nothing
// reaches the limit table but through Update Limits, which refuses a row that breaks
// a rule with a message naming it.
class LimitEditorWindow final : public GridEditorWindow {
    Q_OBJECT

public:
    LimitEditorWindow(Controller& controller, CommandRunner run, QWidget* parent = nullptr);

protected:
    void CloseEditor() override;

private:
    Controller& c_;
};
