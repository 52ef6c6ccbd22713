#include "files/ProfileValues.h"

#include "core/Commands.h"
#include "core/Defaults.h"
#include "files/ProfileFile.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

const std::string Head = "These values of the profile cannot be acted on and were replaced:\r\n";
const std::string Tail = "\r\nFrequencies are held within 1 to 5110 Hz, where the responses can be measured.";

TEST(ProfileValues, ValuesOutOfRangeAreReplacedAndNamedInOneMessage) {
    struct Case {
        int entry; // P[entry]; -n: the frequency of breakpoint row n (dwell point 3 is row 103)
        float value, loaded;
        const char* named; // the message's line; nullptr: kept without a word
    };
    const Case cases[] = {
        {68, 4.0f, 0.0f, "P[68] 4 -> 0 (its default)"},
        {68, -1.0f, 0.0f, "P[68] -1 -> 0 (its default)"},
        {68, 2.5f, 0.0f, "P[68] 2.5 -> 0 (its default)"},
        {68, 1e30f, 0.0f, "P[68] 1E+30 -> 0 (its default)"},
        {3, 0.0f, 1.0f, "P[3] 0 -> 1 (its default)"},
        {52, 4.0f, 3.0f, "P[52] 4 -> 3 (its default)"},
        {120, -1.0f, 1.0f, "P[120] -1 -> 1 (its default)"},
        {109, 3.0f, 0.0f, "P[109] 3 -> 0 (its default)"}, // no default: the first of its values
        {1, 0.5f, 1.0f, "P[1] 0.5 -> 1 Hz"},
        {2, 10000.0f, 5110.0f, "P[2] 10000 -> 5110 Hz"},
        {2, 5110.0f, 5110.0f, nullptr},
        {-103, 0.0f, 0.0f, nullptr}, // no dwell point
        {-103, 6000.0f, 5110.0f, "dwell point 3 frequency 6000 -> 5110 Hz"},
        {-1, 6000.0f, 6000.0f, nullptr}, // the profile's own row; the drive starts within the band
    };
    TestController t;
    Controller& c = t.c;
    const std::string path = (std::filesystem::temp_directory_path() / "zek8-profile-values.prf").string();
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.entry) + " = " + std::to_string(k.value));
        SetDefaults(c);
        c.P[65] = 0.0f; // no board path
        ProfileSetUp setUp = CurrentSetUp(c);
        (k.entry < 0 ? setUp.Breakpoints[-k.entry].Frequency : setUp.P[k.entry]) = k.value;
        std::ofstream(path, std::ios::binary) << WriteProfile(setUp);
        const std::size_t shown = t.dialogs.History().size();
        t.dialogs.QueueFileName(path);
        RunMenuCommand(c, "mnuFileOpenProfile");
        EXPECT_EQ(k.entry < 0 ? c.Breakpoints[-k.entry].Frequency : c.P[k.entry], k.loaded);
        EXPECT_LE(c.CurrentFrequency, 5110.0f);
        ASSERT_EQ(t.dialogs.History().size() - shown, k.named ? 2u : 1u) << "the file dialog, then the message";
        if (k.named) {
            EXPECT_EQ(t.dialogs.History().back().text, Head + k.named + Tail);
        }
    }
    std::filesystem::remove(path);
}

} // namespace
