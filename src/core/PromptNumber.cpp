#include "core/PromptNumber.h"

#include "core/Controller.h"
#include "core/Dialogs.h"
#include "core/NumberText.h"

#include <algorithm>
#include <clocale>

namespace {

std::optional<float> ParseWithPoint(char point, std::string text) {
    if (point != '.') {
        // Where the point is a comma a full stop is a thousands mark; refuse it rather
        // than misread "1.000" as one or as a thousand.
        if (text.find('.') != std::string::npos) return std::nullopt;
        std::replace(text.begin(), text.end(), point, '.');
    }
    return ParseNumber(text);
}

bool NumberButForSeparators(std::string text) {
    if (text.find_first_of(".,") == std::string::npos) return false;
    text.erase(std::remove_if(text.begin(), text.end(), [](char ch) { return ch == '.' || ch == ','; }), text.end());
    return ParseNumber(text).has_value();
}

} // namespace

char LocaleDecimalPoint() {
    const std::lconv* conventions = std::localeconv();
    const char* point = conventions != nullptr ? conventions->decimal_point : nullptr;
    if (point == nullptr || point[0] == '\0' || point[1] != '\0') return '.';
    return point[0];
}

std::optional<float> ReadPromptNumber(Controller& c, const std::string& answer) {
    const std::optional<float> value = ParseWithPoint(c.PromptDecimalPoint, answer);
    if (!value && NumberButForSeparators(answer))
        c.ports.dialogs->MessageBox(std::string("Numbers are entered with \"") + c.PromptDecimalPoint +
                                        "\" as decimal point and without thousands separators.",
                                    "Not A Number", MessageButtons::Ok, MessageIcon::None);
    return value;
}

std::string PromptDefault(const Controller& c, float value) {
    return GeneralNumber(static_cast<double>(value), c.PromptDecimalPoint);
}
