#pragma once

#include "hardware/sim/BenchSetup.h"

#include <filesystem>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sim {

// A bench file: one setting a line, "key value ...", '#' to the end of the line a
// comment, blank lines ignored. Each line changes the default bench; unknown keys, bad
// or non-finite numbers, values out of range and extra words are errors that name the
// line. Numbers take a full stop as decimal point, whatever the locale.
//
//   shaker.full-drive-g G           bare-table G peak at full drive
//   shaker.suspension HZ Q          the suspension resonance
//   shaker.armature HZ Q            the armature resonance
//   distortion A2                   second harmonic, fraction of the fundamental
//   harmonics A2 A3 ...             the 2nd, 3rd, ... harmonics, at most 32 (none: no
//                                   distortion)
//   noise-g G                       rms noise on every channel, in G of its sensor
//   seed N                          of the noise
//   channel CH table MV_PER_G [current]
//   channel CH specimen HZ Q MV_PER_G [current]
//   channel CH none                 no sensor on that input
//   channel-noise CH G              rms noise of one channel
//   fault board-missing | slave-missing | library-missing
//   fault call FUNCTION CODE [from N]   that call returns CODE from its N-th call on
//   fault sensor CH dead SECONDS    noise only from then on
//   fault sensor CH saturate SECONDS    at the positive rail from then on
//   press BUTTON SECONDS [HELD]     servo-on, stop, sweep-run or sweep-hold, held 0.2 s
//   audio.full-scale-v V            volts at digital full scale of the audio bench's outputs
//   audio.high-pass HZ              the audio bench's outputs AC-coupled, corner in Hz
//                                   (0: DC-coupled)
//
// CH is a channel 1..16 or a range such as 5-16; "current" marks a sensor that works
// only with its constant-current source on. Times are seconds after the bench starts.

struct BenchFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// `source` names the text in error messages.
BenchModel ReadBenchFile(std::istream& in, std::string_view source = "bench file");
BenchModel LoadBenchFile(const std::filesystem::path& path);
inline BenchModel LoadBenchFile(std::istream& in, std::string_view source = "bench file") {
    return ReadBenchFile(in, source);
}

} // namespace sim
