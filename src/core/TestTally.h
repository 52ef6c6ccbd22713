#pragma once

#include <optional>
#include <string>

// What a test's summary is made of, gathered cycle by cycle while the servo is on
// (core/TestSummary.h): when it started, how well the servo held the reference and how
// long a limit channel held the drive.
struct TestTally {
    double startSeconds = 0.0;      // the clock's monotonic time at the Servo On that started it
    double servoOnSeconds = 0.0;    // ... at the latest Servo On
    double lastCycleSeconds = -1.0; // the last cycle tallied under this Servo On; < 0 for none
    double limitingSeconds = 0.0;
    // The largest |error| of the control value against the reference, its sign kept, and
    // the frequency where it was; none while no cycle has been compared.
    std::optional<double> largestErrorDb;
    float largestErrorHz = 0.0f;
};

// The figures of a test that has ended, as the operator is told them.
struct TestSummary {
    double durationSeconds = 0.0;
    int sweepsDone = 0; // one-way passes that reached their end
    std::optional<double> largestErrorDb;
    float largestErrorHz = 0.0f;
    double limitingSeconds = 0.0;
    float abortCode = 0.0f; // 0: the test did not abort
    std::string abortReason;
};
