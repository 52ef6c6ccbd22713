#pragma once

#include <array>
#include <cstdint>
#include <span>

// The tracking filter: the amplitude of the component at a known frequency in each
// channel of a block, by a least-squares fit of an offset, a cosine and a sine at that
// frequency over the block (and of the second and third harmonics where the block holds
// fewer than 8 periods). Harmonics and noise scarcely enter it, and it is exact for a
// pure sine even where the block holds less than one period.

// Over scans 1..`samples` of a block of 8-sample scans (scan 0 is not used, scans the
// block does not hold are left out), at `radiansPerScan` of the drive frequency: each
// place's amplitude in counts, rounded and limited to 32767. A frequency too low or
// too near half the scan rate to tell the sine from the offset, where a count of noise
// in the samples would read as more than 4 counts, gives nothing.
struct TrackedAmplitudes {
    bool fitted = false;
    std::array<std::int16_t, 8> counts{};
};
TrackedAmplitudes TrackAmplitudes(std::span<const std::int16_t> block, int samples, double radiansPerScan);
