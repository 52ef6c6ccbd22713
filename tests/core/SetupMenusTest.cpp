#include "core/Commands.h"
#include "core/Defaults.h"
#include "core/MenuSync.h"
#include "core/NumberText.h"
#include "core/StartUp.h"
#include "hardware/BoardLayer.h"
#include "support/RecordingCanvas.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <memory>

namespace {

using Boxes = std::vector<ScriptedDialogs::Shown>;

// A controller after the defaults, in demo mode, with all sixteen channels and every
// dwell item enabled.
struct SetupBench {
    std::unique_ptr<TestController> t = std::make_unique<TestController>();
    Controller& c = t->c;
    SetupBench() {
        SetDefaults(c);
        c.DemoMode = 1.0f;
        SetActiveChannels(c, 16);
        c.P[110] = 10.0f;
        SyncMenusToTable(c);
    }
    // Answers the prompt of `item` with `answer` and returns the boxes it showed.
    Boxes Answer(const std::string& item, const std::string& answer, int index = -1) {
        const std::size_t before = t->dialogs.History().size();
        t->dialogs.QueueInput(answer);
        EXPECT_TRUE(RunMenuCommand(c, item, index)) << item;
        return {t->dialogs.History().begin() + static_cast<std::ptrdiff_t>(before), t->dialogs.History().end()};
    }
    void Click(const std::string& item) { EXPECT_TRUE(RunMenuCommand(c, item, -1)) << item; }
};

struct SetupMenusTest : ::testing::Test, SetupBench {};

bool Showed(const Boxes& boxes, const std::string& title, const std::string& text = "") {
    return std::any_of(boxes.begin(), boxes.end(), [&](const ScriptedDialogs::Shown& b) {
        return b.kind == ScriptedDialogs::Kind::Message && b.title == title && (text.empty() || b.text == text);
    });
}

constexpr int DwellFrequency = -1; // the frequency of dwell row 101 + index
constexpr int DwellTime = -2;      // its mode column

struct PromptCase {
    const char* item;
    int index;
    float units; // P[22]
    const char* title;
    const char* prompt;
    const char* shown;
    int entry; // P[entry], or one of the dwell columns
    const char* accepted;
    float stored;
    const char* refused; // nullptr: every number is stored
    const char* error;   // the message of the refused answer; "" refuses silently
};

float& Target(Controller& c, const PromptCase& k) {
    if (k.entry >= 0) return c.P[k.entry];
    BreakpointRow& row = c.Breakpoints[101 + k.index];
    return k.entry == DwellFrequency ? row.Frequency : row.Mode;
}

const char* const SweepTitle = "Setup Sweep Parameters";
const char* const TooHigh = "The Number must be less than or equal to 10,000.";

const PromptCase PromptCases[] = {
    {"mnuSweepLL", -1, 0, SweepTitle, "Enter the Lower Frequency Limit in Hz.", "5", 1, "1", 1.0f, "0.99",
     "The Number must be 1.0 or greater."},
    {"mnuSweepUL", -1, 0, SweepTitle, "Enter the Upper Frequency Limit in Hz.", "5000", 2, "5110", 5110.0f, "5110.01",
     "The Number must be less than or equal to 5,110."},
    // The other bound of each limit is the limit at the other end.
    {"mnuSweepLL", -1, 0, SweepTitle, "Enter the Lower Frequency Limit in Hz.", "5", 1, "4999.5", 4999.5f, "5000",
     "The Number must be less than the Upper Limit"},
    {"mnuSweepUL", -1, 0, SweepTitle, "Enter the Upper Frequency Limit in Hz.", "5000", 2, "5.5", 5.5f, "-3.4e38",
     "The Number must be greater than the Lower Limit"},
    {"mnuSweepResonanceUL", -1, 0, SweepTitle, "Enter the Resonance Search Band Upper Frequency Limit in Hz.", "4000",
     89, "1000.5", 1000.5f, "1000", "The Number must be greater than the Lower Limit"},
    {"mnuSweepNo", -1, 0, SweepTitle, "Enter the total # of sweep cycles", "1", 5, "0.5", 0.5f, "0", ""},
    {"mnuSweepRateRate", -1, 0, SweepTitle,
     "Enter the sweep rate in Octaves/minute. Octaves can be calculated with the formula Oct = "
     "1.443*Ln(UL/LL) or 3.322 Log(UL/LL), where UL is the Upper Limit and LL is the lower limit. The Rate "
     "is then the number of octaves divided by the time T desired for a sweep up or down in minutes",
     "3", 4, "0.01", 0.01f, "0.0099", ""},
    {"mnuSweepResonanceLL", -1, 0, SweepTitle, "Enter the Resonance Search Band Lower Frequency Limit in Hz.", "1000",
     88, "10", 10.0f, "9.99", "The Number must be 10 or greater."},
    {"mnuSweepResonanceUL", -1, 0, SweepTitle, "Enter the Resonance Search Band Upper Frequency Limit in Hz.", "4000",
     89, "10000", 10000.0f, "10000.01", TooHigh},
    {"mnuSweepDwellActive", -1, 0, "Dwell Setup", "Enter the # of Active Dwell Points between 0 and 10", "10", 110, "0",
     0.0f, "10.01", "The Number must be between 0 and 10"},
    {"mnuSweepDwellFreq", 1, 0, "Dwell Frequency Setup",
     "Enter Dwell Point #2 Frequency between the Lower & Upper Limits", "0", DwellFrequency, "5.01", 5.01f, "5",
     "The Number must be greater than the Lower Limit"},
    {"mnuSweepDwellFreq", 9, 0, "Dwell Frequency Setup",
     "Enter Dwell Point #1 Frequency between the Lower & Upper Limits", "0", DwellFrequency, "4999.99", 4999.99f,
     "5000", "The Number must be less than the Upper Limit"},
    {"mnuSweepDwellTime", 9, 0, "Dwell Duration Setup", "Enter Dwell Point #10 Time Duration in seconds", "0",
     DwellTime, "0.01", 0.01f, "0.0099", "The Number must be greater than 0.01 seconds"},
    {"mnuSystemUpdate", -1, 0, "ZEK-8 Update Rate",
     "Enter the system update rate in samples/second.\r\nThe default value is 50 for faster computers", "10", 16,
     "1.01", 1.01f, "1", ""},
    {"mnuSystemMaxD", -1, 0, " Setup Maximum Displacement Limit",
     " Enter the maximum allowable system displacement in mils-peak-peak.", "1000", 18, "1.01", 1.01f, "1", ""},
    {"mnuSystemMaxD", -1, 1, " Setup Maximum Displacement Limit",
     " Enter the maximum allowable system displacement in MM-peak-peak.", "1000", 18, "25.4", 25.4f, "1", ""},
    {"mnuSystemMaxV", -1, 0, " Setup Maximum Velocity Limit",
     " Enter the maximum allowable system velocity in IPS-peak.", "100", 19, "1.01", 1.01f, "1", ""},
    {"mnuSystemMaxV", -1, 1, " Setup Maximum Velocity Limit",
     " Enter the maximum allowable system velocity in CM/Sec-peak.", "100", 19, "254", 254.0f, "1", ""},
    {"mnuSystemMaxA", -1, 0, " Setup Maximum Acceleration Limit",
     " Enter the maximum allowable system acceleration in G-peak.", "100", 21, "1.01", 1.01f, "1", ""},
    {"mnuSystemMaxA", -1, 1, " Setup Maximum Acceleration Limit",
     " Enter the maximum allowable system acceleration in M/Sec^2.", "100", 21, "980.7", 980.7f, "1", ""},
    {"mnuSystemLowGain", -1, 0, " Low Gain Trip Point",
     " Enter the Low-Gain trip point in Db. greater than 1.0. Low-Gain is defined as the compression point "
     "where at least 0.25 G feedback is expected.",
     "20", 37, "1.01", 1.01f, "1", "The Number must be greater than 1.0"},
    {"mnuSystemOpenLoop", -1, 0, " Open-Loop Trip Point",
     " Enter the Open-Loop trip point in Db. greater than 0.1. Open-Loop is defined as the minimum "
     "compression point.",
     "0.5", 38, "0.11", 0.11f, "0.1", "The Number must be greater than 0.1"},
    {"mnuSystemManualSteps", -1, 0, " Setup Manual Mode stepsize", " Enter the Manual Mode Level step size multiplier",
     "0.1", 29, "0.001", 0.001f, "0", ""},
    {"mnuInputsSens", 15, 0, "Setup Inputs", "Enter Channel #16 Sensitivity in MV/G between 5.0 and 1000.", "10", 108,
     "5", 5.0f, "4.99", "The Number must be 5.0 or greater."},
    {"mnuInputsSens", 0, 0, "Setup Inputs", "Enter Channel #1 Sensitivity in MV/G between 5.0 and 1000.", "10", 9,
     "1000", 1000.0f, "3.4e38", "The Number must be between 5.0 and 1000."},
    {"mnuTestAlarm", -1, 0, " Test Abort Limits",
     " Enter a uniform Abort Limit for the entire profile In Db. Use Modify Profile to enter individual "
     "abort segments.",
     "6", 8, "4.5", 4.5f, nullptr, ""},
};

TEST(SetupPrompts, TitlePromptDefaultAndTheBoundOfTheStore) {
    for (const PromptCase& k : PromptCases) {
        SetupBench b;
        b.c.P[22] = k.units;
        const std::string name = std::string(k.item) + " #" + std::to_string(k.index);
        if (k.refused) {
            const float before = Target(b.c, k);
            const Boxes boxes = b.Answer(k.item, k.refused, k.index);
            ASSERT_FALSE(boxes.empty()) << name;
            EXPECT_EQ(boxes[0].kind, ScriptedDialogs::Kind::Input) << name;
            EXPECT_EQ(boxes[0].title, k.title) << name;
            EXPECT_EQ(boxes[0].text, k.prompt) << name;
            EXPECT_EQ(boxes[0].defaultText, k.shown) << name;
            EXPECT_EQ(Target(b.c, k), before) << name << " stored " << k.refused;
            if (*k.error)
                EXPECT_TRUE(Showed(boxes, "Out Of Bounds", k.error)) << name;
            else
                EXPECT_FALSE(Showed(boxes, "Out Of Bounds")) << name;
        }
        const Boxes boxes = b.Answer(k.item, k.accepted, k.index);
        EXPECT_EQ(boxes[0].title, k.title) << name;
        EXPECT_EQ(Target(b.c, k), k.stored) << name << " refused " << k.accepted;
        EXPECT_FALSE(Showed(boxes, "Out Of Bounds")) << name;
    }
}

TEST_F(SetupMenusTest, LimitsWarnAgainstTheProfileWithoutRefusing) {
    // Row 1 of the default profile is at 5 Hz.
    Boxes boxes = Answer("mnuSweepLL", "3");
    EXPECT_EQ(c.P[1], 3.0f);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].title, "CAUTION");
    EXPECT_EQ(boxes[1].text, "WARNING the number is less than the first point in the profile.");

    boxes = Answer("mnuSweepLL", "0.5");
    EXPECT_EQ(c.P[1], 3.0f);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].text, "The Number must be 1.0 or greater.");
    EXPECT_EQ(boxes[2].title, "CAUTION");

    c.ProfileLastFrequency = 2000.0f;
    boxes = Answer("mnuSweepResonanceUL", "2000");
    EXPECT_EQ(boxes.size(), 1u) << "at the last point no warning";
    boxes = Answer("mnuSweepUL", "3000");
    EXPECT_EQ(c.P[2], 3000.0f);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].title, "CAUTION");
    EXPECT_EQ(boxes[1].text, "WARNING: the Upper Limit is greater than the last point in the profile.");
}

TEST_F(SetupMenusTest, NonNumbersChangeNothing) {
    const ParameterTable before = c.P;
    for (const char* answer : {"", "abc", "inf", "nan", "1e39", "5x"}) {
        for (const char* item : {"mnuSweepLL", "mnuSweepNo", "mnuSystemUpdate", "mnuTestAlarm", "mnuSweepRateTime"}) {
            const Boxes boxes = Answer(item, answer);
            EXPECT_EQ(boxes.size(), 1u) << item << " " << answer;
        }
    }
    EXPECT_EQ(c.P.values, before.values);
}

TEST(SetupPrompts, AnswersAreReadWithTheDesktopsDecimalPointWhateverTheSeparatorSetting) {
    const std::string fullStop = "Numbers are entered with \".\" as decimal point and without thousands separators.";
    const std::string comma = "Numbers are entered with \",\" as decimal point and without thousands separators.";
    struct Case {
        char point;    // the desktop's
        bool reversed; // System / Separators / Reversed ticked
        const char* item;
        int entry; // P[1] starts at 2.5, P[2] at 5000, P[5] at 1
        const char* answer;
        float stored;
        std::string told; // "": no message
    };
    const Case cases[] = {
        {'.', false, "mnuSweepLL", 1, "7.5", 7.5f, ""},
        {'.', true, "mnuSweepLL", 1, "7.5", 7.5f, ""},
        {'.', true, "mnuSweepNo", 5, "3.5", 3.5f, ""},
        {',', false, "mnuSweepLL", 1, "7,5", 7.5f, ""},
        {',', true, "mnuSweepNo", 5, "3,5", 3.5f, ""},
        // The other desktop's numbers are refused, never read as 75 or 1000.
        {'.', true, "mnuSweepLL", 1, "7,5", 2.5f, fullStop},
        {'.', false, "mnuSweepUL", 2, "1,000", 5000.0f, fullStop},
        {',', false, "mnuSweepLL", 1, "7.5", 2.5f, comma},
        {',', true, "mnuSweepUL", 2, "1.000", 5000.0f, comma},
        {',', false, "mnuSweepUL", 2, "1.000,5", 5000.0f, comma},
        {',', false, "mnuSweepNo", 5, "abc", 1.0f, ""},
        {',', false, "mnuSweepNo", 5, ",", 1.0f, ""},
    };
    for (const Case& k : cases) {
        SetupBench b;
        b.c.PromptDecimalPoint = k.point;
        b.c.P[1] = 2.5f;
        if (k.reversed) b.Click("mnuSystemSepsReversed");
        const std::string name = std::string(k.item) + " " + k.answer + " on a '" + k.point + "' desktop";
        const Boxes boxes = b.Answer(k.item, k.answer);
        EXPECT_EQ(b.c.P[k.entry], k.stored) << name;
        EXPECT_EQ(boxes.size(), k.told.empty() ? 1u : 2u) << name;
        if (!k.told.empty()) {
            EXPECT_TRUE(Showed(boxes, "Not A Number", k.told)) << name;
        }
    }
}

TEST(SetupPrompts, TheDefaultAnswerIsWrittenSoThatAcceptingItKeepsTheValue) {
    struct Case {
        const char* item;
        int entry;
        float value;
        const char* shown; // on a desktop with a full stop
    };
    for (const Case& k : {Case{"mnuSweepLL", 1, 2.5f, "2.5"}, Case{"mnuSystemManualSteps", 29, 1.5E-05f, "1.5E-05"}}) {
        for (const char point : {'.', ','}) {
            SetupBench b;
            b.c.PromptDecimalPoint = point;
            b.Click("mnuSystemSepsReversed");
            b.c.P[k.entry] = k.value;
            std::string expected = k.shown;
            std::replace(expected.begin(), expected.end(), '.', point);
            const std::string shown = b.Answer(k.item, "")[0].defaultText;
            EXPECT_EQ(shown, expected);
            b.c.P[k.entry] = 7.0f;
            b.Answer(k.item, shown);
            EXPECT_EQ(b.c.P[k.entry], k.value) << shown;
        }
    }
}

// The desktop's locale, when one with a comma is installed.
TEST(SetupPrompts, StartUpTakesTheDecimalPointOfTheLocale) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8 locale installed";
    TestController t;
    t.c.WorkingFolder = "/nonexistent-zek8-folder";
    StartUp(t.c);
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_EQ(t.c.PromptDecimalPoint, ',');
    t.dialogs.QueueInput("7,5");
    EXPECT_TRUE(RunMenuCommand(t.c, "mnuSweepLL", -1));
    EXPECT_EQ(t.c.P[1], 7.5f);
}

TEST_F(SetupMenusTest, TripPointsAndStepStartFromUsableValues) {
    c.P[37] = 0.5f;
    c.P[38] = 0.05f;
    c.P[29] = 0.0f;
    EXPECT_EQ(Answer("mnuSystemLowGain", "")[0].defaultText, "20");
    EXPECT_EQ(Answer("mnuSystemOpenLoop", "")[0].defaultText, "0.5");
    EXPECT_EQ(Answer("mnuSystemManualSteps", "")[0].defaultText, "0.1");
    // Rewritten before the prompt, so a cancelled prompt keeps the usable value.
    EXPECT_EQ(c.P[37], 20.0f);
    EXPECT_EQ(c.P[38], 0.5f);
    EXPECT_EQ(c.P[29], 0.1f);
}

TEST_F(SetupMenusTest, DwellPointCountEnablesItsItems) {
    Answer("mnuSweepDwellActive", "0");
    EXPECT_FALSE(c.Menu.Enabled("mnuSweepDwellFreq", 0));
    EXPECT_EQ(Answer("mnuSweepDwellActive", "11").back().text, "The Number must be between 0 and 10");
    EXPECT_EQ(c.P[110], 0.0f);
    EXPECT_EQ(Answer("mnuSweepDwellActive", "-1").back().text, "The Number must be between 0 and 10");
    EXPECT_EQ(c.P[110], 0.0f);
    Answer("mnuSweepDwellActive", "3");
    EXPECT_EQ(c.P[110], 3.0f);
    EXPECT_TRUE(c.Menu.Enabled("mnuSweepDwellFreq", 2));
    EXPECT_TRUE(c.Menu.Enabled("mnuSweepDwellTime", 2));
    EXPECT_FALSE(c.Menu.Enabled("mnuSweepDwellTime", 3));
    EXPECT_FALSE(RunMenuCommand(c, "mnuSweepDwellFreq", 3)) << "a disabled item runs nothing";

    // Between the limits but below 5 Hz: no message, not stored.
    Answer("mnuSweepLL", "2");
    const Boxes boxes = Answer("mnuSweepDwellFreq", "4", 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(c.Breakpoints[101].Frequency, 0.0f);
}

TEST_F(SetupMenusTest, RateAndTimeAreInversesOfEachOther) {
    Boxes boxes = Answer("mnuSweepRateTime", "10");
    EXPECT_EQ(boxes[0].text, "Enter the time T desired for a sweep up or down in minutes.");
    // 1.443 x ln(5000 / 5) / 10 = 0.99679 octaves a minute.
    EXPECT_NEAR(c.P[4], 0.99679f, 1e-4f);
    // The time shown was that of the old rate: 1.443 x 6.90776 / 3 = 3.32266 minutes.
    EXPECT_NEAR(*ParseNumber(boxes[0].defaultText), 3.32266f, 1e-4f);
    Answer("mnuSweepRateTime", "0.05");
    EXPECT_NEAR(c.P[4], 0.99679f, 1e-4f);
    Answer("mnuSweepRateTime", "0.1"); // the shortest time taken
    EXPECT_NEAR(c.P[4], 99.679f, 1e-2f);

    Click("mnuSweepTypeLinear");
    EXPECT_EQ(c.P[3], 2.0f);
    EXPECT_TRUE(c.Menu.Checked("mnuSweepTypeLinear"));
    EXPECT_FALSE(c.Menu.Checked("mnuSweepTypeLog"));
    boxes = Answer("mnuSweepRateTime", "100");
    EXPECT_EQ(boxes[0].text, "Enter the time desired for a sweep up or down in seconds.");
    EXPECT_FLOAT_EQ(c.P[4], 49.95f); // (5000 - 5) / 100 Hz a second
    EXPECT_EQ(Answer("mnuSweepRateRate", "")[0].text.rfind("Enter the sweep rate in Hertz/Second.", 0), 0u);

    c.P[4] = 0.0f;
    EXPECT_EQ(Answer("mnuSweepRateTime", "")[0].defaultText, "") << "no time for a rate of 0";

    Click("mnuSweepTypeMIL167");
    boxes = Answer("mnuSweepRateTime", "0.01");
    EXPECT_EQ(c.P[7], 0.01f);
    EXPECT_EQ(boxes[0].defaultText, "2");
    EXPECT_EQ(boxes[0].text, "Enter the sweep dwell period in Minutes here; enter the sweep frequency step in the "
                             "SWEEP RATE|RATE|RATE menu");
    Answer("mnuSweepRateTime", "0.0099");
    EXPECT_EQ(c.P[7], 0.01f);
    boxes = Answer("mnuSweepRateRate", "5");
    EXPECT_EQ(c.P[4], 5.0f);
    EXPECT_EQ(boxes[0].text, "Enter the sweep frequency step in Hertz/X minutes here; enter the dwell period X in the "
                             "SWEEP SETUP|RATE|TIME menu");
}

// One displacement, one velocity, one acceleration and one slope row, and the three
// system limits, all at 100 before each conversion.
TEST(UnitsConversion, FactorsBySourceAndTarget) {
    struct Case {
        float from;
        const char* item;
        float d, v, a;
    };
    const Case cases[] = {
        {0, "mnuSystemUnitsMetric", 2.54f, 254.0f, 980.7f},   {2, "mnuSystemUnitsMetric", 100.0f, 100.0f, 980.7f},
        {1, "mnuSystemUnitsEnglish", 3937.0f, 39.37f, 10.2f}, {2, "mnuSystemUnitsEnglish", 3937.0f, 39.37f, 100.0f},
        {0, "mnuSystemUnitsHybrid", 2.54f, 254.0f, 100.0f},   {1, "mnuSystemUnitsHybrid", 100.0f, 100.0f, 10.2f},
        {1, "mnuSystemUnitsMetric", 100.0f, 100.0f, 100.0f},
    };
    for (const Case& k : cases) {
        SetupBench b;
        Controller& c = b.c;
        c.P[22] = k.from;
        c.P[18] = c.P[19] = c.P[21] = 100.0f;
        const float modes[] = {1, 2, 3, 4};
        for (int i = 0; i < 4; ++i) c.Breakpoints[60 + 10 * i] = {10.0f, modes[i], 100.0f, 6.0f, 0.0f, ""};
        c.Breakpoints[150] = {10.0f, 1.0f, 100.0f, 6.0f, 0.0f, ""};
        b.Click(k.item);
        const std::string name = std::to_string(k.from) + " " + k.item;
        EXPECT_FLOAT_EQ(c.Breakpoints[60].Level, k.d) << name;
        EXPECT_FLOAT_EQ(c.Breakpoints[70].Level, k.v) << name << " (row 70 is a profile row too)";
        EXPECT_FLOAT_EQ(c.Breakpoints[80].Level, k.a) << name;
        EXPECT_EQ(c.Breakpoints[90].Level, 100.0f) << name << " slope rows keep their level";
        EXPECT_EQ(c.Breakpoints[150].Level, 100.0f) << name << " rows beyond 100 are never converted";
        EXPECT_FLOAT_EQ(c.P[18], k.d) << name;
        EXPECT_FLOAT_EQ(c.P[19], k.v) << name;
        EXPECT_FLOAT_EQ(c.P[21], k.a) << name;
        EXPECT_TRUE(c.Menu.Checked(k.item)) << name;
    }
}

TEST_F(SetupMenusTest, UnitsRoundTripHybridLimitsAndRefusedConversion) {
    c.Breakpoints[3].Level = 100.0f; // row 3 is a displacement row
    Click("mnuSystemUnitsMetric");
    EXPECT_EQ(c.P[22], 1.0f);
    Click("mnuSystemUnitsEnglish");
    EXPECT_EQ(c.P[22], 0.0f);
    // 100 x 0.0254 x 39.37 in single precision: not quite 100.
    EXPECT_NEAR(c.Breakpoints[3].Level, 99.9998f, 2e-5f);
    EXPECT_NE(c.Breakpoints[3].Level, 100.0f);

    Click("mnuSystemUnitsHybrid");
    const std::size_t shown = t->dialogs.History().size();
    for (const char* item : {"mnuSystemMaxD", "mnuSystemMaxV", "mnuSystemMaxA"}) Click(item);
    EXPECT_EQ(t->dialogs.History().size(), shown) << "no prompt under Hybrid units";

    c.Breakpoints[5].Level = 3e38f; // x 9.807 is beyond single precision
    c.Breakpoints[3].Level = 100.0f;
    Click("mnuSystemUnitsMetric");
    EXPECT_EQ(c.P[22], 2.0f);
    EXPECT_EQ(c.Breakpoints[3].Level, 100.0f);
    EXPECT_EQ(t->dialogs.History().back().title, "Out Of Bounds");
    EXPECT_TRUE(c.Menu.Checked("mnuSystemUnitsHybrid")) << "the ticks stay with the units in force";
    EXPECT_FALSE(c.Menu.Checked("mnuSystemUnitsMetric"));
}

TEST_F(SetupMenusTest, SwitchItemsAndSeparators) {
    Click("mnuSystemSepsReversed");
    EXPECT_EQ(c.P[62], 1.0f);
    EXPECT_EQ(c.DecimalSeparator, ",");
    EXPECT_EQ(Answer("mnuSweepLL", "")[0].defaultText, "5");
    Click("mnuSystemSepsReversed");
    ASSERT_EQ(t->dialogs.History().size(), 3u) << "the message comes every time";
    for (const std::size_t k : {0u, 2u}) {
        EXPECT_EQ(t->dialogs.History()[k].title, " Information");
        EXPECT_EQ(t->dialogs.History()[k].text,
                  " Numbers may be displayed differently depending on Windows Regional Settings");
    }
    // The setting changes what is written, not how the operator's answers are read.
    Answer("mnuSystemOpenLoop", "0.25");
    EXPECT_EQ(c.P[38], 0.25f);
    Click("mnuSystemSepsEnglish");
    EXPECT_EQ(c.DecimalSeparator, ".");
    EXPECT_FALSE(c.Menu.Checked("mnuSystemSepsReversed"));

    struct Toggle {
        const char* item;
        int entry;
        float on, off;
    };
    for (const Toggle& k : {Toggle{"mnuTestAutoPrint", 33, 1, 0}, Toggle{"mnuTestAutoSave", 34, 1, 0},
                            Toggle{"mnuTestAutoExport", 60, 1, 0}, Toggle{"mnuSweepResonanceEnabled", 90, 1, 0},
                            Toggle{"mnuTestControlCh3", 45, 2, 1}}) {
        Click(k.item);
        EXPECT_EQ(c.P[k.entry], k.on) << k.item;
        EXPECT_TRUE(c.Menu.Checked(k.item)) << k.item;
        Click(k.item);
        EXPECT_EQ(c.P[k.entry], k.off) << k.item;
    }
    Click("mnuSystemInterfaceUSB");
    EXPECT_EQ(c.P[65], 2.0f);
    EXPECT_FALSE(c.Menu.Checked("mnuSystemInterfacePCI"));
    Click("mnuSweepServoRateFast");
    EXPECT_EQ(c.P[6], 3.0f);
    EXPECT_FALSE(c.Menu.Checked("mnuSweepServoRateMedium"));
}

TEST_F(SetupMenusTest, SensitivityOfEveryChannelAndTheRestartEvenWhenRefused) {
    const int entries[16] = {9, 10, 39, 40, 71, 72, 73, 74, 101, 102, 103, 104, 105, 106, 107, 108};
    for (int k = 0; k < 16; ++k) {
        Answer("mnuInputsSens", std::to_string(20 + k), k);
        EXPECT_EQ(c.P[entries[k]], static_cast<float>(20 + k)) << "channel " << k + 1;
    }
    c.DemoMode = 0.0f; // no acquisition library: a restart ends in demo mode and says so
    const Boxes boxes = Answer("mnuInputsSens", "2", 0);
    EXPECT_EQ(c.P[9], 20.0f);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].text, "The Number must be 5.0 or greater.");
    EXPECT_EQ(boxes[2].text, " No hardware was detected. The Software has been put in the Demo Mode");
}

TEST_F(SetupMenusTest, AbortLimitOnlyWhenItChanges) {
    RecordingCanvas plot(1000, 600);
    c.ports.plot = &plot;
    c.Breakpoints[10].Abort = 3.0f;
    Answer("mnuTestAlarm", "6");
    EXPECT_EQ(c.Breakpoints[10].Abort, 3.0f) << "the present value rewrites nothing";
    EXPECT_EQ(plot.ops.size(), 0u) << "and redraws nothing";
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
    std::string accented;
    for (int k = 0; k < 70; ++k) accented += "\xC3\xA9"; // é, two bytes in UTF-8
    Answer("mnuTestSubTitle2", accented);
    EXPECT_EQ(c.SubTitle2, accented.substr(0, 130)) << "65 whole characters";
    Answer("mnuTestSubTitle1", "Bracket \"A\"\r\nrev 2");
    EXPECT_EQ(c.SubTitle1, "Bracket 'A'rev 2");
    Answer("mnuTestSubTitle1", "\r\n");
    EXPECT_EQ(c.SubTitle1, "Bracket 'A'rev 2") << "nothing left to store";
    const Boxes boxes = Answer("mnuInputsAccelModel", "M-352C");
    EXPECT_EQ(boxes[0].title, "Accelerometer Model #");
    EXPECT_EQ(boxes[0].text, "Enter the accelerometer model #");
    EXPECT_EQ(c.AccelModel, "M-352C");
    const std::string serial(80, '7');
    EXPECT_EQ(Answer("mnuInputsAccelSerial", serial)[0].text, "Enter the accelerometer serial #");
    EXPECT_EQ(c.AccelSerial, serial.substr(0, 65)) << "model and serial are cut as the titles";
    EXPECT_EQ(Answer("mnuInputsAccelSerial", "")[0].defaultText, serial.substr(0, 65));
}

} // namespace
