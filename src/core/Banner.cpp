#include "core/Banner.h"

#include <array>

namespace {
constexpr std::array<const char*, 6> BannerLines = {
    "ZEK-8 DIGITAL SINE CONTROLLER     Northfield Test Systems     Leeds",
    "ZEK-8 DIGITAL SINE CONTROLLER     Harrow Dynamics     Toronto",
    "ZEK-8 DIGITAL SINE CONTROLLER     Vale Vibration Engineering     Melbourne",
    "ZEK-8 DIGITAL SINE CONTROLLER     Brightwater Instruments     Denver",
    "ZEK-8 DIGITAL SINE CONTROLLER     Kestrel Environmental     Singapore",
    "ZEK-8 DIGITAL SINE CONTROLLER     Aldgate Shaker Services     Cape Town",
};
} // namespace

std::optional<std::string> BannerLine(int selector) {
    if (selector < 1 || selector > 12) return std::nullopt;
    return BannerLines[static_cast<std::size_t>((selector - 1) / 2)];
}
