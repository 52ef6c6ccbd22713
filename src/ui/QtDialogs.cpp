#include "ui/QtDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScrollBar>
#include <QStringList>
#include <QTextBrowser>

namespace {
QString Text(const std::string& text) { return QString::fromStdString(text); }

// A window title holds one line: a line break in it is shown as a blank.
QString Title(const std::string& title) {
    if (title.empty()) return QString::fromLatin1(ApplicationTitle);
    QString line = QString::fromStdString(title);
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// A box closed without a button (Escape, the window's close button) answers as
// its cancelling button would.
MessageAnswer AnswerOf(int button, MessageButtons buttons) {
    switch (button) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        break;
    }
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (buttons == MessageButtons::YesNo) return MessageAnswer::No;
    return MessageAnswer::Cancel;
}

QString FilterList(const std::vector<FileFilter>& filters) {
    QStringList list;
    for (const FileFilter& filter : filters) {
        const QString pattern = Text(filter.pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
        list << Text(filter.description) + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return list.join(QStringLiteral(";;"));
}
} // namespace

std::string QtDialogs::InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) {
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(Title(title));
    dialog.setLabelText(Text(prompt));
    dialog.setTextValue(Text(defaultText));
    // A long prompt breaks over lines: on one line it made the box wider than the screen.
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
    }
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue().toStdString();
}

MessageAnswer QtDialogs::MessageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                                    MessageIcon icon) {
    QMessageBox box(IconOf(icon), Title(title), Text(text), ButtonsOf(buttons), parent_);
    box.setTextFormat(Qt::PlainText);
    return AnswerOf(box.exec(), buttons);
}

std::optional<std::string> QtDialogs::FileName(bool save, const std::string& title,
                                               const std::vector<FileFilter>& filters,
                                               const std::string& proposedName) {
    const QString path =
        save ? QFileDialog::getSaveFileName(parent_, Title(title), Text(proposedName), FilterList(filters))
             : QFileDialog::getOpenFileName(parent_, Title(title), Text(proposedName), FilterList(filters));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

std::optional<std::string> QtDialogs::OpenFileName(const std::string& title, const std::vector<FileFilter>& filters,
                                                   const std::string& proposedName) {
    return FileName(false, title, filters, proposedName);
}

std::optional<std::string> QtDialogs::SaveFileName(const std::string& title, const std::vector<FileFilter>& filters,
                                                   const std::string& proposedName) {
    return FileName(true, title, filters, proposedName);
}

void QtDialogs::ShowTrailingText(const std::string& title, const std::function<std::string()>& text, bool open) {
    QPointer<TextWindow>& window = textWindows_[title];
    if (!open && (window == nullptr || !window->isVisible())) return;
    if (window == nullptr) window = new TextWindow(parent_);
    window->SetText(Title(title), Text(text()), TextFormat::Plain);
    QScrollBar* const scroll = window->Browser()->verticalScrollBar();
    scroll->setValue(scroll->maximum());
    if (!open) return;
    window->show();
    window->raise();
    window->activateWindow();
}

void QtDialogs::ShowText(const std::string& title, const std::string& text, TextFormat format) {
    QPointer<TextWindow>& window = textWindows_[title];
    if (window == nullptr) window = new TextWindow(parent_);
    window->SetText(Title(title), Text(text), format);
    window->show();
    window->raise();
    window->activateWindow();
}
