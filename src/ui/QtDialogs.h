#pragma once

#include "core/Dialogs.h"
#include "ui/TextWindow.h"

#include <QPointer>

#include <map>

class QWidget;

// The operator's prompts, message boxes and file dialogs as Qt modal dialogs. Texts
// are shown as plain text: a file name or comment may hold markup. A modal dialog
// blocks the command that asked until it is answered; the control cycle goes on in its
// event loop.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}

    std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
    MessageAnswer MessageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                             MessageIcon icon) override;
    std::optional<std::string> OpenFileName(const std::string& title, const std::vector<FileFilter>& filters,
                                            const std::string& proposedName) override;
    std::optional<std::string> SaveFileName(const std::string& title, const std::vector<FileFilter>& filters,
                                            const std::string& proposedName) override;
    void ShowText(const std::string& title, const std::string& text, TextFormat format) override;
    void ShowTrailingText(const std::string& title, const std::function<std::string()>& text, bool open) override;

    void SetParent(QWidget* parent) { parent_ = parent; }

private:
    std::optional<std::string> FileName(bool save, const std::string& title, const std::vector<FileFilter>& filters,
                                        const std::string& proposedName);

    QWidget* parent_;
    // One window per title: asking for it again brings it forward instead of stacking copies.
    std::map<std::string, QPointer<TextWindow>> textWindows_;
};
