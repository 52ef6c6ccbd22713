#pragma once

#include "files/Uff58.h"

#include <string>

struct Controller;

// The UFF 58 export of a test record: the record's record.csv read and its functions
// written beside it.

inline constexpr const char* RecordCsvName = "record.csv";
inline constexpr const char* RecordUffName = "record.uff";

// The title and start of the test a record folder holds, from its name
// "yyyy-mm-dd_hh-mm-ss_title"; a folder named otherwise gives its name as the title
// and its record.csv's last change as the time.
RecordIdentity IdentityOfRecordFolder(const std::string& folder);
// Reads `folder`/record.csv and writes `folder`/record.uff, replacing any older one
// only once the new one is whole; throws FileError or RecordCsvFault.
void WriteRecordUff(const std::string& folder);
// File / Export Test Record...: the record asked for, then its UFF file written.
void ExportTestRecord(Controller& c);
