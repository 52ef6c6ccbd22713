#include "core/Commands.h"
#include "core/Defaults.h"
#include "core/NumberText.h"
#include "core/SetupMenus.h"
#include "core/Steps.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct SetupMenusTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    SetupMenusTest() {
        SetDefaults(c);
        c.DemoMode = 1.0f;
    }
    // Answers the prompt of `item` with `answer` and returns the boxes it showed.
    std::vector<ScriptedDialogs::Shown> Answer(const std::string& item, const std::string& answer, int index = -1) {
        const std::size_t before = t.dialogs.History().size();
        t.dialogs.QueueInput(answer);
        EXPECT_TRUE(RunMenuCommand(c, item, index)) << item;
        return {t.dialogs.History().begin() + static_cast<std::ptrdiff_t>(before), t.dialogs.History().end()};
    }
};

TEST_F(SetupMenusTest, PromptsShowTheirTitleTextAndPresentValue) {
    struct Case {
        const char* item;
        int index;
        const char* title;
        const char* prompt;
        const char* shown;
    };
    c.P[37] = 0.5f; // rewritten to 20 before it is shown
    c.Breakpoints[102].Frequency = 40.0f;
    c.P[110] = 10.0f; // every dwell item enabled
    SyncMenusToTable(c);
    const Case cases[] = {
        {"mnuSweepLL", -1, "Setup Sweep Parameters", "Enter the Lower Frequency Limit in Hz.", "5"},
        {"mnuSweepUL", -1, "Setup Sweep Parameters", "Enter the Upper Frequency Limit in Hz.", "5000"},
        {"mnuSweepNo", -1, "Setup Sweep Parameters", "Enter the total # of sweep cycles", "1"},
        {"mnuSweepDwellActive", -1, "Dwell Setup", "Enter the # of Active Dwell Points between 0 and 10", "10"},
        {"mnuSweepDwellFreq", 1, "Dwell Frequency Setup",
         "Enter Dwell Point #2 Frequency between the Lower & Upper Limits", "40"},
        {"mnuSweepDwellFreq", 4, "Dwell Frequency Setup",
         "Enter Dwell Point #1 Frequency between the Lower & Upper Limits", "0"},
        {"mnuSweepDwellTime", 6, "Dwell Duration Setup", "Enter Dwell Point #7 Time Duration in seconds", "0"},
        {"mnuSystemUpdate", -1, "ZEK-8 Update Rate",
         "Enter the system update rate in samples/second.\r\nThe default value is 50 for faster computers", "10"},
        {"mnuSystemLowGain", -1, " Low Gain Trip Point",
         " Enter the Low-Gain trip point in Db. greater than 1.0. Low-Gain is defined as the compression point "
         "where at least 0.25 G feedback is expected.",
         "20"},
        {"mnuSystemMaxV", -1, " Setup Maximum Velocity Limit",
         " Enter the maximum allowable system velocity in IPS-peak.", "100"},
        {"mnuInputsSens", 3, "Setup Inputs", "Enter Channel #4 Sensitivity in MV/G between 5.0 and 1000.", "10"},
        {"mnuTestAlarm", -1, " Test Abort Limits",
         " Enter a uniform Abort Limit for the entire profile In Db. Use Modify Profile to enter individual abort "
         "segments.",
         "6"},
    };
    for (const Case& k : cases) {
        const auto boxes = Answer(k.item, "", k.index);
        ASSERT_FALSE(boxes.empty()) << k.item;
        EXPECT_EQ(boxes[0].kind, ScriptedDialogs::Kind::Input) << k.item;
        EXPECT_EQ(boxes[0].title, k.title) << k.item;
        EXPECT_EQ(boxes[0].text, k.prompt) << k.item;
        EXPECT_EQ(boxes[0].defaultText, k.shown) << k.item;
    }
}

TEST_F(SetupMenusTest, LowerLimitWarnsBelowTheProfileAndRefusesBelowOne) {
    auto boxes = Answer("mnuSweepLL", "3");
    EXPECT_EQ(c.P[1], 3.0f);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].title, "CAUTION");
    EXPECT_EQ(boxes[1].text, "WARNING the number is less than the first point in the profile.");

    boxes = Answer("mnuSweepLL", "0.5");
    EXPECT_EQ(c.P[1], 3.0f);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].title, "Out Of Bounds");
    EXPECT_EQ(boxes[1].text, "The Number must be 1.0 or greater.");
    EXPECT_EQ(boxes[2].title, "CAUTION");

    boxes = Answer("mnuSweepUL", "12000");
    EXPECT_EQ(c.P[2], 5000.0f);
    EXPECT_EQ(boxes[1].text, "The Number must be less than or equal to 10,000.");
    EXPECT_EQ(boxes[2].text, "WARNING: the Upper Limit is greater than the last point in the profile.");
}

TEST_F(SetupMenusTest, NonNumbersChangeNothing) {
    const ParameterTable before = c.P;
    for (const char* answer : {"", "abc", "inf", "nan", "1e39", "5x"}) {
        for (const char* item : {"mnuSweepLL", "mnuSweepNo", "mnuSystemUpdate", "mnuTestAlarm", "mnuSweepRateTime"}) {
            const auto boxes = Answer(item, answer);
            EXPECT_EQ(boxes.size(), 1u) << item << " " << answer;
        }
    }
    EXPECT_EQ(c.P.values, before.values);
}

TEST_F(SetupMenusTest, DwellPointCountAndPoints) {
    auto boxes = Answer("mnuSweepDwellActive", "11");
    EXPECT_EQ(c.P[110], 0.0f);
    EXPECT_EQ(boxes.back().text, "The Number must be between 0 and 10");
    boxes = Answer("mnuSweepDwellActive", "-1");
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(c.P[110], 0.0f);
    Answer("mnuSweepDwellActive", "3");
    EXPECT_EQ(c.P[110], 3.0f);
    EXPECT_TRUE(c.Menu.Enabled("mnuSweepDwellFreq", 2));
    EXPECT_FALSE(c.Menu.Enabled("mnuSweepDwellTime", 3));

    Answer("mnuSweepDwellFreq", "100", 2);
    EXPECT_EQ(c.Breakpoints[103].Frequency, 100.0f);
    boxes = Answer("mnuSweepDwellFreq", "5000", 2);
    EXPECT_EQ(boxes.back().text, "The Number must be less than the Upper Limit");
    EXPECT_EQ(c.Breakpoints[103].Frequency, 100.0f);
    boxes = Answer("mnuSweepDwellFreq", "5", 0);
    EXPECT_EQ(boxes.back().text, "The Number must be greater than the Lower Limit");
    Answer("mnuSweepDwellTime", "0.005", 2);
    EXPECT_EQ(c.Breakpoints[103].Mode, 0.0f);
    Answer("mnuSweepDwellTime", "30", 2);
    EXPECT_EQ(c.Breakpoints[103].Mode, 30.0f);
}

TEST_F(SetupMenusTest, RateAndTimeAreInversesOfEachOther) {
    auto boxes = Answer("mnuSweepRateTime", "10");
    // 1.443 x ln(5000 / 5) / 10 = 0.99679 octaves a minute.
    EXPECT_NEAR(c.P[4], 0.99679f, 1e-4f);
    // The time shown was that of the old rate: 1.443 x 6.90776 / 3 = 3.32266 minutes.
    EXPECT_NEAR(*ParseNumber(boxes[0].defaultText), 3.32266f, 1e-4f);
    Answer("mnuSweepRateTime", "0.05");
    EXPECT_NEAR(c.P[4], 0.99679f, 1e-4f);

    RunMenuCommand(c, "mnuSweepTypeLinear");
    EXPECT_EQ(c.P[3], 2.0f);
    EXPECT_TRUE(c.Menu.Checked("mnuSweepTypeLinear"));
    EXPECT_FALSE(c.Menu.Checked("mnuSweepTypeLog"));
    Answer("mnuSweepRateTime", "100");
    EXPECT_FLOAT_EQ(c.P[4], 49.95f); // (5000 - 5) / 100 Hz a second

    c.P[4] = 0.0f;
    boxes = Answer("mnuSweepRateTime", "");
    EXPECT_EQ(boxes[0].defaultText, "") << "no time for a rate of 0";

    RunMenuCommand(c, "mnuSweepTypeMIL167");
    boxes = Answer("mnuSweepRateTime", "2");
    EXPECT_EQ(c.P[7], 2.0f);
    EXPECT_EQ(boxes[0].text.rfind("Enter the sweep dwell period in Minutes", 0), 0u);
    boxes = Answer("mnuSweepRateRate", "5");
    EXPECT_EQ(c.P[4], 5.0f);
    EXPECT_EQ(boxes[0].text.rfind("Enter the sweep frequency step in Hertz/X minutes", 0), 0u);
}

TEST_F(SetupMenusTest, UnitsRoundTripAndTheirLimits) {
    c.Breakpoints[3].Mode = 1.0f;
    c.Breakpoints[3].Level = 100.0f;
    c.Breakpoints[80].Mode = 3.0f;
    c.Breakpoints[80].Level = 2.0f;
    c.Breakpoints[120].Mode = 3.0f;
    c.Breakpoints[120].Level = 2.0f;
    RunMenuCommand(c, "mnuSystemUnitsMetric");
    EXPECT_EQ(c.P[22], 1.0f);
    EXPECT_TRUE(c.Menu.Checked("mnuSystemUnitsMetric"));
    EXPECT_FLOAT_EQ(c.Breakpoints[3].Level, 2.54f);
    EXPECT_FLOAT_EQ(c.Breakpoints[80].Level, 19.614f);
    EXPECT_EQ(c.Breakpoints[120].Level, 2.0f) << "slope and dwell rows are never converted";
    EXPECT_FLOAT_EQ(c.P[18], 25.4f);
    RunMenuCommand(c, "mnuSystemUnitsEnglish");
    // 100 x 0.0254 x 39.37 in single precision: not quite 100.
    EXPECT_NEAR(c.Breakpoints[3].Level, 99.9998f, 2e-5f);
    EXPECT_NE(c.Breakpoints[3].Level, 100.0f);

    RunMenuCommand(c, "mnuSystemUnitsHybrid");
    EXPECT_FLOAT_EQ(c.P[21], 100.0f * 9.807f * 0.102f) << "accelerations stay in G";
    const std::size_t shown = t.dialogs.History().size();
    RunMenuCommand(c, "mnuSystemMaxA");
    EXPECT_EQ(t.dialogs.History().size(), shown) << "no prompt under Hybrid units";

    c.Breakpoints[5].Level = 3e38f;
    c.Breakpoints[3].Level = 100.0f;
    RunMenuCommand(c, "mnuSystemUnitsMetric");
    EXPECT_EQ(c.P[22], 2.0f);
    EXPECT_EQ(c.Breakpoints[3].Level, 100.0f);
    EXPECT_EQ(t.dialogs.History().back().title, "Out Of Bounds");
}

TEST_F(SetupMenusTest, SwitchItemsAndSeparators) {
    RunMenuCommand(c, "mnuSystemSepsReversed");
    EXPECT_EQ(c.P[62], 1.0f);
    EXPECT_EQ(c.DecimalSeparator, ",");
    RunMenuCommand(c, "mnuSystemSepsReversed");
    ASSERT_EQ(t.dialogs.History().size(), 2u) << "the message comes every time";
    EXPECT_EQ(t.dialogs.History()[1].title, " Information");
    EXPECT_EQ(t.dialogs.History()[1].text,
              " Numbers may be displayed differently depending on Windows Regional Settings");
    RunMenuCommand(c, "mnuSystemSepsEnglish");
    EXPECT_EQ(c.DecimalSeparator, ".");

    RunMenuCommand(c, "mnuTestAutoSave");
    EXPECT_EQ(c.P[34], 1.0f);
    RunMenuCommand(c, "mnuTestControlCh3");
    EXPECT_EQ(c.P[45], 2.0f);
    RunMenuCommand(c, "mnuTestControlCh3");
    EXPECT_EQ(c.P[45], 1.0f);
    RunMenuCommand(c, "mnuSystemInterfaceUSB");
    EXPECT_EQ(c.P[65], 2.0f);
    EXPECT_FALSE(c.Menu.Checked("mnuSystemInterfacePCI"));
    RunMenuCommand(c, "mnuSweepServoRateFast");
    EXPECT_EQ(c.P[6], 3.0f);
}

TEST_F(SetupMenusTest, SensitivityRestartsTheHardwareEvenWhenRefused) {
    c.DemoMode = 0.0f; // no acquisition library: a restart ends in demo mode and says so
    const auto boxes = Answer("mnuInputsSens", "2", 0);
    EXPECT_EQ(c.P[9], 10.0f);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].text, "The Number must be 5.0 or greater.");
    EXPECT_EQ(boxes[2].text, " No hardware was detected. The Software has been put in the Demo Mode");
}

TEST_F(SetupMenusTest, AbortLimitOnlyWhenItChanges) {
    c.Breakpoints[10].Abort = 3.0f;
    Answer("mnuTestAlarm", "6");
    EXPECT_EQ(c.Breakpoints[10].Abort, 3.0f) << "the present value rewrites nothing";
    Answer("mnuTestAlarm", "4.5");
    EXPECT_EQ(c.P[8], 4.5f);
    for (int row = 0; row <= 64; ++row) EXPECT_EQ(c.Breakpoints[row].Abort, 4.5f);
    EXPECT_NE(c.Breakpoints[65].Abort, 4.5f);
}

TEST_F(SetupMenusTest, TextsAreCutAndCleanedForTheFiles) {
    Answer("mnuTestTitle", std::string(70, 'x'));
    EXPECT_EQ(c.Indicators.Item("lblTestTitle").text, std::string(65, 'x'));
    Answer("mnuTestTitle", "");
    EXPECT_EQ(c.Indicators.Item("lblTestTitle").text, std::string(65, 'x'));
    Answer("mnuTestSubTitle1", "Bracket \"A\"\r\nrev 2");
    EXPECT_EQ(c.SubTitle1, "Bracket 'A'rev 2");
    Answer("mnuInputsAccelModel", "M-352C");
    EXPECT_EQ(c.AccelModel, "M-352C");
    const std::string serial(80, '7');
    Answer("mnuInputsAccelSerial", serial);
    EXPECT_EQ(c.AccelSerial, serial) << "model and serial are not cut";
}

} // namespace

namespace {

TEST_F(SetupMenusTest, LoadedTableBringsItsSeparatorBackgroundAndChannelRange) {
    c.P[62] = 1.0f;
    c.P[53] = 1.0f;
    c.P[109] = 2.0f;
    SyncMenusToTable(c);
    EXPECT_EQ(c.DecimalSeparator, ",");
    EXPECT_TRUE(c.Menu.Checked("mnuSystemSepsReversed"));
    EXPECT_EQ(c.Indicators.Item("picPlot").backColor, 0xFFFFFFu);
    EXPECT_TRUE(c.Menu.Checked("mnuViewChannelsUpper"));
    EXPECT_FALSE(c.Menu.Checked("mnuViewChannelsAll"));
    c.P[62] = 0.0f;
    c.P[53] = 0.0f;
    SyncMenusToTable(c);
    EXPECT_EQ(c.DecimalSeparator, ".");
    EXPECT_EQ(c.Indicators.Item("picPlot").backColor, 0x000000u);
}

} // namespace
