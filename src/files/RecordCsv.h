#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The test record's record.csv read back: one row per control cycle while the servo
// was on, the columns found by the names of its header line.

enum class SweepDirection { Up, Down, Dwell };

struct RecordRow {
    float time = 0.0f; // seconds since the Servo On that began the record
    int sweep = 0;     // the one-way pass, counted from 1
    SweepDirection direction = SweepDirection::Up;
    float frequency = 0.0f;
    float reference = 0.0f;
    float control = 0.0f;
    float drive = 0.0f;           // percent of full scale
    float compression = 0.0f;     // dB
    std::vector<float> responses; // one per channel of RecordTable::channels
    int limiting = 0;
    int overload = 0;
};

struct RecordTable {
    std::string accelerationUnit; // "G" or "m/s^2", from the header's parentheses
    std::vector<int> channels;    // ascending channel numbers of the ChN columns
    std::vector<RecordRow> rows;
};

// A record.csv that is not laid out as the record is; the message names the line.
struct RecordCsvFault : std::runtime_error {
    RecordCsvFault(int line, const std::string& what);
    int line;
};

// Throws RecordCsvFault. A last line without its line end that does not read is
// what a write cut off by a crash leaves, and is left out.
RecordTable ParseRecordCsv(std::string_view text);
// The whole file read and parsed; throws FileError or RecordCsvFault.
RecordTable ReadRecordCsv(const std::string& path);
