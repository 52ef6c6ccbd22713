#pragma once

#include <string>
#include <string_view>

// The controller's files are 8-bit text in Latin-1; inside the program texts are
// UTF-8. A character Latin-1 cannot hold is written as "?", as is a broken sequence.
std::string Utf8ToLatin1(std::string_view utf8);
std::string Latin1ToUtf8(std::string_view latin1);
// A text that may hold bytes from outside the program (a script, a file name) as
// well-formed UTF-8 for a reader that takes nothing else: each broken sequence is a
// "?", as in the files, and every whole character stays as it is.
std::string WellFormedUtf8(std::string_view text);
