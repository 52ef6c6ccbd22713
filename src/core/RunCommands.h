#pragma once

struct Controller;

// The run commands of the Run menu, the buttons, the keys, the push-buttons and the
// remote-control file: servo and sweep on and off, stops at the limits, direction,
// displayed channel, the spin buttons, demo mode and the control strategy.

// Servo On: the test starts (or resumes), the profile is checked, the boards are
// re-armed, and the end-of-test file names are asked for when their items are ticked.
void StartServo(Controller& c);
void RunSweep(Controller& c);
void StopServo(Controller& c);
void HoldSweep(Controller& c);
// Stop: the pens back to the start, the sweep held, the servo off and the test's
// times and counters reset.
void StopTest(Controller& c);
void JumpToLowerLimitAndStop(Controller& c);
// The sweep has counted its last half sweep (`EndOfTestDue`): the test stops, the report
// is printed, the frequency returns to the lower limit, and the picture is saved and
// the data exported, each when its Test Setup item is ticked.
void EndOfTest(Controller& c);
void JumpToUpperLimitAndStop(Controller& c);
void ToggleDirection(Controller& c);
void ToggleDisplayChannel(Controller& c);
// 1 down, 2 up; the Run menu's items also move the check marks, the spin button not.
void SetSweepDirection(Controller& c, float direction, bool fromMenu);
// The spin buttons: 1 Hz steps from 10 Hz up, 0.1 Hz below, kept within 0.1 .. 10000 Hz;
// the level by `ManualStep` (Average scales `LevelFactor` instead).
void NudgeFrequency(Controller& c, bool up);
void NudgeLevel(Controller& c, bool up);
void ToggleDemoMode(Controller& c);
void SelectControlStrategy(Controller& c, float strategy); // 1 Manual, 2 Average, 3 Extremal
