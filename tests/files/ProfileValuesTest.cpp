#include "files/ProfileValues.h"

#include "core/Commands.h"
#include "core/Defaults.h"
#include "files/ProfileFile.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

constexpr const char* Title = "Profile Values Replaced";

// The defaults saved with one value changed, then opened as the operator opens a file.
struct ProfileValuesTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    const std::string path = (std::filesystem::temp_directory_path() / "zek8-profile-values.prf").string();

    ProfileValuesTest() {
        SetDefaults(c);
        c.DemoMode = 1.0f;
        c.P[65] = 0.0f; // no board path
    }
    ~ProfileValuesTest() override { std::filesystem::remove(path); }

    std::vector<std::string> Open(const ProfileSetUp& setUp) {
        std::ofstream(path, std::ios::binary) << WriteProfile(setUp);
        const std::size_t shownBefore = t.dialogs.History().size();
        t.dialogs.QueueFileName(path);
        RunMenuCommand(c, "mnuFileOpenProfile");
        std::vector<std::string> texts;
        for (std::size_t i = shownBefore; i < t.dialogs.History().size(); ++i)
            if (t.dialogs.History()[i].title == Title) texts.push_back(t.dialogs.History()[i].text);
        return texts;
    }
};

TEST_F(ProfileValuesTest, ValuesOutOfRangeAreReplacedAndNamed) {
    struct Case {
        int entry; // P[entry]; -n: the frequency of dwell point n (breakpoint row 100 + n)
        float value;
        float loaded;
        const char* named; // nullptr: kept without a word
    };
    const Case cases[] = {
        {68, 4.0f, 0.0f, "\r\nP[68] 4 -> 0 (its default)"},
        {68, -1.0f, 0.0f, "\r\nP[68] -1 -> 0"},
        {68, 2.5f, 0.0f, "\r\nP[68] 2.5 -> 0"},
        {68, 65535.0f, 0.0f, "\r\nP[68] 65535 -> 0"},
        {68, 1e30f, 0.0f, "\r\nP[68] 1E+30 -> 0"},
        {68, 3.0f, 3.0f, nullptr},
        {3, 0.0f, 1.0f, "\r\nP[3] 0 -> 1"},
        {6, 4.0f, 2.0f, "\r\nP[6] 4 -> 2"},
        {17, 3.0f, 1.0f, "\r\nP[17] 3 -> 1"},
        {22, 3.0f, 0.0f, "\r\nP[22] 3 -> 0"},
        {51, 0.0f, 3.0f, "\r\nP[51] 0 -> 3"},
        {52, 4.0f, 3.0f, "\r\nP[52] 4 -> 3"},
        {53, 2.0f, 0.0f, "\r\nP[53] 2 -> 0"},
        {62, 0.5f, 0.0f, "\r\nP[62] 0.5 -> 0"},
        {109, 3.0f, 0.0f, "\r\nP[109] 3 -> 0"},
        {120, -1.0f, 1.0f, "\r\nP[120] -1 -> 1"},
        {1, 0.5f, 1.0f, "\r\nP[1] 0.5 -> 1 Hz"},
        {2, 10000.0f, 5110.0f, "\r\nP[2] 10000 -> 5110 Hz"},
        {2, 5110.0f, 5110.0f, nullptr},
        {-3, 6000.0f, 5110.0f, "\r\ndwell point 3 frequency 6000 -> 5110 Hz"},
        {-3, 0.0f, 0.0f, nullptr}, // no dwell point
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.entry);
        SetDefaults(c);
        c.P[65] = 0.0f;
        ProfileSetUp setUp = CurrentSetUp(c);
        float& target = k.entry < 0 ? setUp.Breakpoints[100 - k.entry].Frequency : setUp.P[k.entry];
        target = k.value;
        const auto texts = Open(setUp);
        EXPECT_EQ(k.entry < 0 ? c.Breakpoints[100 - k.entry].Frequency : c.P[k.entry], k.loaded) << k.value;
        if (k.named == nullptr) {
            EXPECT_TRUE(texts.empty()) << k.value;
        } else {
            ASSERT_EQ(texts.size(), 1u) << k.value;
            EXPECT_NE(texts[0].find(k.named), std::string::npos) << texts[0];
        }
    }
}

TEST_F(ProfileValuesTest, OneMessageNamesEveryReplacedValueAndTheDriveStaysInTheBand) {
    ProfileSetUp setUp = CurrentSetUp(c);
    setUp.P[68] = 4.0f;
    setUp.P[2] = 10000.0f;
    setUp.Breakpoints[1].Frequency = 6000.0f;
    const auto texts = Open(setUp);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "These values of the profile cannot be acted on and were replaced:\r\n"
                        "P[68] 4 -> 0 (its default)\r\n"
                        "P[2] 10000 -> 5110 Hz\r\n"
                        "Frequencies are held within 1 to 5110 Hz, where the responses can be measured.");
    EXPECT_EQ(c.CurrentFrequency, 5110.0f) << "the first breakpoint is where the drive starts";
}

} // namespace
