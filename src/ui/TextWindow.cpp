#include "ui/TextWindow.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// A guide reads best at a page's width; a short text gets no more room than it fills.
QSize WindowSize(const QTextBrowser& browser, const QString& text, TextFormat format) {
    QSize size(760, 640);
    if (format == TextFormat::Plain) {
        const QFontMetrics metrics(browser.font());
        int widest = 0;
        const QStringList lines = text.trimmed().split(QLatin1Char('\n'));
        for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
        // Room for the frame, the margins and the OK button around the text.
        const auto rows = static_cast<int>(lines.size());
        size = QSize(widest + 80, rows * metrics.lineSpacing() + 100);
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableGeometry().size() * 9 / 10;
        size = size.boundedTo(room);
    }
    return size.expandedTo(QSize(320, 180));
}
} // namespace

TextWindow::TextWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser) {
    setObjectName(QStringLiteral("dlgText"));
    setAttribute(Qt::WA_DeleteOnClose);
    browser_->setObjectName(QStringLiteral("txtText"));
    // The texts are the program's own; nothing in them is to be followed.
    browser_->setOpenLinks(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addWidget(buttons);
}

void TextWindow::SetText(const QString& title, const QString& text, TextFormat format) {
    setWindowTitle(title);
    if (format == TextFormat::Markdown) {
        browser_->setFont(font());
        browser_->setMarkdown(text);
    } else {
        // Key lists and notes line up in columns.
        browser_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        browser_->setPlainText(text);
    }
    resize(WindowSize(*browser_, text, format));
}
