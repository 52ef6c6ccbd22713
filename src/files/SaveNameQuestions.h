#pragma once

#include <string>

struct Controller;

// The questions asked about a name chosen for a report or data file that the end of
// the test will write: an EXE extension, no name, no extension. False when the
// operator answered No to one of them.
bool ConfirmSaveName(Controller& c, const std::string& name, const std::string& proposedName);
// The last three characters are "EXE" in any case.
bool EndsInExe(const std::string& name);
