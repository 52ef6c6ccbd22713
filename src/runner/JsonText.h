#pragma once

#include <ostream>
#include <string>

// Pieces of the runner's JSON output.
void WriteJsonString(std::ostream& out, const std::string& text);
// A finite number in its shortest form (7 digits), `null` otherwise.
std::string JsonNumber(double value);
