#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The buttons and icons a message box may show, and the button that closed it.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };
// How a text window's text is written.
enum class TextFormat { Plain, Markdown };

// One entry of a file dialog's filter list, e.g. {"Profile Files", "ZEKFileS.*"}.
struct FileFilter {
    std::string description;
    std::string pattern;
};

// The operator's modal conversations. Every call but ShowText blocks the command
// that asked until it is answered; the control cycle goes on meanwhile. An empty title means the application's own
// title.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Returns the text typed; an empty text when the prompt was cancelled.
    virtual std::string InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    virtual MessageAnswer MessageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                                     MessageIcon icon) = 0;
    // The chosen path, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> OpenFileName(const std::string& title, const std::vector<FileFilter>& filters,
                                                    const std::string& proposedName) = 0;
    virtual std::optional<std::string> SaveFileName(const std::string& title, const std::vector<FileFilter>& filters,
                                                    const std::string& proposedName) = 0;
    // A window that only shows a text (help, version, about) and closes with OK. It asks
    // nothing, so it stays open beside the main window while the test runs on; showing
    // the same title again brings that window forward with the new text.
    virtual void ShowText(const std::string& title, const std::string& text, TextFormat format) = 0;
    // A text window that follows a growing plain text (the test log) with its end in
    // view. `open` shows it as ShowText does; otherwise only a window already open takes
    // the new text, where it stands. Without such windows, only opening shows the text.
    // The text is asked for only when a window shows it: a closed window costs nothing.
    virtual void ShowTrailingText(const std::string& title, const std::function<std::string()>& text, bool open) {
        if (open) ShowText(title, text(), TextFormat::Plain);
    }
};

// Title shown when a box is given no title of its own.
inline constexpr const char* ApplicationTitle = "ZEK8QMS";
