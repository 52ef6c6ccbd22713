#include "ui/ProfileEditorWindow.h"

#include "core/Controller.h"
#include "files/ProfileGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int GridRows = ProfileEditorState::Rows - 1;       // rows 1..100
constexpr int GridColumns = ProfileEditorState::Columns - 1; // columns 1..6

QString Text(const std::string& text) { return QString::fromStdString(text); }
} // namespace

ProfileEditorWindow::ProfileEditorWindow(Controller& controller, std::function<void(const std::function<void()>&)> run,
                                         QWidget* parent)
    : QWidget(parent, Qt::Window), c_(controller), run_(std::move(run)) {
    setObjectName(QStringLiteral("frmProfile"));
    setWindowTitle(QStringLiteral("Modify Profile"));
    auto* layout = new QVBoxLayout(this);

    grid_ = new QTableWidget(GridRows, GridColumns);
    grid_->setObjectName(QStringLiteral("Grid1"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 9));
    grid_->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->setDefaultSectionSize(22);
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    for (int row = 0; row < GridRows; ++row)
        for (int column = 0; column < GridColumns; ++column) grid_->setItem(row, column, new QTableWidgetItem);
    connect(grid_, &QTableWidget::cellClicked, this,
            [this](int row, int column) { Run([&] { SelectCell(c_.Editor, row + 1, column + 1); }); });
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (row + 1 != c_.Editor.selectedRow || column + 1 != c_.Editor.selectedColumn)
            Run([&] { SelectCell(c_.Editor, row + 1, column + 1); });
    });
    layout->addWidget(grid_, 1);

    text_ = new QLineEdit;
    text_->setObjectName(QStringLiteral("Text1"));
    text_->installEventFilter(this);
    // What is typed stays the edit box's until it is accepted.
    connect(text_, &QLineEdit::textEdited, this, [this](const QString& text) { c_.Editor.text = text.toStdString(); });
    connect(text_, &QLineEdit::returnPressed, this, [this] { Run([&] { AcceptAndMoveDown(c_.Editor); }); });
    layout->addWidget(text_);

    auto* buttons = new QHBoxLayout;
    const auto addButton = [&](const char* name, const char* caption, const std::function<void()>& command) {
        auto* button = new QPushButton(QString::fromLatin1(caption));
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, command] { Run(command); });
        buttons->addWidget(button);
    };
    addButton("cmdAccept", " Accept Value", [this] { AcceptCellValue(c_.Editor); });
    addButton("cmdUpdate", "Update Profile", [this] { UpdateProfileFromGrid(c_); });
    addButton("cmdBreakpoints", "Breakpoints", [this] { ComputeCrossovers(c_); });
    addButton("cmdCancel", "  Close", [this] { CloseProfileEditor(c_); });
    layout->addLayout(buttons);

    auto* label = new QLabel(QStringLiteral(
        "  Select And Enter The Desired Values In The Table; Use Breakpoints To Calculate Frequencies."));
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    layout->addWidget(label);
    // The grid scrolls: on a small screen the window is made smaller, never the buttons
    // pushed off the screen.
    grid_->setMinimumHeight(120);
    resize(screen() != nullptr ? QSize(900, 600).boundedTo(screen()->availableGeometry().size()) : QSize(900, 600));
}

void ProfileEditorWindow::Render() {
    const ProfileEditorState& editor = c_.Editor;
    if (!editor.open) {
        if (isVisible()) hide();
        return;
    }
    const bool opening = !isVisible();
    if (opening) show();
    if (editor.revision != shownRevision_) ShowGrid();
    if (opening || editor.raiseRequests != raisesSeen_) {
        raisesSeen_ = editor.raiseRequests;
        raise();
        activateWindow();
    }
}

void ProfileEditorWindow::ShowGrid() {
    const ProfileEditorState& editor = c_.Editor;
    shownRevision_ = editor.revision;
    const QSignalBlocker blocked(grid_);
    for (int column = 1; column <= GridColumns; ++column)
        grid_->setHorizontalHeaderItem(column - 1, new QTableWidgetItem(Text(editor.Cell(0, column))));
    QStringList rowHeadings;
    for (int row = 1; row <= GridRows; ++row) {
        rowHeadings << Text(editor.Cell(row, 0));
        for (int column = 1; column <= GridColumns; ++column) {
            QTableWidgetItem* item = grid_->item(row - 1, column - 1);
            const QString text = Text(editor.Cell(row, column));
            if (item->text() != text) item->setText(text);
        }
    }
    grid_->setVerticalHeaderLabels(rowHeadings);
    grid_->setCurrentCell(editor.selectedRow - 1, editor.selectedColumn - 1);
    if (text_->text() != Text(editor.text)) {
        // A cell just chosen: its text ready to be typed over.
        text_->setText(Text(editor.text));
        text_->setFocus();
        text_->selectAll();
    }
}

void ProfileEditorWindow::SizeColumns() {
    // The row numbers and columns 1..5 take an eighth of the grid each, the comments two.
    const int eighth = (grid_->width() - 2 * grid_->frameWidth() - grid_->verticalScrollBar()->sizeHint().width()) / 8;
    grid_->verticalHeader()->setFixedWidth(eighth);
    for (int column = 0; column < GridColumns - 1; ++column) grid_->setColumnWidth(column, eighth);
    grid_->setColumnWidth(GridColumns - 1, 2 * eighth);
}

void ProfileEditorWindow::closeEvent(QCloseEvent* event) {
    Run([&] { CloseProfileEditor(c_); });
    event->accept();
}

bool ProfileEditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport() && event->type() == QEvent::Resize) SizeColumns();
    if (watched == text_ && event->type() == QEvent::MouseButtonDblClick) {
        Run([&] { AcceptCellValue(c_.Editor); });
        return true;
    }
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == grid_ && key->matches(QKeySequence::Paste)) {
        const std::string block = QApplication::clipboard()->text().toStdString();
        Run([&] { PasteIntoGrid(c_.Editor, block); });
        return true;
    }
    // Up and down in the edit box move through the grid, as in the grid itself.
    if (watched == text_ && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
        const int rows = key->key() == Qt::Key_Up ? -1 : 1;
        Run([&] { MoveSelection(c_.Editor, rows, 0); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
