#pragma once

#include "core/Dialogs.h"

#include <deque>
#include <string>
#include <vector>

// Dialogs answered from a script, for the headless runner and the tests. Every box
// shown is recorded with the answer it got. With the script exhausted, message
// boxes get the first of OK / Yes / Cancel / Retry their buttons offer (Yes for a
// Yes/No box), prompts get an empty text and file dialogs are cancelled. A text
// window is recorded as closed with OK and takes no queued answer: it asks nothing.
class ScriptedDialogs final : public Dialogs {
public:
    enum class Kind { Input, Message, OpenFile, SaveFile, Text };

    struct Shown {
        Kind kind = Kind::Message;
        std::string title;
        std::string text; // the prompt or message
        std::string defaultText;
        MessageButtons buttons = MessageButtons::Ok;
        MessageIcon icon = MessageIcon::None;
        std::string answer;                    // the text typed, the path chosen or the button name
        TextFormat format = TextFormat::Plain; // of a text window
    };

    void QueueAnswer(MessageAnswer answer) { messageAnswers_.push_back(answer); }
    void QueueInput(std::string text) { inputs_.push_back(std::move(text)); }
    // An empty path cancels the file dialog.
    void QueueFileName(std::string path) { fileNames_.push_back(std::move(path)); }
    // Answers for the next prompts and file dialogs in the order they come, whatever
    // their kind; taken before the queues above. DropReplies forgets those not used.
    void QueueReply(std::string text) { replies_.push_back(std::move(text)); }
    void DropReplies() { replies_.clear(); }

    const std::vector<Shown>& History() const { return history_; }

    std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
    MessageAnswer MessageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                             MessageIcon icon) override;
    std::optional<std::string> OpenFileName(const std::string& title, const std::vector<FileFilter>& filters,
                                            const std::string& proposedName) override;
    std::optional<std::string> SaveFileName(const std::string& title, const std::vector<FileFilter>& filters,
                                            const std::string& proposedName) override;
    void ShowText(const std::string& title, const std::string& text, TextFormat format) override;

private:
    bool TakeReply(std::string& text);
    std::optional<std::string> NextFileName(Kind kind, const std::string& title, const std::string& proposedName);

    std::deque<MessageAnswer> messageAnswers_;
    std::deque<std::string> inputs_;
    std::deque<std::string> fileNames_;
    std::deque<std::string> replies_;
    std::vector<Shown> history_;
};

const char* AnswerName(MessageAnswer answer);
