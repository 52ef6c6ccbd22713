#pragma once

#include <cstdint>
#include <span>

// What lies outside the emulated boards: the signals at their analogue inputs and the
// push-buttons on port C, and what takes the drive the master's words set. A simulated
// plant computes the inputs; an audio interface would capture them and play the drive.
class BoardSignals {
public:
    // A run of scans of one board's acquisition.
    struct Scans {
        int board = 0;                        // 0 the master (channels 1..8), 1 the slave (9..16)
        std::span<const std::int32_t> places; // the scan list: the input 0..7 at each position
        std::uint32_t currentSources = 0;     // the unit's current-source bits for this board
        double scanRate = 0.0;                // scans a second
        double periodMs = 0.0;                // one scan period, 1000 / scanRate
        double startMs = 0.0;                 // when the acquisition began
        std::int64_t first = 0, end = 0;      // scans [first, end); scan n is taken at
                                              // startMs + (n + 1) periodMs
    };

    virtual ~BoardSignals() = default;

    // The millivolts at the inputs of `scans`, each scan's positions in order.
    virtual void Sample(const Scans& scans, std::span<double> millivolts) = 0;
    // The newest scans of the board were handed to the caller.
    virtual void BlockRead(int board, std::span<const std::int32_t> places) = 0;
    // The push-buttons down at `nowMs`: bit 0 Servo On, 1 Stop, 2 Sweep Run, 3 Sweep Hold.
    virtual int ButtonsDown(double nowMs) const = 0;
    // From `nowMs` on the drive runs at `hz` with `level` of full output (0 when the
    // master's analogue outputs are stopped).
    virtual void DriveChanged(double nowMs, double hz, double level) = 0;
};
