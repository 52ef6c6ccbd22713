#pragma once

// The operations that start-up, the control cycle and the commands call across
// the layers of the controller. Each works on the shared state alone; the layer
// named above each group implements it.

#include <cstdint>
#include <optional>

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
// The display-mode commands of the View menu: the large readout shows the
// acceleration only, or the quantity the profile controls.
void DisplayAccelerationOnly(Controller& c);
void DisplayControlledResponse(Controller& c);

// Acquisition hardware.
void InitialiseHardware(Controller& c);
void LoadCalibrationFile(Controller& c);
void UpdateCurrentSources(Controller& c);
void SetPortBRunLevel(Controller& c);
// The drive and current sources off and port B to its resting value, on the master
// board and, with 16 channels, on the slave; `closeBoards` also shuts them down.
void MakeBoardsSafe(Controller& c, bool closeBoards);
// Port C of the master board (the run push-buttons, active low); nothing when the
// read failed, which is reported once until a read succeeds again.
std::optional<std::int16_t> ReadRunInputs(Controller& c);
// Servo On's part of the board work: gains and scales for the profile, and the
// input scan re-armed with them when a board is in use.
void RearmAcquisitionForServo(Controller& c);
// The newest 1024 scans of the board `BoardHandle` into `AdcBuffer`.
void ReadAdcBlock(Controller& c);
// `FrequencyWord`, and the two 12-bit halves of the drive word, out on port A.
void SendFrequencyWord(Controller& c);
void SendDriveWord(Controller& c, std::int16_t low, std::int16_t high);

// Board-layer commands of the System and Inputs menus.
void SetActiveChannels(Controller& c, int channels); // 4, 8 or 16
void EnterMasterBoardAddress(Controller& c);
void EnterSlaveBoardAddress(Controller& c);
void EnterCalibrationFactor(Controller& c, int item); // channel item + 1
void UpdateCalibrationFactors(Controller& c);
// Toggles the current source of item 0..15, sends all sixteen and turns the servo off.
void CurrentSourceCommand(Controller& c, int item);

// Files.
void LoadDefaultProfile(Controller& c);
void SaveProfile(Controller& c);
void OpenProfile(Controller& c);
void OpenLegacyProfile(Controller& c);
void NewProfile(Controller& c);
// The end-of-test actions: the report picture saved under the current report file
// name, and the test data exported, each as the File menu would.
void AutoSaveReport(Controller& c);
void AutoExportData(Controller& c);
// Servo On asks for the names the end of the test will save under.
void AskReportFileName(Controller& c);
void AskExportFileName(Controller& c);
// The stored sweep points forgotten: a new trace starts at the lower limit.
void ClearHistory(Controller& c);
// One row of the history each time the frequency has moved more than 1 % in the
// sweep direction since the last stored row; 900 rows at most.
void AppendHistoryPoint(Controller& c);
// Test data: the data file of the File menu and the copy for the clipboard.
void ExportTestData(Controller& c);
void WriteDataFile(Controller& c);
void CopyDataToClipboard(Controller& c);
// The report picture: the plot area as a bitmap.
void SaveReport(Controller& c);
void OpenReport(Controller& c);

// Printed report.
void PrintReport(Controller& c);

// Plot.
// The axis ranges: frequency `P[51]` 1..3, amplitude `P[52]` 0..3; each step redraws.
void ZoomFrequencyIn(Controller& c);
void ZoomFrequencyOut(Controller& c);
void ZoomAmplitudeIn(Controller& c);
void ZoomAmplitudeOut(Controller& c);
void DrawPlotFrame(Controller& c);
void DrawReferenceLines(Controller& c);
void RefreshPlot(Controller& c);
void UpdateTraces(Controller& c);
// The axis labels beside the plot, rewritten by every status refresh: the decade
// labels of the frequency axis placed for P[51], and the value labels of the
// amplitude axis for P[52] and the units (the unit label itself is the panel's).
void PlaceFrequencyAxisLabels(Controller& c);
void WriteAmplitudeAxisLabels(Controller& c);

// Run commands and the remote-control file.
void PollRunInputs(Controller& c);
void ExchangeRemoteControlFile(Controller& c);
void PublishRunCommand(Controller& c);
void ToggleSoftwareRemoteControl(Controller& c); // P[30]
void ToggleRemoteRunInputs(Controller& c);       // P[20]
void StartServo(Controller& c);
void RunSweep(Controller& c);
void StopServo(Controller& c);
void HoldSweep(Controller& c);
void StopTest(Controller& c);
void JumpToLowerLimitAndStop(Controller& c);
void JumpToUpperLimitAndStop(Controller& c);
void ToggleDirection(Controller& c);
void ToggleDisplayChannel(Controller& c);
// 1 down, 2 up; the Run menu's items also move the check marks, the spin button not.
void SetSweepDirection(Controller& c, float direction, bool fromMenu);
// The spin buttons: 1 Hz steps from 10 Hz up, 0.1 Hz below, kept within 0.1 .. 10000 Hz;
// the level by `P[29]` (Average scales `LevelFactor` instead).
void NudgeFrequency(Controller& c, bool up);
void NudgeLevel(Controller& c, bool up);
void ToggleDemoMode(Controller& c);
void SelectControlStrategy(Controller& c, float strategy); // 1 Manual, 2 Average, 3 Extremal

// Setup commands.
void SyncMenusToTable(Controller& c);
