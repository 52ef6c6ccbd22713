#include "core/NumberText.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace {

constexpr std::string_view Blanks = " \t";
constexpr std::string_view FieldEnds = ",\r\n";

// Digits and exponent of std::to_chars scientific output such as "-2.675e+00".
DecimalDigits FromScientific(const char* first, const char* last) {
    // Every display refresh formats dozens of numbers: the digits are gathered on the
    // stack and copied into the result once.
    char digits[64];
    std::size_t count = 0;
    const char* p = first;
    if (p != last && *p == '-') ++p;
    for (; p != last && *p != 'e'; ++p) {
        if (*p != '.' && count < sizeof digits) digits[count++] = *p;
    }
    if (p != last) ++p; // 'e'
    if (p != last && *p == '+') ++p;
    DecimalDigits result;
    std::from_chars(p, last, result.exponent);
    while (count > 0 && digits[count - 1] == '0') --count;
    if (count == 0) result.exponent = 0;
    result.digits.assign(digits, count);
    return result;
}

DecimalDigits SignificantDigits(double value, int count) {
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, count - 1);
    return FromScientific(buffer, written.ptr);
}

void AppendExponent(std::string& out, int exponent) {
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    const int magnitude = std::abs(exponent);
    if (magnitude < 10) out += '0';
    char buffer[8];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
    out.append(buffer, written.ptr);
}

// Fixed form for -5 < exponent < 7, exponent form otherwise.
std::string PlainText(const DecimalDigits& d, bool negative, bool zeroBeforePoint, char separator) {
    if (d.digits.empty()) return "0";
    std::string out = negative ? "-" : "";
    const int count = static_cast<int>(d.digits.size());
    const int e = d.exponent;
    if (e > -5 && e < 7) {
        if (e >= 0) {
            const int integerDigits = e + 1;
            out.append(d.digits, 0, static_cast<std::size_t>(std::min(count, integerDigits)));
            if (count < integerDigits) out.append(static_cast<std::size_t>(integerDigits - count), '0');
            if (count > integerDigits) {
                out += separator;
                out.append(d.digits, static_cast<std::size_t>(integerDigits));
            }
        } else {
            if (zeroBeforePoint) out += '0';
            out += separator;
            out.append(static_cast<std::size_t>(-e - 1), '0');
            out += d.digits;
        }
    } else {
        out += d.digits[0];
        if (count > 1) {
            out += separator;
            out.append(d.digits, 1);
        }
        AppendExponent(out, e);
    }
    return out;
}

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

DecimalDigits ShortestDigits(double value) {
    char buffer[64];
    std::to_chars_result written{};
    if (std::fabs(value) <= FLT_MAX && static_cast<double>(static_cast<float>(value)) == value) {
        written =
            std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value), std::chars_format::scientific);
    } else {
        written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    }
    return FromScientific(buffer, written.ptr);
}

std::string FieldNumber(float value) {
    if (!std::isfinite(value)) return "0";
    return PlainText(SignificantDigits(value, 7), std::signbit(value), false, '.');
}

std::string GeneralNumber(double value, char decimalSeparator) {
    if (!std::isfinite(value)) return "0";
    return PlainText(SignificantDigits(value, 7), std::signbit(value), true, decimalSeparator);
}

std::optional<float> ParseNumber(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty()) return std::nullopt;
    const bool negative = text[0] == '-';
    if (text[0] == '-' || text[0] == '+') text.remove_prefix(1);
    // from_chars would also take "inf", "nan" and a second sign: only digits or a
    // point may start the magnitude.
    if (text.empty() || !(IsDigit(text[0]) || text[0] == '.')) return std::nullopt;

    const char* first = text.data();
    const char* last = first + text.size();
    float value = 0.0f;
    const auto parsed = std::from_chars(first, last, value);
    if (parsed.ec == std::errc::invalid_argument || parsed.ptr != last) return std::nullopt;
    if (parsed.ec == std::errc::result_out_of_range) {
        // Out of range both ways: too small becomes zero, too large is refused.
        double wide = 0.0;
        const auto widened = std::from_chars(first, last, wide);
        const bool tooSmall = widened.ec == std::errc{} ? std::fabs(wide) < 1.0
                                                        : text.find("e-") != std::string_view::npos ||
                                                              text.find("E-") != std::string_view::npos;
        if (!tooSmall) return std::nullopt;
        value = 0.0f;
    }
    return negative ? -value : value;
}

void FieldWriter::SeparateField() {
    if (recordHasField_) text_ += ',';
    recordHasField_ = true;
}

void FieldWriter::AddNumber(float value) {
    SeparateField();
    text_ += FieldNumber(value);
}

void FieldWriter::AddText(std::string_view text) {
    SeparateField();
    text_ += '"';
    for (const char c : text) {
        if (c == '"') {
            text_ += '\'';
        } else if (c == '\r' || c == '\n') {
            text_ += ' ';
        } else {
            text_ += c;
        }
    }
    text_ += '"';
}

void FieldWriter::EndRecord() {
    text_ += "\r\n";
    recordHasField_ = false;
}

void FieldReader::SkipSeparator() {
    if (AtEnd()) return;
    const char c = text_[pos_++];
    if (c == '\r' && !AtEnd() && text_[pos_] == '\n') ++pos_;
}

std::optional<std::string_view> FieldReader::NextField() {
    if (AtEnd()) {
        status_ = Status::EndOfInput;
        return std::nullopt;
    }
    pos_ = std::min(text_.find_first_not_of(Blanks, pos_), text_.size());
    std::string_view field;
    if (!AtEnd() && text_[pos_] == '"') {
        const std::size_t start = pos_ + 1;
        const std::size_t close = std::min(text_.find_first_of("\"\r\n", start), text_.size());
        field = text_.substr(start, close - start);
        pos_ = std::min(text_.find_first_of(FieldEnds, close), text_.size());
    } else {
        const std::size_t end = std::min(text_.find_first_of(FieldEnds, pos_), text_.size());
        field = TrimBlanks(text_.substr(pos_, end - pos_));
        pos_ = end;
    }
    SkipSeparator();
    status_ = Status::Ok;
    return field;
}

std::optional<std::string> FieldReader::NextText() {
    const auto field = NextField();
    if (!field) return std::nullopt;
    return std::string(*field);
}

std::optional<float> FieldReader::NextNumber() {
    const auto field = NextField();
    if (!field) return std::nullopt;
    if (TrimBlanks(*field).empty()) return 0.0f;
    const auto value = ParseNumber(*field);
    if (!value) status_ = Status::NotANumber;
    return value;
}

std::string ExactNumber(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return {text, end};
}
