#pragma once

#include <cstdint>

// The signal-conditioning unit's side of port A: three shift registers fed by the
// serial lines, as the unit's logic sees successive port values.
//
//   bit 0  clock of the frequency word and the drive frame
//   bit 1  data
//   bit 3  clock of the current-source word
//   bit 4  select: high idles and addresses the frequency and current-source
//          registers; low selects the drive converter for the length of its frame
//   bit 5  load strobe of the frequency word
//
// Frequency word: 16 bits, least significant first, clocked while bit 4 is high,
// loaded on the rising edge of bit 5. Drive frame: bit 4 falls to open it, 24 bits
// most significant first, latched when bit 4 rises (bits 23..12 the high half, 11..0
// the low half). Current-source word: 8 bits most significant first on clock bit 3,
// taken over when the clock falls after the eighth bit.
//
// Whatever the unit cannot take as a whole word is a protocol error: a load strobe
// or a drive frame with the wrong bit count, a clock of one register while another
// holds a partial word, the current-source clock or the load strobe while the drive
// converter is selected, two clocks in one write. The register concerned is emptied;
// its last word stays as it was.
class SerialWordDecoder {
public:
    struct Words {
        std::uint32_t frequencyWord = 0;
        std::uint32_t driveHigh = 0;
        std::uint32_t driveLow = 0;
        std::uint32_t currentSources = 0;
        int frequencyLoads = 0;
        int driveLatches = 0;
        int currentLoads = 0;
        int protocolErrors = 0;
    };

    // The lines as the port's reset leaves them (all low), without a partial word.
    void Reset(int lines);
    void Write(int lines);

    const Words& Latched() const { return words_; }
    int Lines() const { return lines_; }

private:
    struct Register {
        std::uint32_t bits = 0;
        int count = 0;
        bool spoiled = false; // the rest of a broken drive frame is ignored, not counted again
    };
    void Error(Register& broken);

    int lines_ = 16;
    Register frequency_;
    Register drive_;
    Register current_;
    Words words_;
};
