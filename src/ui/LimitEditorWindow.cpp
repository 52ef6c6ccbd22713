#include "ui/LimitEditorWindow.h"

#include "core/Controller.h"
#include "files/GridEditing.h"
#include "files/LimitGrid.h"

#include <utility>

LimitEditorWindow::LimitEditorWindow(Controller& controller, CommandRunner run, QWidget* parent)
    // The row numbers and the five columns take a sixth of the grid each.
    : GridEditorWindow(controller.LimitEditor, std::move(run),
                       {"frmLimits", "Limit Channels", {1, 1, 1, 1, 1, 1}, {700, 600}}, parent),
      c_(controller) {
    AddButton("cmdAccept", " Accept Value", [this] { AcceptCellValue(c_.LimitEditor); });
    AddButton("cmdUpdate", "Update Limits", [this] { UpdateLimitsFromGrid(c_); });
    AddButton("cmdCancel", "  Close", [this] { CloseLimitEditor(c_); });
    AddNote(QStringLiteral("  One Row Per Breakpoint: The Channel, Its Frequency, D, V Or A, The Limit Level, And "
                           "The Abort Margin In dB Above The Limit."));
}

void LimitEditorWindow::CloseEditor() { CloseLimitEditor(c_); }
