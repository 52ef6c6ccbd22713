#pragma once

struct Controller;

// The test report file: the plot area saved as a bitmap picture, and a saved picture
// opened back into the plot area.

// The File menu's Save Report: a name asked for, then the picture written.
void SaveReport(Controller& c);
// Servo On asks for the name the end of the test will save the picture under ...
void AskReportFileName(Controller& c);
// ... and the end of the test saves it, when the name was accepted.
void AutoSaveReport(Controller& c);
// A picture chosen by the operator shown in the plot area instead of the plot.
void OpenReport(Controller& c);
