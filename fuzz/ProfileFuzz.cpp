// The profile reader, current and older layout, over a copy of the default set-up as
// File / Open Profile reads into one; whatever it reads saves as a profile that opens.
#include "FuzzSupport.h"

#include "core/FileErrors.h"
#include "files/ProfileFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

ProfileSetUp DefaultSetUp() {
    const FuzzController defaults;
    ProfileSetUp setUp = CurrentSetUp(defaults.c);
    setUp.title.reset();
    return setUp;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ProfileSetUp defaults = DefaultSetUp();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const bool legacy : {false, true}) {
        ProfileSetUp read = defaults;
        try {
            ReadProfile(text, legacy, read);
        } catch (const FileError&) {
            continue;
        }
        ProfileSetUp again = defaults;
        try {
            ReadProfile(WriteProfile(read), false, again);
        } catch (const FileError&) {
            Check(false, "a profile as read does not open once saved");
        }
    }
    return 0;
}
