#include "core/FormatMask.h"

#include "core/NumberText.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

bool IsDigitPlace(char c) { return c == '#' || c == '0'; }

int CountDigitPlaces(std::string_view mask) {
    return static_cast<int>(std::count_if(mask.begin(), mask.end(), IsDigitPlace));
}

// The magnitude rounded half away from zero to `fractionDigits` decimals.
struct FixedDigits {
    std::string integer;  // no leading zeros; empty when the integer part is 0
    std::string fraction; // exactly fractionDigits digits
};

FixedDigits RoundToFixed(double magnitude, int fractionDigits) {
    const DecimalDigits decimal = ShortestDigits(magnitude);
    const auto digitAt = [&decimal](int power) {
        const int index = decimal.exponent - power;
        return index >= 0 && index < static_cast<int>(decimal.digits.size())
                   ? decimal.digits[static_cast<std::size_t>(index)]
                   : '0';
    };
    std::string all;
    for (int power = std::max(decimal.exponent, 0); power >= -fractionDigits; --power) all += digitAt(power);
    if (digitAt(-fractionDigits - 1) >= '5') {
        auto digit = all.rbegin();
        while (digit != all.rend() && *digit == '9') *digit++ = '0';
        if (digit == all.rend()) {
            all.insert(all.begin(), '1');
        } else {
            ++*digit;
        }
    }
    const std::size_t integerLength = all.size() - static_cast<std::size_t>(fractionDigits);
    FixedDigits fixed{all.substr(0, integerLength), all.substr(integerLength)};
    fixed.integer.erase(0, std::min(fixed.integer.find_first_not_of('0'), fixed.integer.size()));
    return fixed;
}

void AppendTwoDigits(std::string& out, long long value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

std::string FormatAfresh(double value, std::string_view mask, char decimalPoint) {
    if (!std::isfinite(value)) value = 0.0;
    const std::size_t point = mask.find('.');
    const std::string_view integerMask = mask.substr(0, point);
    const std::string_view fractionMask = point == std::string_view::npos ? std::string_view{} : mask.substr(point + 1);
    const int integerPlaces = CountDigitPlaces(integerMask);
    const int fractionPlaces = CountDigitPlaces(fractionMask);

    FixedDigits fixed = RoundToFixed(std::fabs(value), fractionPlaces);
    const bool isZero = fixed.integer.empty() && fixed.fraction.find_first_not_of('0') == std::string::npos;

    // Integer digits shown: all of the number's, and at least those from the first
    // "0" place to the point.
    int hashesBeforeZero = 0;
    bool hasZeroPlace = false;
    for (const char c : integerMask) {
        if (c == '0') {
            hasZeroPlace = true;
            break;
        }
        if (c == '#') ++hashesBeforeZero;
    }
    const int forcedPlaces = hasZeroPlace ? integerPlaces - hashesBeforeZero : 0;
    const int shownInteger = std::max(static_cast<int>(fixed.integer.size()), forcedPlaces);
    fixed.integer.insert(0, static_cast<std::size_t>(shownInteger) - fixed.integer.size(), '0');
    const int surplus = shownInteger - integerPlaces; // digits beyond the places go to the first one

    // Trailing zeros on "#" places after the point are dropped.
    int shownFraction = fractionPlaces;
    for (auto c = fractionMask.rbegin(); c != fractionMask.rend() && shownFraction > 0; ++c) {
        if (!IsDigitPlace(*c)) continue;
        if (*c != '#' || fixed.fraction[static_cast<std::size_t>(shownFraction - 1)] != '0') break;
        --shownFraction;
    }

    std::string out;
    bool signPending = value < 0 && !isZero;
    const auto put = [&](std::string_view text) {
        if (text.empty()) return;
        if (signPending) out += '-';
        signPending = false;
        out += text;
    };

    int place = 0;
    for (const char c : integerMask) {
        if (!IsDigitPlace(c)) {
            out += c;
            continue;
        }
        if (place == 0 && surplus > 0)
            put(std::string_view(fixed.integer).substr(0, static_cast<std::size_t>(surplus)));
        const int index = surplus + place++;
        if (index >= 0) put(std::string_view(fixed.integer).substr(static_cast<std::size_t>(index), 1));
    }
    if (point == std::string_view::npos) return out;

    if (integerPlaces == 0) put(fixed.integer);
    put(std::string_view(&decimalPoint, 1));
    place = 0;
    for (const char c : fractionMask) {
        if (!IsDigitPlace(c)) {
            out += c;
        } else {
            if (place < shownFraction) put(std::string_view(fixed.fraction).substr(static_cast<std::size_t>(place), 1));
            ++place;
        }
    }
    return out;
}

// The status panel formats the same few dozen values with the same masks on every cycle,
// and most of them rarely change: the texts are kept in a small table, by the value's
// bits (so -0 and 0 stay apart), the mask and the separator, and made afresh only for
// what the table does not hold.
struct KeptText {
    std::uint64_t valueBits = 0;
    char decimalPoint = 0;
    std::string mask;
    std::string text;
};

} // namespace

std::string FormatTimeOfDay(double dayFraction, std::string_view mask) {
    long long seconds = 0;
    if (std::isfinite(dayFraction)) {
        const double fraction = std::fabs(dayFraction - std::trunc(dayFraction));
        seconds = std::llround(fraction * 86400.0) % 86400;
    }
    std::string out;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const std::string_view token = mask.substr(i, 2);
        if (token == "hh") {
            AppendTwoDigits(out, seconds / 3600);
        } else if (token == "mm") {
            AppendTwoDigits(out, seconds / 60 % 60);
        } else if (token == "ss") {
            AppendTwoDigits(out, seconds % 60);
        } else {
            out += mask[i];
            continue;
        }
        ++i;
    }
    return out;
}

std::string FormatDate(int year, int month, int day, std::string_view mask) {
    std::string out;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (mask.substr(i, 4) == "yyyy") {
            std::string digits = std::to_string(std::abs(year));
            if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
            out += (year < 0 ? "-" : "") + digits;
            i += 3;
        } else if (mask.substr(i, 2) == "mm") {
            AppendTwoDigits(out, std::abs(month));
            ++i;
        } else if (mask.substr(i, 2) == "dd") {
            AppendTwoDigits(out, std::abs(day));
            ++i;
        } else {
            out += mask[i];
        }
    }
    return out;
}

std::string FormatMask(double value, std::string_view mask, char decimalPoint) {
    constexpr std::size_t Kept = 64;
    thread_local std::array<KeptText, Kept> kept;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const std::size_t slot =
        ((bits * 0x9E3779B97F4A7C15ULL) >> 58 ^ mask.size() * 7 ^ static_cast<unsigned char>(decimalPoint)) % Kept;
    KeptText& entry = kept[slot];
    if (entry.valueBits != bits || entry.decimalPoint != decimalPoint || entry.mask != mask || entry.text.empty()) {
        entry.text = FormatAfresh(value, mask, decimalPoint);
        entry.valueBits = bits;
        entry.decimalPoint = decimalPoint;
        entry.mask = mask;
    }
    return entry.text;
}
