#include "files/SaveNameQuestions.h"

#include "core/Controller.h"

#include <algorithm>
#include <cctype>

bool EndsInExe(const std::string& name) {
    if (name.size() < 3) return false;
    std::string last = name.substr(name.size() - 3);
    std::transform(last.begin(), last.end(), last.begin(), [](unsigned char ch) { return std::toupper(ch); });
    return last == "EXE";
}

bool ConfirmSaveName(Controller& c, const std::string& name, const std::string& proposedName) {
    const auto ask = [&c](const char* question) {
        return c.ports.dialogs->MessageBox(question, "", MessageButtons::YesNo, MessageIcon::Critical) !=
               MessageAnswer::No;
    };
    if (EndsInExe(name) &&
        !ask("You have chosen EXE as the file extension; do you want to continue to save this file?"))
        return false;
    if (name.empty() && !ask("You have not chosen a filename; do you want to continue to save this file?"))
        return false;
    if (name == proposedName &&
        !ask("You have not chosen an extension the filename; do you want to continue to save this file?"))
        return false;
    return true;
}
