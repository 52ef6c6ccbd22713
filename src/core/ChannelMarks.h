#pragma once

#include <bit>
#include <cstdint>

// Channels 1..16 as the bits of a mask: channel k is bit k - 1.
constexpr std::uint16_t ChannelBit(int channel) {
    return channel >= 1 && channel <= 16 ? static_cast<std::uint16_t>(1u << (channel - 1)) : std::uint16_t{0};
}
// The lowest channel of `mask`, or 0 for none.
constexpr int LowestChannel(std::uint16_t mask) { return mask == 0 ? 0 : std::countr_zero(mask) + 1; }

// What the channels did over some cycles: which held the servo on their limit and which
// reached the converter's full scale.
struct ChannelMarks {
    std::uint16_t limiting = 0;
    std::uint16_t overload = 0;
};
