#pragma once

#include "core/LimitTable.h"

#include <stdexcept>
#include <string>
#include <string_view>

struct Controller;

// The limit table's file: beside the profile, under the profile's whole name with
// ".lim" after it, so that every profile of a folder keeps its own. One record a limit
// row (channel, frequency, mode 1..3, level, abort margin in dB), CR LF text as the
// profile's. A profile without one has no limit channels.

std::string LimitFilePath(const std::string& profilePath);

// A channel number as the file and the grid give it: a whole number, else 0 (no channel).
int LimitChannelNumber(float value);

std::string WriteLimits(const LimitTable& table);

// A limit file that cannot be taken, at the line it names (counted from 1).
struct LimitFileFault : std::runtime_error {
    LimitFileFault(int line, const std::string& what);
    int line;
};
// Throws LimitFileFault for a line that holds no limit row or one that breaks a rule
// of the table.
LimitTable ReadLimits(std::string_view text);

// With the profile saved at `profilePath`: the table into its file, written as the
// profile is (a file beside it renamed over the old, the file error trap); an empty
// table removes the file, so that no old limits come back with the profile.
void SaveLimitsBeside(Controller& c, const std::string& profilePath);
// With the profile opened from `profilePath`: the table from its file, or no limits
// when there is none. A file that cannot be read is named in a message, with the
// line at fault, and the profile goes on without limits.
void OpenLimitsBeside(Controller& c, const std::string& profilePath);
