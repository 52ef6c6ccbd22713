#pragma once

#include "core/Dialogs.h"

#include <QDialog>

class QTextBrowser;

// A window that shows a text, scrollable and read-only, and closes with OK: the Help
// menu's guide, key list, version history and about box. It is deleted once closed.
class TextWindow final : public QDialog {
    Q_OBJECT

public:
    explicit TextWindow(QWidget* parent);

    void SetText(const QString& title, const QString& text, TextFormat format);
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};
