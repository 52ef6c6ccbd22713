#pragma once

#include <cstddef>
#include <string>

// The texts the controller keeps for its files: the test title, the sub titles, the
// accelerometer model and serial, the comments of the profile rows.

// The longest of them, in characters: what the title prompts have always kept, what
// every prompt keeps, what a profile is written with and what a reader takes back, so
// that every profile the controller saves opens again.
inline constexpr std::size_t LongestStoredText = 65;

// A text typed at a prompt as the files can carry it: no double quote (it becomes a
// single one), no carriage return or line feed.
std::string StorableText(const std::string& text);

// The first `count` characters of a UTF-8 text. Cutting by bytes could split a
// character in two and leave a broken sequence in the title and the files.
std::string FirstCharacters(const std::string& text, std::size_t count);
