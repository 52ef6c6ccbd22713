#include "hardware/ConditioningUnit.h"

#include "core/Controller.h"
#include "core/ParameterNames.h"
#include "core/RunCommands.h"
#include "hardware/BoardErrors.h"

#include <array>

namespace {

// Port A lines.
constexpr int FrequencyClock = 1;
constexpr int Data = 2;
constexpr int CurrentSourceClock = 8;
constexpr int Idle = 16; // also the select line: held low for the drive frame
constexpr int FrequencyLoad = 32;

constexpr int FrequencyFaultSlot = 1;
constexpr int DriveFaultSlot = 2;
constexpr int PortPollFaultSlot = 3;

// The bits of `value` in `count` places, highest first, by successive subtraction:
// a value beyond the word's range comes out as all ones. Returns what is left.
template <std::size_t Count>
double SplitBits(double value, std::array<int, Count>& bits) {
    double power = 1.0;
    for (std::size_t i = 1; i < Count; ++i) power *= 2.0;
    for (std::size_t i = 0; i < Count; ++i) {
        bits[i] = value >= power ? 1 : 0;
        if (bits[i] == 1) value -= power;
        power /= 2.0;
    }
    return value;
}

void ClockOutBit(Controller& c, int fixedLines, int clock, int bit) {
    const auto level = static_cast<std::int16_t>(fixedLines + Data * bit);
    WritePort(c, PortNumber::A, level);
    WritePort(c, PortNumber::A, static_cast<std::int16_t>(level + clock));
    WritePort(c, PortNumber::A, static_cast<std::int16_t>(fixedLines));
}

} // namespace

void WritePort(Controller& c, std::int16_t port, std::int16_t value) {
    CheckDaq(c, Daq(c).daqIOWrite(c.BoardHandle, 1, port, 0, 1, value));
}

std::int16_t ReadPort(Controller& c, std::int16_t port) {
    int value = 0;
    CheckDaq(c, Daq(c).daqIORead(c.BoardHandle, 1, port, 0, 1, value));
    return static_cast<std::int16_t>(value);
}

void ShiftOutFrequencyWord(Controller& c) {
    std::array<int, 16> bits{}; // bit 15 first
    c.FrequencyWord = static_cast<float>(SplitBits(static_cast<double>(c.FrequencyWord), bits));
    for (std::size_t b = bits.size(); b-- > 0;) ClockOutBit(c, Idle, FrequencyClock, bits[b]);
    WritePort(c, PortNumber::A, static_cast<std::int16_t>(Idle + FrequencyLoad));
    WritePort(c, PortNumber::A, Idle);
}

void SendCurrentSourceWord(Controller& c, std::int16_t word) {
    c.CurrentSourceWord = word;
    std::array<int, 8> bits{};
    SplitBits(static_cast<double>(word), bits);
    WritePort(c, PortNumber::A, Idle);
    for (const int bit : bits) ClockOutBit(c, Idle, CurrentSourceClock, bit);
}

void ShiftOutDriveWord(Controller& c, std::int16_t low, std::int16_t high) {
    std::array<int, 12> highBits{};
    std::array<int, 12> lowBits{};
    SplitBits(static_cast<double>(high), highBits);
    SplitBits(static_cast<double>(low), lowBits);
    WritePort(c, PortNumber::A, 0);
    for (const int bit : highBits) ClockOutBit(c, 0, FrequencyClock, bit);
    for (const int bit : lowBits) ClockOutBit(c, 0, FrequencyClock, bit);
    WritePort(c, PortNumber::A, Idle);
}

// The words of the control cycle: a board that refuses them is reported once, and a
// drive that cannot reach the shaker turns the servo off.
void SendFrequencyWord(Controller& c) {
    RunTrappedOncePerEpisode(c, FrequencyFaultSlot, [&] { ShiftOutFrequencyWord(c); });
}

void SendDriveWord(Controller& c, std::int16_t low, std::int16_t high) {
    const bool sent = RunTrappedOncePerEpisode(c, DriveFaultSlot, [&] { ShiftOutDriveWord(c, low, high); });
    if (!sent && IsOn(c.ServoOn)) StopServo(c);
}

std::optional<std::int16_t> ReadRunInputs(Controller& c) {
    std::optional<std::int16_t> inputs;
    RunTrappedOncePerEpisode(c, PortPollFaultSlot, [&] {
        c.BoardHandle = c.MasterBoardHandle;
        inputs = ReadPort(c, PortNumber::C);
    });
    return inputs;
}

int CurrentSourceEntry(int channel) {
    if (channel <= 2) return Param::InputCurrentCh1 + (channel - 1);
    if (channel <= 4) return Param::InputCurrentCh3 + (channel - 3);
    if (channel <= 8) return Param::InputCurrentCh5 + (channel - 5);
    return Param::InputCurrentCh9 + (channel - 9);
}

namespace {
std::int16_t CurrentSourceWordFor(const Controller& c, int firstChannel) {
    int word = 0;
    for (int bit = 0; bit < 8; ++bit) {
        // On exactly when the entry is 2: any other value leaves the bit clear.
        if (IsChecked(c.P[CurrentSourceEntry(firstChannel + bit)])) word += 1 << bit;
    }
    return static_cast<std::int16_t>(word);
}
} // namespace

void UpdateCurrentSources(Controller& c) {
    if (IsOn(c.DemoMode)) return;
    for (int channel = 1; channel <= 16; ++channel) {
        float& entry = c.P[CurrentSourceEntry(channel)];
        if (entry < 1.0f) entry = 1.0f;
    }
    if (!BoardPathActive(c)) return;
    RunTrapped(c, [&] {
        c.BoardHandle = c.MasterBoardHandle;
        SendCurrentSourceWord(c, CurrentSourceWordFor(c, 1));
        if (c.SecondBoardActive == 1) {
            c.BoardHandle = c.SlaveBoardHandle;
            SendCurrentSourceWord(c, CurrentSourceWordFor(c, 9));
        }
    });
    c.BoardHandle = c.MasterBoardHandle;
}

void SetPortBRunLevel(Controller& c) {
    if (IsOn(c.DemoMode) || !BoardPathActive(c)) return;
    RunTrapped(c, [&] {
        c.PortBValue = PortBLevel::Running;
        c.BoardHandle = c.MasterBoardHandle;
        WritePort(c, PortNumber::B, PortBLevel::Running);
        if (c.SecondBoardActive == 1) {
            c.BoardHandle = c.SlaveBoardHandle;
            WritePort(c, PortNumber::B, PortBLevel::Running);
        }
    });
    c.BoardHandle = c.MasterBoardHandle;
}

void CurrentSourceCommand(Controller& c, int item) {
    if (item < 0 || item > 15) return;
    c.Menu.SetChecked("mnuInputsCurrent", item, !c.Menu.Checked("mnuInputsCurrent", item));
    for (int i = 0; i < 16; ++i) c.P[CurrentSourceEntry(i + 1)] = c.Menu.Checked("mnuInputsCurrent", i) ? 2.0f : 1.0f;
    UpdateCurrentSources(c);
    StopServo(c);
}
