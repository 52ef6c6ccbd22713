#pragma once

#include <cstdint>
#include <optional>

struct Controller;

// The signal-conditioning unit on the board's digital ports: port A carries three
// bit-serial words (frequency, drive level, current sources), port B a few output
// lines, port C the four remote push-buttons (active low). Every call addresses the
// board `BoardHandle`; a failing call raises through the board layer's error check.
namespace PortNumber {
constexpr std::int16_t A = 0;
constexpr std::int16_t B = 1;
constexpr std::int16_t C = 2;
constexpr std::int16_t Configuration = 3;
} // namespace PortNumber

namespace PortBLevel {
constexpr std::int16_t AfterDefaults = 171;
constexpr std::int16_t Running = 3;
constexpr std::int16_t AtExit = 11;
} // namespace PortBLevel

void WritePort(Controller& c, std::int16_t port, std::int16_t value);
std::int16_t ReadPort(Controller& c, std::int16_t port);
void SendCurrentSourceWord(Controller& c, std::int16_t word);
// The serial words themselves; a refused port write raises. The control cycle sends
// through SendFrequencyWord and SendDriveWord, which report instead.
void ShiftOutFrequencyWord(Controller& c);
void ShiftOutDriveWord(Controller& c, std::int16_t low, std::int16_t high);
// The sixteen current-source entries, channel 1 first.
int CurrentSourceEntry(int channel);

// Outside demo mode the current-source entries below 1 become 1 (off); then, on the
// board path, the words (a source is on when its entry is 2) go out to the master
// and, with 16 channels, the slave.
void UpdateCurrentSources(Controller& c);
// Port B to its running level on the boards in use.
void SetPortBRunLevel(Controller& c);
// Port C of the master board (the run push-buttons, active low); nothing when the
// read failed, which is reported once until a read succeeds again.
std::optional<std::int16_t> ReadRunInputs(Controller& c);
// `FrequencyWord`, and the two 12-bit halves of the drive word, out on port A. A
// refused write is reported once until one succeeds again, and a drive that cannot
// reach the shaker turns the servo off.
void SendFrequencyWord(Controller& c);
void SendDriveWord(Controller& c, std::int16_t low, std::int16_t high);
// Toggles the current source of item 0..15, sends all sixteen and turns the servo off.
void CurrentSourceCommand(Controller& c, int item);
