#include "core/Latin1.h"

namespace {

unsigned char Byte(std::string_view text, std::size_t i) { return static_cast<unsigned char>(text[i]); }

// The length of the sequence its lead byte announces; continuation bytes are 10xxxxxx.
std::size_t AnnouncedLength(unsigned char lead) { return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1; }

// The end of the sequence that starts at `i` (not ASCII): its lead byte and the
// continuation bytes after it, as many as the lead announces. A broken one ends early.
std::size_t SequenceEnd(std::string_view utf8, std::size_t i) {
    const std::size_t length = AnnouncedLength(Byte(utf8, i));
    std::size_t end = i + 1;
    while (end < utf8.size() && end < i + length && (Byte(utf8, end) & 0xC0) == 0x80) ++end;
    return end;
}

// True when the bytes from `i` to `end` are one character in the shortest form, no
// surrogate and at most U+10FFFF: the second byte's range narrows after E0, ED, F0, F4.
bool WellFormed(std::string_view utf8, std::size_t i, std::size_t end) {
    const unsigned char lead = Byte(utf8, i);
    if (lead < 0xC2 || lead > 0xF4 || end - i != AnnouncedLength(lead)) return false;
    const unsigned char second = Byte(utf8, i + 1);
    const unsigned char lowest = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char highest = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    return second >= lowest && second <= highest;
}

} // namespace

std::string Utf8ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        const std::size_t length = AnnouncedLength(lead);
        const std::size_t end = SequenceEnd(utf8, i);
        const bool whole = length > 1 && end == i + length;
        if (whole && length == 2) {
            const unsigned code = (lead & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            out += code <= 0xFF ? static_cast<char>(code) : '?';
        } else {
            out += '?';
        }
        i = end;
    }
    return out;
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char ch : latin1) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | byte >> 6);
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

std::string WellFormedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (Byte(text, i) < 0x80) {
            out += text[i++];
            continue;
        }
        const std::size_t end = SequenceEnd(text, i);
        if (WellFormed(text, i, end)) {
            out.append(text.substr(i, end - i));
        } else {
            out += '?';
        }
        i = end;
    }
    return out;
}
