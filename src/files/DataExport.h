#pragma once

#include <string>

struct Controller;

inline constexpr const char* ProposedDataName = "ZEKDataS.*";

// The 1238 records of the data file, and the same data as clipboard text.
std::string DataFileText(const Controller& c);
std::string ClipboardDataText(const Controller& c);
