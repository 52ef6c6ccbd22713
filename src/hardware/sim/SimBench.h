#pragma once

#include "hardware/BoardSignals.h"
#include "hardware/EmulatedBoards.h"
#include "hardware/TestBench.h"
#include "hardware/sim/BenchSetup.h"
#include "hardware/sim/ShakerPlant.h"

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

class Clock;

namespace sim {

// A test bench in software behind the acquisition library: the emulated boards and
// signal-conditioning unit, driving one shaker with its accelerometers.
//
// The master's words set the shaker's continuous-phase sine; each board's inputs see
// what the bench model puts under their sensors (the plant's response, noise, harmonic
// distortion, dead and saturated sensors, sensors off without their current source), and
// port C the push-buttons pressed by hand, by time or by the bench model.
//
// BoardSignals comes first among the bases: the boards keep a reference to it from
// their construction on.
class SimBench final : private BoardSignals, public EmulatedBoards, public TestBench {
public:
    SimBench(const Clock& clock, BenchModel model);

    // The run push-buttons on port C, active low. A button is down while pressed by
    // hand, during a timed press, or during a press the bench model schedules.
    void Press(int button, bool pressed);
    void Press(RunButton button) { Press(static_cast<int>(button), true); }
    void Release(RunButton button) { Press(static_cast<int>(button), false); }
    void PressFor(RunButton button, std::int64_t milliseconds) override;

    // The acceleration in G peak the bench gives on channel 1..16 for the present drive.
    double ChannelAmplitudeG(int channel) const { return plant_.ChannelAmplitudeG(channel); }
    double AcquiredFundamentalG(int channel) const override {
        return readFundamentalG_.at(static_cast<std::size_t>(channel - 1));
    }

    // Faults injected while running; sensor fault times are seconds after the bench was
    // made.
    void InjectCallFault(CallFault fault) override { EmulatedBoards::InjectCallFault(std::move(fault)); }
    void KillSensor(int channel, double fromSeconds) override;
    void SaturateSensor(int channel, double fromSeconds) override;

private:
    struct TimedPress {
        int button;
        double untilMs;
    };

    void Sample(const Scans& scans, std::span<double> millivolts) override;
    void BlockRead(int board, std::span<const std::int32_t> places) override;
    int ButtonsDown(double nowMs) const override;
    void DriveChanged(double nowMs, double hz, double level) override { plant_.Retune(nowMs, hz, level); }

    double BenchMs(double seconds) const { return startMs_ + seconds * 1000.0; }
    bool ButtonDown(int button, double nowMs) const;

    double startMs_;
    ShakerPlant plant_;
    int buttonsHeld_ = 0;
    std::vector<TimedPress> timedPresses_;
    std::mt19937 noise_;
    // Per channel 1..16 at k - 1: the fundamental of the newest scan made, and of the
    // newest scan read out.
    std::array<double, BenchChannels> madeFundamentalG_{};
    std::array<double, BenchChannels> readFundamentalG_{};
};

} // namespace sim
