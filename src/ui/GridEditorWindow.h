#pragma once

#include <QSize>
#include <QWidget>

#include <functional>
#include <vector>

struct EditorGrid;
class QHBoxLayout;
class QLineEdit;
class QTableWidget;
class QVBoxLayout;

// An editor window over a grid the core keeps (`EditorGrid`), modeless beside the main
// window: the profile editor and the limit table. It shows the grid, the edit box Text1
// and a row of buttons, and hands every click, key and paste to the core's grid
// commands (files/GridEditing.h); what each button does is the editor's own.
class GridEditorWindow : public QWidget {
    Q_OBJECT

public:
    // Carries out a core command the way the main window does (errors caught, the
    // windows brought up to date afterwards).
    using CommandRunner = std::function<void(const std::function<void()>&)>;

    // Shown, hidden, filled and brought forward as the grid's state says.
    void Render();

protected:
    struct Look {
        const char* name; // the window's object name
        const char* title;
        std::vector<int> columnShares; // the row numbers, then each column: parts of the grid's width
        QSize size;                    // at most the screen's
    };
    GridEditorWindow(EditorGrid& grid, CommandRunner run, const Look& look, QWidget* parent);

    // A button at the end of the row, running `command` through the runner.
    void AddButton(const char* name, const char* caption, const std::function<void()>& command);
    // A line of guidance beneath the buttons.
    void AddNote(const QString& text);
    // The editor's Close, run too when the window's frame is closed.
    virtual void CloseEditor() = 0;

    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Run(const std::function<void()>& command) { run_(command); }
    void ShowGrid();
    void SizeColumns();

    EditorGrid& model_;
    CommandRunner run_;
    std::vector<int> columnShares_;
    QVBoxLayout* layout_ = nullptr;
    QHBoxLayout* buttons_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLineEdit* text_ = nullptr;
    unsigned shownRevision_ = ~0u;
    unsigned raisesSeen_ = 0;
};
