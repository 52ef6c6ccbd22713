#include "hardware/SerialWordDecoder.h"

namespace {

constexpr int WordClock = 1;
constexpr int DataLine = 2;
constexpr int CurrentClock = 8;
constexpr int SelectLine = 16;
constexpr int LoadStrobe = 32;

constexpr int FrequencyBits = 16;
constexpr int DriveBits = 24;
constexpr int CurrentBits = 8;

bool Rose(int before, int now, int line) { return (before & line) == 0 && (now & line) != 0; }
bool Fell(int before, int now, int line) { return (before & line) != 0 && (now & line) == 0; }

} // namespace

void SerialWordDecoder::Reset(int lines) {
    lines_ = lines;
    frequency_ = {};
    drive_ = {};
    current_ = {};
}

void SerialWordDecoder::Error(Register& broken) {
    ++words_.protocolErrors;
    broken = {};
    broken.spoiled = true;
}

void SerialWordDecoder::Write(int lines) {
    const int before = lines_;
    lines_ = lines;
    const std::uint32_t data = (lines & DataLine) != 0 ? 1U : 0U;
    const bool driveSelected = (lines & SelectLine) == 0;
    const bool selectFell = Fell(before, lines, SelectLine);
    const bool selectRose = Rose(before, lines, SelectLine);
    const bool wordClock = Rose(before, lines, WordClock);
    const bool currentClock = Rose(before, lines, CurrentClock);
    const bool load = Rose(before, lines, LoadStrobe);

    if (selectFell) {
        // The drive converter takes the lines: a word half shifted into the other
        // registers is broken off.
        if (frequency_.count != 0) Error(frequency_);
        if (current_.count != 0) Error(current_);
        drive_ = {};
    }
    if (selectRose) {
        // End of the drive frame: latched whole or not at all. Raising the select line
        // with nothing shifted (as after the port's reset) is no frame.
        if (drive_.spoiled) {
            drive_ = {};
        } else if (drive_.count == DriveBits) {
            words_.driveHigh = (drive_.bits >> 12) & 0xFFFU;
            words_.driveLow = drive_.bits & 0xFFFU;
            ++words_.driveLatches;
            drive_ = {};
        } else if (drive_.count != 0) {
            Error(drive_);
        }
    }
    if ((selectFell || selectRose) && (wordClock || currentClock || load)) {
        // A clock in the same write as the select edge: which register it was meant
        // for cannot be told.
        ++words_.protocolErrors;
        return;
    }
    if (wordClock && currentClock) {
        ++words_.protocolErrors;
        frequency_ = {};
        current_ = {};
        return;
    }

    if (wordClock) {
        if (driveSelected) {
            if (!drive_.spoiled) {
                drive_.bits = (drive_.bits << 1) | data;
                ++drive_.count;
            }
        } else {
            if (current_.count != 0) Error(current_);
            if (frequency_.count < FrequencyBits) frequency_.bits |= data << frequency_.count;
            ++frequency_.count;
        }
    }
    if (currentClock) {
        if (driveSelected) {
            if (!drive_.spoiled) Error(drive_);
        } else {
            if (frequency_.count != 0) Error(frequency_);
            current_.bits = (current_.bits << 1) | data;
            ++current_.count;
        }
    }
    if (Fell(before, lines, CurrentClock) && current_.count == CurrentBits) {
        words_.currentSources = current_.bits & 0xFFU;
        ++words_.currentLoads;
        current_ = {};
    }
    if (load) {
        if (driveSelected) {
            if (!drive_.spoiled) Error(drive_);
        } else if (frequency_.count == FrequencyBits) {
            words_.frequencyWord = frequency_.bits;
            ++words_.frequencyLoads;
            frequency_ = {};
        } else {
            Error(frequency_);
        }
    }
}
