#pragma once

#include <string_view>

struct Controller;

// The calibration factors of channels 1..64 in "ZEK8Cal.Dat" in the working folder,
// one number a record.
inline constexpr const char* CalibrationFileName = "ZEK8Cal.Dat";
constexpr int CalibrationRecords = 64;

void SaveCalibrationFile(Controller& c);
// The factors read from the file; a factor of 0 reads as 1. A factor of channels 1..16
// outside 0.75..1.25 is told and not used: the channel keeps 1. A missing or damaged
// file is reported and leaves the factors it did not reach as they were.
void LoadCalibrationFile(Controller& c);
// The factors from the text of such a file, read and reported as LoadCalibrationFile
// does once it has the file.
void ReadCalibrationFactors(Controller& c, std::string_view text);
// The calibration commands of the System menu: one channel's factor (item 0..15),
// 0.75..1.25, and the whole file written after the operator agrees.
void EnterCalibrationFactor(Controller& c, int item);
void UpdateCalibrationFactors(Controller& c);
