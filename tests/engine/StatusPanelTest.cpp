#include "engine/StatusPanel.h"
#include "core/Commands.h"
#include "core/Defaults.h"
#include "core/RunCommands.h"
#include "support/FakeLabNetwork.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace {

struct StatusPanelTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;

    StatusPanelTest() { SetDefaults(c); }

    const std::string& Text(const char* name) const { return c.Indicators.Item(name).text; }
};

TEST_F(StatusPanelTest, TheDefaultSetUpInEnglishUnits) {
    RefreshStatusPanel(c);
    const std::pair<const char*, const char*> expected[] = {
        {"lblLL", " L.LIMIT = 5. Hz."},
        {"lblUL", " U.LIMIT = 5000. Hz."},
        {"lblRate", " RATE = 3. OCT/M."},
        {"lblSweepType", " LOGARITHMIC"},
        {"lblSweepNumber", " SWEEP# 0 OF 1"},
        {"Label17", " DEFAULT PROFILE"},
        {"lblServoRate", " RATE = MEDIUM"},
        {"lblServoSpeed", " DIRECTION = UP"},
        {"lblComp", " COMP. = 70.0 Db."},
        {"lblDisp", " DISP. = .1 MILS "},
        {"lblVel", " VEL.  = .1 IPS-PK  "},
        {"lblAccBottom", " ACC. = .1 G-PK "},
        {"LblAcc", "   0.10"},
        {"lblDisplay", "ACCELERATION "},
        {"Label33", "G-PEAK"},
        {"lblFreqBottom", " FREQ. = 5.0 HZ."},
        {"LblFreq", " 5.0"},
        {"lblControlMode", "   AUTOMATIC"},
        {"lblControl", " CONTROL"},
        {"lblChannel", "CH#1"},
        {"lblSweep", "  SWEEP- UP "},
        {"lblTime", "09:00:00"},
        {"lblDate", "2026-01-05"},
    };
    for (const auto& [name, text] : expected) EXPECT_EQ(Text(name), text) << name;
    EXPECT_EQ(c.Indicators.Item("Gauge1").value, 70.0);
    EXPECT_EQ(Text("lblElapsedTime"), "  E.T.= 00:00:00") << "held: the text stays";
}

TEST_F(StatusPanelTest, SweepAndServoLinesFollowTheSetUp) {
    c.P[1] = 12.25f;
    c.P[3] = 2.0f;
    c.P[4] = 12.5f;
    c.P[5] = 3.0f;
    c.P[6] = 3.0f;
    c.SweepCounter = 2.5f;
    c.SweepDirection = 1.0f;
    c.Compression = 12.67f;
    c.CurrentFrequency = 1234.56f;
    c.DisplayChannel = 16.0f;
    c.ProfileFileName = "/home/lab/profiles/ZEKFileS.007";
    RefreshStatusPanel(c);
    EXPECT_EQ(Text("lblLL"), " L.LIMIT = 12.3 Hz.");
    EXPECT_EQ(Text("lblRate"), " RATE = 12.5 HZ/S.");
    EXPECT_EQ(Text("lblSweepType"), " LINEAR      ");
    EXPECT_EQ(Text("lblSweepNumber"), " SWEEP# 2 OF 3");
    EXPECT_EQ(Text("lblServoRate"), " RATE = FAST  ");
    EXPECT_EQ(Text("lblServoSpeed"), " DIRECTION = DN");
    EXPECT_EQ(Text("lblSweep"), " SWEEP-DOWN");
    EXPECT_EQ(Text("lblComp"), " COMP. = 12.7 Db.");
    EXPECT_EQ(c.Indicators.Item("Gauge1").value, 12.0);
    EXPECT_EQ(Text("lblFreqBottom"), " FREQ. = 1234.6 HZ.");
    EXPECT_EQ(Text("LblFreq"), " 1234.6");
    EXPECT_EQ(Text("lblChannel"), "CH#16");
    EXPECT_EQ(Text("Label17"), "les/ZEKFileS.007");

    c.P[3] = 3.0f;
    c.P[4] = 5.0f;
    c.P[7] = 2.5f;
    c.P[6] = 1.0f;
    c.Compression = 0.45f;
    RefreshStatusPanel(c);
    EXPECT_EQ(Text("lblRate"), " RATE = 5. HZ/ 2.5 M");
    EXPECT_EQ(Text("lblSweepType"), " MIL-167     ");
    EXPECT_EQ(Text("lblServoRate"), " RATE = SLOW  ");
    EXPECT_EQ(Text("lblComp"), " COMP. = .5 Db.");
    EXPECT_EQ(c.Indicators.Item("Gauge1").value, 0.0);

    c.P[6] = 7.0f;
    RefreshStatusPanel(c);
    EXPECT_EQ(Text("lblServoRate"), "");
}

TEST_F(StatusPanelTest, ControlModeAndStateWords) {
    struct Case {
        float strategy, demo, remoteDrive, remoteFrequency, abortCode;
        const char* mode;
        const char* state;
    };
    const Case cases[] = {
        {2, 0, 0, 0, 0, "   AUTOMATIC", " CONTROL"},    {1, 0, 0, 0, 0, "    MANUAL ", " CONTROL"},
        {3, 0, 0, 0, 4, "   AUTOMATIC", " ABORTED"},    {1, 1, 0, 0, 0, " DEMO MODE  ", " CONTROL"},
        {2, 1, 1, 0, 5, " Remote Control", " ABORTED"}, {1, 0, 0, 1, 0, " Remote Control", " CONTROL"},
    };
    for (const Case& k : cases) {
        c.P[0] = k.strategy;
        c.DemoMode = k.demo;
        c.RemoteDriveOverride = k.remoteDrive;
        c.RemoteFrequencyOverride = k.remoteFrequency;
        c.AbortCode = k.abortCode;
        RefreshStatusPanel(c);
        EXPECT_EQ(Text("lblControlMode"), k.mode) << k.strategy << k.demo << k.remoteDrive << k.remoteFrequency;
        EXPECT_EQ(Text("lblControl"), k.state) << k.abortCode;
    }
}

struct Response {
    float displacement = 100.0f; // mils: 2.54 mm
    float velocity = 10.0f;      // in/s: 25.4 cm/s
    float acceleration = 10.2f;  // G: 100.03 m/s2
};

struct UnitCase {
    const char* what;
    float units;
    float displayMode; // P[17]
    float activeMode;
    const char* disp;
    const char* vel;
    const char* acc;
    const char* large;
    const char* caption;
    const char* axisUnit;
};

TEST_F(StatusPanelTest, UnitLinesAndLargeReadoutInEachUnitSystem) {
    const char* englishD = " DISP. = 100.0 MILS ";
    const char* englishV = " VEL.  = 10.0 IPS-PK  ";
    const char* englishA = " ACC. = 10.2 G-PK ";
    const char* metricD = " DISP. = 2.54 MM   ";
    const char* metricV = " VEL.  = 25.4 CM/S  ";
    const char* metricA = " ACC. = 100 M/S^2 ";
    const UnitCase cases[] = {
        {"English, acceleration only", 0, 1, 1, englishD, englishV, englishA, "   10.20", "ACCELERATION ", "G-PEAK"},
        {"English, controlled D", 0, 2, 1, englishD, englishV, englishA, "   100.0", "DISPLACEMENT ", "G-PEAK"},
        {"English, controlled V", 0, 2, 2, englishD, englishV, englishA, "   10.00", "  VELOCITY   ", "G-PEAK"},
        {"English, controlled A", 0, 2, 3, englishD, englishV, englishA, "   10.20", "ACCELERATION ", "G-PEAK"},
        {"English, slope segment", 0, 2, 4, englishD, englishV, englishA, "   10.20", "ACCELERATION ", "G-PEAK"},
        {"Metric, acceleration only", 1, 1, 1, metricD, metricV, metricA, "  100.0", "ACCELERATION ", " M/S^2"},
        {"Metric, controlled D", 1, 2, 1, metricD, metricV, metricA, "2.54", "DISPLACEMENT ", " M/S^2"},
        {"Metric, controlled V", 1, 2, 2, metricD, metricV, metricA, "25.4", "  VELOCITY ", " M/S^2"},
        {"Metric, slope segment", 1, 2, 4, metricD, metricV, metricA, "  100.0", "ACCELERATION ", " M/S^2"},
        {"Hybrid, acceleration only", 2, 1, 2, metricD, metricV, englishA, "   10.20", "ACCELERATION ", "G-PEAK"},
        {"Hybrid, controlled D", 2, 2, 1, metricD, metricV, englishA, "2.54", "DISPLACEMENT ", "G-PEAK"},
        {"Hybrid, controlled V", 2, 2, 2, metricD, metricV, englishA, "25.4", "  VELOCITY ", "G-PEAK"},
        {"Hybrid, controlled A", 2, 2, 3, metricD, metricV, englishA, "   10.20", "ACCELERATION ", "G-PEAK"},
    };
    const Response r;
    for (const UnitCase& k : cases) {
        c.P[22] = k.units;
        c.P[17] = k.displayMode;
        c.ActiveMode = k.activeMode;
        c.ControlDisplacement = r.displacement;
        c.ControlVelocity = r.velocity;
        c.ControlResponse = r.acceleration;
        RefreshStatusPanel(c);
        EXPECT_EQ(Text("lblDisp"), k.disp) << k.what;
        EXPECT_EQ(Text("lblVel"), k.vel) << k.what;
        EXPECT_EQ(Text("lblAccBottom"), k.acc) << k.what;
        EXPECT_EQ(Text("LblAcc"), k.large) << k.what;
        EXPECT_EQ(Text("lblDisplay"), k.caption) << k.what;
        EXPECT_EQ(Text("Label33"), k.axisUnit) << k.what;
    }
}

TEST_F(StatusPanelTest, MetricAccelerationInWholeMetresPerSecondSquared) {
    c.P[22] = 1.0f;
    c.ControlResponse = 1.0f; // 9.807 m/s2
    RefreshStatusPanel(c);
    EXPECT_EQ(Text("lblAccBottom"), " ACC. = 10 M/S^2 ");
    EXPECT_EQ(Text("LblAcc"), "  9.8");
}

TEST_F(StatusPanelTest, TheLargeReadoutInGKeepsAboutFourFigures) {
    const std::pair<float, const char*> cases[] = {
        {5.678f, "   5.68"},  {99.9f, "   99.90"},   {99.91f, "   99.9"},   {150.256f, "   150.3"},
        {999.9f, "   999.9"}, {999.95f, "   1000."}, {1234.7f, "   1235."}, {0.004f, "   0.00"},
    };
    for (const float units : {0.0f, 2.0f}) {
        c.P[22] = units;
        for (const auto& [value, text] : cases) {
            c.ControlResponse = value;
            RefreshStatusPanel(c);
            EXPECT_EQ(Text("LblAcc"), text) << value << (units == 0.0f ? " English" : " Hybrid");
        }
    }
}

TEST_F(StatusPanelTest, TheLetterOfTheControlledQuantityTurnsRed) {
    const Rgb red = 0xFF0000;
    const Rgb black = 0x000000;
    const auto colours = [&] {
        return std::array<Rgb, 3>{c.Indicators.Item("lblDMode").backColor, c.Indicators.Item("lblVMode").backColor,
                                  c.Indicators.Item("lblAMode").backColor};
    };
    c.ActiveMode = 1.0f;
    RefreshStatusPanel(c);
    EXPECT_EQ(colours(), (std::array<Rgb, 3>{red, black, black}));
    c.ActiveMode = 2.0f;
    RefreshStatusPanel(c);
    EXPECT_EQ(colours(), (std::array<Rgb, 3>{black, red, black}));
    c.ActiveMode = 3.0f;
    RefreshStatusPanel(c);
    EXPECT_EQ(colours(), (std::array<Rgb, 3>{black, black, red}));
    c.ActiveMode = 4.0f; // a slope segment names no letter: the last one stays lit
    RefreshStatusPanel(c);
    EXPECT_EQ(colours(), (std::array<Rgb, 3>{black, black, red}));
}

TEST(ElapsedTime, MinutesThenRoundedSecondsThenDays) {
    const std::pair<double, const char*> cases[] = {
        {0.0, " E.T. = 00:00:00"},
        {59.4, " E.T. = 00:00:59"},
        {59.6, " E.T. = 00:01:00"},
        {30.5, " E.T. = 00:00:30"}, // ties round to even
        {31.5, " E.T. = 00:00:32"},
        {3661.0, " E.T. = 01:01:01"},
        {86399.4, " E.T. = 23:59:59"},
        {86399.6, " E.T. = 1:00:00:00"},
        {86400.0, " E.T. = 1:00:00:00"},
        {90061.0, " E.T. = 1:01:01:01"},
        {2.0 * 86400.0 + 5.0, " E.T. = 2:00:00:05"},
        {-3.0, " E.T. = 00:00:00"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(ElapsedTimeOf(seconds).Text(), text) << seconds;

    const ElapsedTime elapsed = ElapsedTimeOf(86400.0 + 43200.0);
    EXPECT_EQ(elapsed.dayPrefix, "1:");
    EXPECT_DOUBLE_EQ(elapsed.dayFraction, 0.5);
}

TEST(StatusPanelClock, ATestRunningPastMidnightAndPastADay) {
    // Sweep Run at 23:59:00, one minute of earlier running already on the clock.
    TestController t;
    t.clock = SimulatedClock(DateSerial(2026, 1, 5), 23.0 * 3600.0 + 59.0 * 60.0);
    Controller& c = t.c;
    SetDefaults(c);
    c.ElapsedSeconds = 60.0;
    c.SegmentStartTime = c.ports.clock->MonotonicSeconds();
    c.SweepRunning = 1.0f;

    t.clock.AdvanceMs(3 * 60 * 1000); // 00:02:00 the next day
    UpdateRunTime(c);
    RefreshStatusPanel(c);
    EXPECT_EQ(c.Indicators.Item("lblElapsedTime").text, " E.T. = 00:04:00");
    EXPECT_DOUBLE_EQ(c.RunSeconds, 240.0);
    EXPECT_EQ(c.DayRolloverSeconds, 0.0f);
    EXPECT_EQ(c.Indicators.Item("lblTime").text, "00:02:00");
    EXPECT_EQ(c.Indicators.Item("lblDate").text, "2026-01-06");

    t.clock.AdvanceMs((24 * 3600 + 5) * 1000LL); // a day and 5 s later
    UpdateRunTime(c);
    RefreshStatusPanel(c);
    EXPECT_EQ(c.Indicators.Item("lblElapsedTime").text, " E.T. = 1:00:04:05");
    EXPECT_DOUBLE_EQ(c.RunSeconds, 86400.0 + 245.0);
    EXPECT_EQ(c.ElapsedTimePrefix, "1:");
    EXPECT_EQ(c.Indicators.Item("lblDate").text, "2026-01-07");
}

TEST_F(StatusPanelTest, AHeldSweepKeepsItsTimeAndItsText) {
    c.SweepRunning = 1.0f;
    c.SegmentStartTime = c.ports.clock->MonotonicSeconds();
    t.clock.AdvanceMs(75000);
    UpdateRunTime(c);
    RefreshStatusPanel(c);
    EXPECT_EQ(Text("lblElapsedTime"), " E.T. = 00:01:15");

    HoldSweep(c);
    EXPECT_DOUBLE_EQ(c.ElapsedSeconds, 75.0);
    t.clock.AdvanceMs(600000);
    UpdateRunTime(c);
    RefreshStatusPanel(c);
    EXPECT_EQ(Text("lblElapsedTime"), " E.T. = 00:01:15");
    EXPECT_DOUBLE_EQ(c.RunSeconds, 75.0) << "held, the clock of the test stands";

    // The next run goes on from where the hold stopped.
    c.SweepRunning = 1.0f;
    c.SegmentStartTime = c.ports.clock->MonotonicSeconds();
    t.clock.AdvanceMs(10000);
    UpdateRunTime(c);
    RefreshStatusPanel(c);
    EXPECT_EQ(Text("lblElapsedTime"), " E.T. = 00:01:25");
    EXPECT_DOUBLE_EQ(c.RunSeconds, 85.0);
}

TEST_F(StatusPanelTest, TheCursorReadoutHidesAfterThreeSeconds) {
    c.Indicators.SetVisible("lblCursor", true);
    c.CursorShownTime = c.ports.clock->MonotonicSeconds();
    t.clock.AdvanceMs(3000);
    RefreshStatusPanel(c);
    EXPECT_TRUE(c.Indicators.Item("lblCursor").visible);
    t.clock.AdvanceMs(100);
    RefreshStatusPanel(c);
    EXPECT_FALSE(c.Indicators.Item("lblCursor").visible);
}

TEST_F(StatusPanelTest, TheBannerSelectorPicksTheWindowTitle) {
    const char* first = "ZEK-8 DIGITAL SINE CONTROLLER     Northfield Test Systems     Leeds";
    const char* second = "ZEK-8 DIGITAL SINE CONTROLLER     Harrow Dynamics     Toronto";
    const char* sixth = "ZEK-8 DIGITAL SINE CONTROLLER     Aldgate Shaker Services     Cape Town";
    const std::pair<int, const char*> cases[] = {{1, first},  {2, first},  {3, second},
                                                 {4, second}, {11, sixth}, {12, sixth}};
    for (const auto& [selector, title] : cases) {
        c.BannerSelector = selector;
        RefreshStatusPanel(c);
        EXPECT_EQ(Text("frmQMS"), title) << selector;
    }
    for (const int selector : {0, 13, -1}) {
        c.Indicators.SetText("frmQMS", "kept");
        c.BannerSelector = selector;
        RefreshStatusPanel(c);
        EXPECT_EQ(Text("frmQMS"), "kept") << selector;
    }
}

TEST_F(StatusPanelTest, DisplayModeCommandsOfTheViewMenu) {
    RefreshStatusPanel(c);
    c.ActiveMode = 1.0f;
    c.ControlDisplacement = 250.0f;

    EXPECT_TRUE(RunMenuCommand(c, "mnuViewDisplayControl"));
    EXPECT_EQ(c.P[17], 2.0f);
    EXPECT_TRUE(c.Menu.Checked("mnuViewDisplayControl"));
    EXPECT_FALSE(c.Menu.Checked("mnuViewDisplayAcc"));
    EXPECT_EQ(Text("lblDisplay"), "ACCELERATION ") << "shown at the next refresh only";
    RefreshStatusPanel(c);
    EXPECT_EQ(Text("LblAcc"), "   250.0");
    EXPECT_EQ(Text("lblDisplay"), "DISPLACEMENT ");

    EXPECT_TRUE(RunMenuCommand(c, "mnuViewDisplayAcc"));
    EXPECT_EQ(c.P[17], 1.0f);
    EXPECT_TRUE(c.Menu.Checked("mnuViewDisplayAcc"));
    EXPECT_FALSE(c.Menu.Checked("mnuViewDisplayControl"));
    RefreshStatusPanel(c);
    EXPECT_EQ(Text("lblDisplay"), "ACCELERATION ");
}

TEST_F(StatusPanelTest, TheNetworkLineTellsTheLinkOnlyOnANetwork) {
    RefreshStatusPanel(c);
    // On none: no line at all, so the panel's items are as they were.
    EXPECT_TRUE(
        std::ranges::none_of(c.Indicators.Items(), [](const auto& item) { return item.first == "lblNetwork"; }));
    FakeLabNetwork network;
    c.ports.network = &network;
    for (const auto& [state, line] : {std::pair{"connected", " NET: connected"}, {"no broker", " NET: no broker"}}) {
        network.state = state;
        RefreshStatusPanel(c);
        EXPECT_EQ(Text("lblNetwork"), line);
        EXPECT_TRUE(c.Indicators.Item("lblNetwork").visible);
    }
}

} // namespace
