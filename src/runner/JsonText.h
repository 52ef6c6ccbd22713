#pragma once

#include <ostream>
#include <string>

// Pieces of the runner's JSON output.
// `text` as a JSON string: quotes, backslashes and control characters escaped, and any
// bytes that are no UTF-8 made well-formed (WellFormedUtf8).
void WriteJsonString(std::ostream& out, const std::string& text);
// A finite number in its shortest form (7 digits), `null` otherwise.
std::string JsonNumber(double value);
