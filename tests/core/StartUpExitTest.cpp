#include "core/ControlCycle.h"
#include "core/Defaults.h"
#include "core/RunCommands.h"
#include "core/StartUp.h"
#include "files/ProfileFile.h"
#include "support/RecordingCanvas.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

// Without an acquisition library the controller starts in demo mode, and without a
// calibration file it says so (the script cancels); the tests count the boxes after.
struct StartUpExitTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    StartUpExitTest() { c.WorkingFolder = "/nonexistent-zek8-folder"; }
    std::size_t BoxesShown() const { return t.dialogs.History().size(); }
};

TEST_F(StartUpExitTest, StartUpLeavesTheTestStoppedAndTheWindowShown) {
    c.P[1] = 12.0f; // left over from an earlier set-up: the defaults replace it
    t.clock.AdvanceMs(3000);
    StartUp(c);
    EXPECT_EQ(t.shell.shown, 1);
    EXPECT_FALSE(c.TimerEnabled);
    EXPECT_EQ(c.CurrentFrequency, 5.0f);
    EXPECT_EQ(c.ProfileLastFrequency, 5000.0f);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.SweepRunning, 0.0f);
    EXPECT_EQ(c.DemoMode, 1.0f);
    // In order: no default profile, no acquisition library, no calibration file.
    ASSERT_EQ(BoxesShown(), 3u);
    EXPECT_EQ(t.dialogs.History()[0].title, "Error Loading Default Profile (ZEKFileS.000)\r\n Error # 76 Occured");
    EXPECT_EQ(t.dialogs.History()[1].text, " No hardware was detected. The Software has been put in the Demo Mode");
    EXPECT_EQ(t.dialogs.History()[2].title.rfind("Error Loading Calibration Factors File", 0), 0u);
    EXPECT_EQ(c.RemoteCommandCode, 4.0f); // Stop holds the sweep last
    EXPECT_EQ(c.StepStartTime, 3.0);
    EXPECT_TRUE(c.Menu.Checked("mnuRunServoOff"));
    EXPECT_TRUE(c.Menu.Checked("mnuRunHold"));
    EXPECT_EQ(c.Indicators.Item("cmdServoOff").foreColor, 0xFF0000u);
    EXPECT_EQ(c.Indicators.Item("cmdServoOn").foreColor, 0x000000u);
    EXPECT_FALSE(c.Indicators.Item("imgSine").visible);
    // Check marks follow the table.
    EXPECT_TRUE(c.Menu.Checked("mnuTestControlAverage"));
    EXPECT_TRUE(c.Menu.Checked("mnuSweepTypeLog"));
    EXPECT_TRUE(c.Menu.Checked("mnuTestControlCh1"));
    EXPECT_FALSE(c.Menu.Checked("mnuTestAutoPrint"));
    EXPECT_TRUE(c.Menu.Checked("mnuViewTransferIn", 8));
    EXPECT_TRUE(c.Menu.Checked("mnuSystemInterfacePCI"));
    EXPECT_FALSE(c.Menu.Enabled("mnuSweepDwellFreq", 0));
    // Plot pens at the present frequency: ln 5 * 0.1086 * 1000 = 174.78 px.
    EXPECT_NEAR(c.Plot.PenX, 174.78f, 0.01f);
    EXPECT_EQ(c.Plot.PenY[16], 600.0f);
    EXPECT_EQ(c.Plot.PenTransferY, 600.0f);
}

TEST_F(StartUpExitTest, PlotStartsOnTheBackgroundOfTheDefaultProfile) {
    const auto folder = std::filesystem::temp_directory_path() / "zek8-startup-white";
    std::filesystem::create_directories(folder);
    SetDefaults(c);
    c.P[53] = 1.0f;
    std::ofstream(folder / DefaultProfileName, std::ios::binary) << WriteProfile(CurrentSetUp(c));
    RecordingCanvas plot(800, 500);
    c.ports.plot = &plot;
    c.WorkingFolder = folder.string();
    StartUp(c);
    std::filesystem::remove_all(folder);
    ASSERT_FALSE(plot.ops.empty());
    EXPECT_EQ(plot.ops[0].kind, RecordingCanvas::Kind::Cls);
    EXPECT_EQ(plot.ops[0].color, 0xFFFFFFu);
    EXPECT_EQ(plot.ops.back().kind, RecordingCanvas::Kind::Line) << "the reference line, last";
    EXPECT_EQ(plot.ops.back().color, 0x000000u) << "black on white";
}

TEST_F(StartUpExitTest, ExitAnsweredNoLeavesEverythingAsItWas) {
    StartUp(c);
    c.ServoOn = 1.0f;
    c.SweepRunning = 1.0f;
    c.TestStarted = 1.0f;
    c.ElapsedSeconds = 42.0;
    c.CurrentFrequency = 300.0f;
    const Controller before = c;
    const std::size_t shown = BoxesShown();
    t.dialogs.QueueAnswer(MessageAnswer::No);
    RequestExit(c);
    ASSERT_EQ(BoxesShown(), shown + 1);
    const auto& box = t.dialogs.History().back();
    EXPECT_EQ(box.text, "Exit QMS Program?");
    EXPECT_EQ(box.buttons, MessageButtons::YesNo);
    EXPECT_EQ(box.icon, MessageIcon::Critical);
    EXPECT_EQ(t.shell.ended, 0);
    EXPECT_FALSE(c.Closing);
    EXPECT_EQ(c.ServoOn, before.ServoOn);
    EXPECT_EQ(c.SweepRunning, before.SweepRunning);
    EXPECT_EQ(c.TestStarted, before.TestStarted);
    EXPECT_EQ(c.ElapsedSeconds, before.ElapsedSeconds);
    EXPECT_EQ(c.CurrentFrequency, before.CurrentFrequency);
    EXPECT_EQ(c.RemoteCommandCode, before.RemoteCommandCode);
    EXPECT_EQ(c.Menu.Revision(), before.Menu.Revision());
    EXPECT_EQ(c.Indicators.Revision(), before.Indicators.Revision());
}

TEST_F(StartUpExitTest, ExitAnsweredYesStopsTheTestAndEndsOnce) {
    StartUp(c);
    c.ServoOn = 1.0f;
    c.TestStarted = 1.0f;
    const std::size_t shown = BoxesShown();
    RequestExit(c); // the script answers Yes
    EXPECT_EQ(t.shell.ended, 1);
    EXPECT_TRUE(c.Closing);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(c.TestStarted, 0.0f);
    // The window closing afterwards, or a second Exit, does not run the sequence again.
    MainWindowClosing(c);
    RequestExit(c);
    EXPECT_EQ(t.shell.ended, 1);
    EXPECT_EQ(BoxesShown(), shown + 1);
}

TEST_F(StartUpExitTest, ClosingTheWindowStopsWithoutAsking) {
    StartUp(c);
    c.SweepRunning = 1.0f;
    const std::size_t shown = BoxesShown();
    MainWindowClosing(c);
    EXPECT_EQ(BoxesShown(), shown);
    EXPECT_EQ(c.SweepRunning, 0.0f);
    EXPECT_EQ(t.shell.ended, 1);
}

TEST_F(StartUpExitTest, HoldingAddsOnlyTheRunningSegment) {
    StartUp(c);
    c.SweepRunning = 1.0f;
    c.SegmentStartTime = t.clock.MonotonicSeconds();
    t.clock.AdvanceMs(30'000);
    HoldSweep(c);
    EXPECT_DOUBLE_EQ(c.ElapsedSeconds, 30.0);
    t.clock.AdvanceMs(10'000);
    HoldSweep(c); // already held: nothing more to count
    EXPECT_DOUBLE_EQ(c.ElapsedSeconds, 30.0);
}

} // namespace
