#pragma once

#include <string>

struct Controller;

// The Help menu: the texts of its windows, built from what the program itself holds
// (the key table, the version, the banner), and the commands that show them.

// The program's version, as the build gives it.
const char* ProgramVersion();

std::string KeyboardHelpText();
// Newest version first, each under a line "Version N.N.N".
std::string VersionHistoryText();
// Name, version and the dealer banner line the controller is set to.
std::string AboutText(const Controller& c);

void ShowOperatorsGuide(Controller& c);
void ShowKeyboardHelp(Controller& c);
void ShowVersionHistory(Controller& c);
void ShowAbout(Controller& c);
