#include "runner/JsonText.h"

#include "core/Latin1.h"
#include "core/NumberText.h"

#include <cmath>

void WriteJsonString(std::ostream& out, const std::string& text) {
    out << '"';
    // JSON is UTF-8 only; a title typed in a script may hold any bytes.
    for (const char ch : WellFormedUtf8(text)) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out << '\\' << ch;
        } else if (byte < 0x20) {
            static const char* hex = "0123456789abcdef";
            out << "\\u00" << hex[byte >> 4] << hex[byte & 15];
        } else {
            out << ch;
        }
    }
    out << '"';
}

std::string JsonNumber(double value) { return std::isfinite(value) ? GeneralNumber(value) : "null"; }
