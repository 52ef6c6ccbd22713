#pragma once

struct Controller;

// The calibration factors of channels 1..64 in "ZEK8Cal.Dat" in the working folder,
// one number a record.
inline constexpr const char* CalibrationFileName = "ZEK8Cal.Dat";
constexpr int CalibrationRecords = 64;

void SaveCalibrationFile(Controller& c);
