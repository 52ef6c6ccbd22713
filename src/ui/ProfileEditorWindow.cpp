#include "ui/ProfileEditorWindow.h"

#include "core/Controller.h"
#include "files/ProfileGrid.h"

#include <utility>

ProfileEditorWindow::ProfileEditorWindow(Controller& controller, CommandRunner run, QWidget* parent)
    // The row numbers and columns 1..5 take an eighth of the grid each, the comments two.
    : GridEditorWindow(controller.Editor, std::move(run),
                       {"frmProfile", "Modify Profile", {1, 1, 1, 1, 1, 1, 2}, {900, 600}}, parent),
      c_(controller) {
    AddButton("cmdAccept", " Accept Value", [this] { AcceptCellValue(c_.Editor); });
    AddButton("cmdUpdate", "Update Profile", [this] { UpdateProfileFromGrid(c_); });
    AddButton("cmdBreakpoints", "Breakpoints", [this] { ComputeCrossovers(c_); });
    AddButton("cmdCancel", "  Close", [this] { CloseProfileEditor(c_); });
    AddNote(QStringLiteral(
        "  Select And Enter The Desired Values In The Table; Use Breakpoints To Calculate Frequencies."));
}

void ProfileEditorWindow::CloseEditor() { CloseProfileEditor(c_); }
