#pragma once

#include "hardware/jack/InputCorrection.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class AudioInterface;

// The inputs' correction by loop-back: with the servo off and the drive cabled to the
// loop-back input, a low sine steps over 2 .. 10000 Hz; at each step, once the inputs have
// settled, every registered input's gain (volts read a volt of drive at the connector)
// and its phase against the loop-back input are measured. The corrections then go to the
// interface (CorrectionsFromCalibration chooses each input's).
//
// It works a little at a time, so the control cycle is never held: the program calls
// Advance once a cycle until it is no longer running. The drive goes back to 0 along its
// ramp at the end, on Cancel, on Servo On, and when the server goes.
class InputCalibration {
public:
    enum class State { Idle, Running, Done, Failed, Cancelled };

    // The drive's level, a fraction of full scale: a tenth of it, or half the safety
    // limit if that is lower.
    static double DriveLevel(double outputFullScaleVolts, double safetyLimitVolts);
    // The steps: four an octave up to 40 Hz, where couplings bend, two an octave up to
    // 640 Hz, one an octave above, and 10 kHz.
    static std::vector<double> StepFrequencies();

    InputCalibration() = default;
    ~InputCalibration();
    InputCalibration(const InputCalibration&) = delete;
    InputCalibration& operator=(const InputCalibration&) = delete;

    // Starts on `audio` (null: the program has none); returns why it cannot start.
    std::optional<std::string> Start(AudioInterface* audio, bool servoOn);
    void Advance(bool servoOn);
    void Cancel();

    State Status() const { return state_; }
    bool Running() const { return state_ == State::Running; }
    // The steps done, 0 .. 1.
    double Progress() const;
    // Why it failed or was cancelled; empty otherwise.
    const std::string& Message() const { return message_; }
    // Each input's gain and phase as measured (empty: not registered), once done.
    const InputCorrections& Measured() const { return measured_; }

private:
    void Fail(const std::string& why, State state = State::Failed);
    void Record(std::size_t step);
    void Finish();

    AudioInterface* audio_ = nullptr;
    State state_ = State::Idle;
    std::string message_;
    std::vector<double> steps_;
    std::size_t step_ = 0;
    bool measuring_ = false;
    double level_ = 0.0;
    int inputs_ = 0;
    InputCorrections measured_;
};
