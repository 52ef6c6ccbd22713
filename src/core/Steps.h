#pragma once

// The operations that start-up, the control cycle and the commands call across
// the layers of the controller. Each works on the shared state alone; the layer
// named above each group implements it.

#include <cstdint>

struct Controller;

// Sine control engine.
void ComputeReference(Controller& c);
void CheckProfile(Controller& c);
void SweepStep(Controller& c);
void MilStep(Controller& c);
void EndOfTest(Controller& c);
// Turns the sweep round inside the resonance band when the drive word just sent
// grew by more than one count over the previous cycle's.
void ResonanceReversal(Controller& c);
void SendFrequency(Controller& c);
void UpdateServoGain(Controller& c);
void SendDrive(Controller& c);
void MeasureResponses(Controller& c);
void ScaleAndSmoothResponses(Controller& c);
void UpdateDrive(Controller& c);
void CheckAlarms(Controller& c);
void AbortTest(Controller& c);
void RefreshStatusPanel(Controller& c);

// Acquisition hardware.
void InitialiseHardware(Controller& c);
void LoadCalibrationFile(Controller& c);
void UpdateCurrentSources(Controller& c);
void SetPortBRunLevel(Controller& c);
// The drive and current sources off and port B to its resting value, on the master
// board and, with 16 channels, on the slave; `closeBoards` also shuts them down.
void MakeBoardsSafe(Controller& c, bool closeBoards);
// The newest 1024 scans of the board `BoardHandle` into `AdcBuffer`.
void ReadAdcBlock(Controller& c);
// `FrequencyWord`, and the two 12-bit halves of the drive word, out on port A.
void SendFrequencyWord(Controller& c);
void SendDriveWord(Controller& c, std::int16_t low, std::int16_t high);

// Files.
void LoadDefaultProfile(Controller& c);
// The end-of-test actions: the report picture saved under the current report file
// name, and the test data exported, each as the File menu would.
void AutoSaveReport(Controller& c);
void AutoExportData(Controller& c);

// Printed report.
void PrintReport(Controller& c);

// Plot.
void DrawPlotFrame(Controller& c);
void DrawReferenceLines(Controller& c);
void RefreshPlot(Controller& c);
void UpdateTraces(Controller& c);

// Run commands and the remote-control file.
void PollRunInputs(Controller& c);
void ExchangeRemoteControlFile(Controller& c);
void PublishRunCommand(Controller& c);
void StopServo(Controller& c);
void HoldSweep(Controller& c);
void StopTest(Controller& c);

// Setup commands.
void SyncMenusToTable(Controller& c);
