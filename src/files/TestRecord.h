#pragma once

#include <string>
#include <string_view>

struct Controller;

// The record of a test: a folder of its own under `records/` of the working folder,
// made at the Servo On that starts the test, and in it `record.csv`, one row for each
// control cycle while the servo is on. The rows are gathered in memory and handed to
// the system at least once a second of the controller's clock, and at Servo Off and the
// end of the test, so a crash loses at most a second. A folder that cannot be made or a
// write that fails puts " RECORD: <reason>" on the panel (`lblRecord`) and ends the
// record of that test; the test goes on.

inline constexpr const char* RecordsFolder = "records";
inline constexpr const char* RecordFileName = "record.csv";

// The folder's name: "yyyy-mm-dd_hh-mm-ss_title", the title with every character but
// ASCII letters, digits, '-' and '_' turned into '_' and cut to 40 characters, left out
// with its '_' when empty; `attempt` 2, 3 ... adds "-2", "-3" ... for a second folder in
// the same second.
std::string RecordFolderName(double daySerial, double secondsSinceMidnight, std::string_view title, int attempt);

// The record folder of the test under way, made when it has none yet: its path, or ""
// when it cannot be made (the panel then says why).
std::string OpenRecordFolder(Controller& c);

// The Servo On that starts a new test: a new folder, and `record.csv` with its header.
// Nothing while the controller keeps no record (`KeepTestRecord`).
void StartTestRecord(Controller& c);
// The cycle's step: this cycle's row, and the rows gathered handed over when a second
// has passed since the last time.
void WriteRecordRow(Controller& c);
// Servo Off, an abort: every row gathered handed over.
void FlushTestRecord(Controller& c);
// The end of the test: the rows handed over and the file closed.
void CloseTestRecord(Controller& c);

// The header line and the row of the cycle as it stands, `seconds` after the Servo On
// that made the folder; both end with '\n'.
std::string RecordHeader(const Controller& c);
std::string RecordRow(const Controller& c, double seconds);
