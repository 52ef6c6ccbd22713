#pragma once

#include <string>
#include <string_view>

// The controller's files are 8-bit text in Latin-1; inside the program texts are
// UTF-8. A character Latin-1 cannot hold is written as "?", as is a broken sequence.
std::string Utf8ToLatin1(std::string_view utf8);
std::string Latin1ToUtf8(std::string_view latin1);
