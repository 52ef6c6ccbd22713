#include "core/ScriptedDialogs.h"

namespace {
bool Offers(MessageButtons buttons, MessageAnswer answer) {
    switch (buttons) {
    case MessageButtons::Ok:
        return answer == MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return answer == MessageAnswer::Ok || answer == MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return answer == MessageAnswer::Yes || answer == MessageAnswer::No;
    case MessageButtons::YesNoCancel:
        return answer == MessageAnswer::Yes || answer == MessageAnswer::No || answer == MessageAnswer::Cancel;
    case MessageButtons::RetryCancel:
        return answer == MessageAnswer::Retry || answer == MessageAnswer::Cancel;
    }
    return false;
}

// A script that has run out must never loop a Retry box forever: Cancel wins there.
MessageAnswer DefaultAnswer(MessageButtons buttons) {
    for (MessageAnswer answer : {MessageAnswer::Ok, MessageAnswer::Yes, MessageAnswer::Cancel}) {
        if (Offers(buttons, answer)) return answer;
    }
    return MessageAnswer::Cancel;
}
} // namespace

const char* AnswerName(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Ok:
        return "OK";
    case MessageAnswer::Cancel:
        return "Cancel";
    case MessageAnswer::Yes:
        return "Yes";
    case MessageAnswer::No:
        return "No";
    case MessageAnswer::Retry:
        return "Retry";
    }
    return "";
}

bool ScriptedDialogs::TakeReply(std::string& text) {
    if (replies_.empty()) return false;
    text = replies_.front();
    replies_.pop_front();
    return true;
}

std::string ScriptedDialogs::InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) {
    std::string answer;
    if (!TakeReply(answer) && !inputs_.empty()) {
        answer = inputs_.front();
        inputs_.pop_front();
    }
    history_.push_back({Kind::Input, title, prompt, defaultText, MessageButtons::OkCancel, MessageIcon::None, answer});
    return answer;
}

MessageAnswer ScriptedDialogs::MessageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                                          MessageIcon icon) {
    MessageAnswer answer = DefaultAnswer(buttons);
    if (!messageAnswers_.empty()) {
        if (Offers(buttons, messageAnswers_.front())) answer = messageAnswers_.front();
        messageAnswers_.pop_front();
    }
    history_.push_back({Kind::Message, title, text, "", buttons, icon, AnswerName(answer)});
    return answer;
}

std::optional<std::string> ScriptedDialogs::NextFileName(Kind kind, const std::string& title,
                                                         const std::string& proposedName) {
    std::string path;
    if (!TakeReply(path) && !fileNames_.empty()) {
        path = fileNames_.front();
        fileNames_.pop_front();
    }
    history_.push_back({kind, title, "", proposedName, MessageButtons::OkCancel, MessageIcon::None, path});
    if (path.empty()) return std::nullopt;
    return path;
}

std::optional<std::string> ScriptedDialogs::OpenFileName(const std::string& title, const std::vector<FileFilter>&,
                                                         const std::string& proposedName) {
    return NextFileName(Kind::OpenFile, title, proposedName);
}

std::optional<std::string> ScriptedDialogs::SaveFileName(const std::string& title, const std::vector<FileFilter>&,
                                                         const std::string& proposedName) {
    return NextFileName(Kind::SaveFile, title, proposedName);
}

void ScriptedDialogs::ShowText(const std::string& title, const std::string& text, TextFormat format) {
    history_.push_back(
        {Kind::Text, title, text, "", MessageButtons::Ok, MessageIcon::None, AnswerName(MessageAnswer::Ok), format});
}
