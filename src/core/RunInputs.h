#pragma once

struct Controller;

// The four run push-buttons on port C (Servo On, Stop, Sweep Run, Sweep Hold), read
// once a cycle on the board path: Stop and Sweep Hold act on every cycle while held,
// Servo On and Sweep Run once on their press.
void PollRunInputs(Controller& c);
