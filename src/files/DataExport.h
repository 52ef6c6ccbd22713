#pragma once

#include <string>

struct Controller;

inline constexpr const char* ProposedDataName = "ZEKDataS.*";

// The 1238 records of the data file, then a record for each channel that limited or
// overloaded by the history row that carries it (none in a test without), and the 1238
// records' data as clipboard text.
std::string DataFileText(const Controller& c);
std::string ClipboardDataText(const Controller& c);

// The data file of the File menu: a name asked for, then the file written.
void ExportTestData(Controller& c);
// The data file written under `ExportFileName`, replacing any file of that name.
void WriteDataFile(Controller& c);
// Servo On asks for the name the end of the test will export under ...
void AskExportFileName(Controller& c);
// ... and the end of the test writes it, when the name was accepted.
void AutoExportData(Controller& c);
// The same data as text on the clipboard.
void CopyDataToClipboard(Controller& c);
