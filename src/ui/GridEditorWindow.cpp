#include "ui/GridEditorWindow.h"

#include "core/EditorGrid.h"
#include "files/GridEditing.h"

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

#include <cstddef>
#include <numeric>
#include <utility>

namespace {
QString Text(const std::string& text) { return QString::fromStdString(text); }
} // namespace

GridEditorWindow::GridEditorWindow(EditorGrid& grid, CommandRunner run, const Look& look, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(grid), run_(std::move(run)), columnShares_(look.columnShares) {
    setObjectName(QString::fromLatin1(look.name));
    setWindowTitle(QString::fromLatin1(look.title));
    layout_ = new QVBoxLayout(this);

    grid_ = new QTableWidget(model_.LastRow(), model_.LastColumn());
    grid_->setObjectName(QStringLiteral("Grid1"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 9));
    grid_->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->setDefaultSectionSize(22);
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    for (int row = 0; row < grid_->rowCount(); ++row)
        for (int column = 0; column < grid_->columnCount(); ++column) grid_->setItem(row, column, new QTableWidgetItem);
    connect(grid_, &QTableWidget::cellClicked, this,
            [this](int row, int column) { Run([&] { SelectCell(model_, row + 1, column + 1); }); });
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (row + 1 != model_.selectedRow || column + 1 != model_.selectedColumn)
            Run([&] { SelectCell(model_, row + 1, column + 1); });
    });
    layout_->addWidget(grid_, 1);

    text_ = new QLineEdit;
    text_->setObjectName(QStringLiteral("Text1"));
    text_->installEventFilter(this);
    // What is typed stays the edit box's until it is accepted.
    connect(text_, &QLineEdit::textEdited, this, [this](const QString& text) { model_.text = text.toStdString(); });
    connect(text_, &QLineEdit::returnPressed, this, [this] { Run([&] { AcceptAndMoveDown(model_); }); });
    layout_->addWidget(text_);

    buttons_ = new QHBoxLayout;
    layout_->addLayout(buttons_);
    // The grid scrolls: on a small screen the window is made smaller, never the buttons
    // pushed off the screen.
    grid_->setMinimumHeight(120);
    resize(screen() != nullptr ? look.size.boundedTo(screen()->availableGeometry().size()) : look.size);
}

void GridEditorWindow::AddButton(const char* name, const char* caption, const std::function<void()>& command) {
    auto* button = new QPushButton(QString::fromLatin1(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, command] { Run(command); });
    buttons_->addWidget(button);
}

void GridEditorWindow::AddNote(const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    layout_->addWidget(label);
}

void GridEditorWindow::Render() {
    if (!model_.open) {
        if (isVisible()) hide();
        return;
    }
    const bool opening = !isVisible();
    if (opening) show();
    if (model_.revision != shownRevision_) ShowGrid();
    if (opening || model_.raiseRequests != raisesSeen_) {
        raisesSeen_ = model_.raiseRequests;
        raise();
        activateWindow();
    }
}

void GridEditorWindow::ShowGrid() {
    shownRevision_ = model_.revision;
    const QSignalBlocker blocked(grid_);
    for (int column = 1; column <= model_.LastColumn(); ++column)
        grid_->setHorizontalHeaderItem(column - 1, new QTableWidgetItem(Text(model_.Cell(0, column))));
    QStringList rowHeadings;
    for (int row = 1; row <= model_.LastRow(); ++row) {
        rowHeadings << Text(model_.Cell(row, 0));
        for (int column = 1; column <= model_.LastColumn(); ++column) {
            QTableWidgetItem* item = grid_->item(row - 1, column - 1);
            const QString text = Text(model_.Cell(row, column));
            if (item->text() != text) item->setText(text);
        }
    }
    grid_->setVerticalHeaderLabels(rowHeadings);
    grid_->setCurrentCell(model_.selectedRow - 1, model_.selectedColumn - 1);
    if (text_->text() != Text(model_.text)) {
        // A cell just chosen: its text ready to be typed over.
        text_->setText(Text(model_.text));
        text_->setFocus();
        text_->selectAll();
    }
}

void GridEditorWindow::SizeColumns() {
    const int width = grid_->width() - 2 * grid_->frameWidth() - grid_->verticalScrollBar()->sizeHint().width();
    const int part = width / std::accumulate(columnShares_.begin(), columnShares_.end(), 0);
    grid_->verticalHeader()->setFixedWidth(columnShares_.front() * part);
    for (int column = 0; column < grid_->columnCount(); ++column)
        grid_->setColumnWidth(column, columnShares_.at(static_cast<std::size_t>(column) + 1) * part);
}

void GridEditorWindow::closeEvent(QCloseEvent* event) {
    Run([this] { CloseEditor(); });
    event->accept();
}

bool GridEditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport() && event->type() == QEvent::Resize) SizeColumns();
    if (watched == text_ && event->type() == QEvent::MouseButtonDblClick) {
        Run([&] { AcceptCellValue(model_); });
        return true;
    }
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == grid_ && key->matches(QKeySequence::Paste)) {
        const std::string block = QApplication::clipboard()->text().toStdString();
        Run([&] { PasteIntoGrid(model_, block); });
        return true;
    }
    // Up and down in the edit box move through the grid, as in the grid itself.
    if (watched == text_ && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
        const int rows = key->key() == Qt::Key_Up ? -1 : 1;
        Run([&] { MoveSelection(model_, rows, 0); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
