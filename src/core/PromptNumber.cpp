#include "core/PromptNumber.h"

#include "core/Controller.h"
#include "core/NumberText.h"

namespace {
char Separator(const Controller& c) { return c.DecimalSeparator.size() == 1 ? c.DecimalSeparator[0] : '.'; }
} // namespace

std::optional<float> ParsePromptNumber(const Controller& c, const std::string& text) {
    const char separator = Separator(c);
    std::string plain = text;
    if (separator != '.') {
        // With a comma as separator a full stop would be a thousands mark; refuse it
        // rather than misread "1.000" as one.
        if (plain.find('.') != std::string::npos) return std::nullopt;
        for (char& ch : plain)
            if (ch == separator) ch = '.';
    }
    return ParseNumber(plain);
}

std::string PromptDefault(const Controller& c, float value) {
    return GeneralNumber(static_cast<double>(value), Separator(c));
}
