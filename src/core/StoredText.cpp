#include "core/StoredText.h"

std::string StorableText(const std::string& text) {
    std::string stored;
    for (const char ch : text) {
        if (ch == '\r' || ch == '\n') continue;
        stored += ch == '"' ? '\'' : ch;
    }
    return stored;
}

std::string FirstCharacters(const std::string& text, std::size_t count) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const bool startsCharacter = (static_cast<unsigned char>(text[at]) & 0xC0u) != 0x80u;
        if (startsCharacter && characters++ == count) return text.substr(0, at);
    }
    return text;
}
