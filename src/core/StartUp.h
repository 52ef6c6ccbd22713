#pragma once

struct Controller;

// Brings the controller up in its fixed order: defaults, default profile, boards,
// calibration, frequency, current sources, stop, check marks, main window, plot.
// The caller then runs the control loop.
void StartUp(Controller& c);

// The Exit command: asks "Exit QMS Program?" and on Yes makes the boards safe,
// closes them and ends the program.
void RequestExit(Controller& c);

// The main window is going away by any other way than Exit (closed, or the
// program was told to end): the boards are made safe but stay open.
void MainWindowClosing(Controller& c);

// The operator closes the main window. During a test that is the Exit command, with its
// question: a click on the window's corner must not end a test unasked. Returns whether
// the window may close.
bool CloseMainWindow(Controller& c);
