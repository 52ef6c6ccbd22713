#pragma once

#include "files/RecordCsv.h"

#include <string>

// The test record as Universal File Format dataset 58 (ASCII): for each channel and
// each one-way sweep (dwell rows are left out), its response amplitude against the
// frequencies the sweep measured, and its transmissibility to the control value.
// Every function is a dataset of its own in one file, one after another.

// What the ID lines say of the test as a whole.
struct RecordIdentity {
    std::string title;   // the profile's title
    std::string created; // the test's start, "DD-MMM-YY HH:MM:SS"
    std::string source;  // where the functions come from, e.g. the record's folder name
};

std::string Uff58Text(const RecordTable& record, const RecordIdentity& identity);
