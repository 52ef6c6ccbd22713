#pragma once

// The operations that start-up, the control cycle and the commands call across
// the layers of the controller. Each works on the shared state alone; the layer
// named above each group implements it.

struct Controller;

// Sine control engine.
void ComputeReference(Controller& c);
void CheckProfile(Controller& c);
void SweepStep(Controller& c);
void SendFrequency(Controller& c);
void UpdateServoGain(Controller& c);
void SendDrive(Controller& c);
void MeasureResponses(Controller& c);
void ScaleAndSmoothResponses(Controller& c);
void CheckAlarms(Controller& c);
void RefreshStatusPanel(Controller& c);

// Acquisition hardware.
void InitialiseHardware(Controller& c);
void LoadCalibrationFile(Controller& c);
void UpdateCurrentSources(Controller& c);
void SetPortBRunLevel(Controller& c);
// The drive and current sources off and port B to its resting value, on the master
// board and, with 16 channels, on the slave; `closeBoards` also shuts them down.
void MakeBoardsSafe(Controller& c, bool closeBoards);

// Files.
void LoadDefaultProfile(Controller& c);

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
