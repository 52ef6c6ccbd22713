#pragma once

struct Controller;

// The four run push-buttons on port C (Servo On, Stop, Sweep Run, Sweep Hold), read
// once a cycle on the board path; each acts once on its press.
void PollRunInputs(Controller& c);
