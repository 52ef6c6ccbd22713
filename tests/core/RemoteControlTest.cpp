#include "core/RemoteControl.h"
#include "core/Commands.h"
#include "core/ControlCycle.h"
#include "core/Defaults.h"
#include "core/FileErrors.h"
#include "core/NumberText.h"
#include "core/RunCommands.h"
#include "support/NamedPipe.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

// The controller in demo mode with remote control on, and the outside program's
// side of the file.
struct RemoteControlTest : ::testing::Test {
    TestController t;
    Controller& c = t.c;
    std::filesystem::path folder;

    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("zek8-remote-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        SetDefaults(c);
        c.DemoMode = 1.0f;
        c.P[30] = 1.0f;
        c.RemoteControlPath = (folder / "ZEKControl.dat").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // As the outside program writes: a new file each time.
    void Write(const std::string& content) {
        const auto temporary = folder / "outside.tmp";
        std::ofstream(temporary, std::ios::binary) << content;
        std::filesystem::rename(temporary, c.RemoteControlPath);
    }
    std::string Read() const {
        std::ifstream in(c.RemoteControlPath, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(RemoteControlTest, CommandActsOnceAndThePublisherReplacesTheAcknowledgement) {
    Write("3\r\n");
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(c.SweepRunning, 1.0f);
    EXPECT_EQ(Read(), "3\r\n");
    HoldSweep(c);
    EXPECT_EQ(Read(), "4\r\n");
    ExchangeRemoteControlFile(c); // the controller's own record
    EXPECT_EQ(c.SweepRunning, 0.0f);

    Write("3\r\n"); // the same text again, written by the outside program: it acts
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(c.SweepRunning, 1.0f);
}

TEST_F(RemoteControlTest, AcknowledgementEchoesAndReportsTheOverridesOneExchangeLate) {
    c.CurrentFrequency = 100.0f;
    c.ControlResponse = 0.5f;
    Write("48\r\n\"\"\r\n2.5\r\n250\r\n");
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(Read(), "0\r\n\"\"\r\n2.5\r\n250\r\n.5\r\n100\r\n");
    EXPECT_EQ(c.RemoteDriveOverride, 1.0f);
    EXPECT_EQ(c.RemoteFrequencyOverride, 1.0f);
    EXPECT_EQ(c.ServoOn, 0.0f) << "48 commands nothing";

    Write("19\r\n\"\"\r\n2.5\r\n250\r\n");
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(c.SweepRunning, 1.0f);
    EXPECT_EQ(c.RemoteDriveOverride, 1.0f);
    EXPECT_EQ(c.RemoteFrequencyOverride, 0.0f);
    HoldSweep(c);

    Write("0\r\n");
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(Read().substr(0, 4), "16\r\n");
}

TEST_F(RemoteControlTest, KeysAndLimitsOfTheRecord) {
    Write("0\r\n\"r\"\r\n");
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(c.SweepRunning, 1.0f) << "the key r runs the sweep";

    Write("0\r\n\"\"\r\n1\r\n1E+05\r\n");
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(c.RemoteFrequency, 5110.0f) << "held where the responses can be measured";
    Write("0\r\n\"\"\r\n1\r\n0\r\n");
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(c.RemoteFrequency, 1.0f);

    Write("70000\r\n"); // beyond a 16-bit word: no command, no override
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(c.RemoteDriveOverride, 0.0f);

    const std::string unreadable = "abc\r\n";
    Write(unreadable);
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(Read(), unreadable) << "an unreadable record ends the exchange at once";

    Write("1\r\n\"\"\r\nnan\r\n");
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(c.ServoOn, 0.0f);
}

TEST_F(RemoteControlTest, MissingFileOrFolderChangesNothingSilently) {
    ExchangeRemoteControlFile(c);
    EXPECT_FALSE(std::filesystem::exists(c.RemoteControlPath));
    c.RemoteControlPath = (folder / "absent" / "ZEKControl.dat").string();
    StartServo(c);
    EXPECT_EQ(c.ServoOn, 1.0f);
    EXPECT_TRUE(t.dialogs.History().empty());
}

TEST_F(RemoteControlTest, NamedPipeInTheFilesPlaceIsPassedOverAtOnce) {
    StartServo(c);
    std::filesystem::remove(c.RemoteControlPath);
    const NamedPipe pipe(c.RemoteControlPath);
    ExchangeRemoteControlFile(c);
    EXPECT_FALSE(pipe.HeldAReader()) << "the cycle waited for a writer";
    EXPECT_EQ(c.ServoOn, 1.0f);
}

// The controller may write the file but not its folder: every replacement of the
// file fails, and the outside record stays where it is.
TEST_F(RemoteControlTest, RecordActsOnceWhenItCannotBeReplaced) {
    // The replacement goes through a temporary file beside the target; a folder in its
    // place makes every write fail, even for a user the permissions do not stop.
    const auto blocker = std::filesystem::path(TemporaryPathFor(c.RemoteControlPath));
    std::filesystem::create_directory(blocker);

    Write("2\r\n"); // a Stop
    ExchangeRemoteControlFile(c);
    StartServo(c); // the operator's Servo On, whose record cannot be written either
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(c.ServoOn, 1.0f) << "the stale Stop acted again";
    EXPECT_TRUE(t.dialogs.History().empty()) << "no box holds the cycle";
    const PanelItem told = c.Indicators.Item("lblRemote");
    EXPECT_TRUE(told.visible);
    EXPECT_NE(told.text.find("REMOTE FILE"), std::string::npos) << told.text;
    StopTest(c);
    EXPECT_EQ(c.Indicators.Item("lblRemote").text, told.text);
    EXPECT_TRUE(t.dialogs.History().empty());

    Write("1\r\n"); // a Servo On: acted on once, the drive then left to the loop
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(c.ServoOn, 1.0f);
    c.DriveOutput = 0.3f;
    ExchangeRemoteControlFile(c);
    EXPECT_EQ(c.DriveOutput, 0.3f) << "the stale Servo On restarted the drive";

    std::filesystem::remove(blocker);
    HoldSweep(c);
    EXPECT_EQ(Read(), "4\r\n");
    EXPECT_FALSE(c.Indicators.Item("lblRemote").visible) << "a write that succeeds ends the report";
}

// The default profile peaks at 20 G (its A rows); the system limit P[21] is 100 G, or
// 15 G where a case lowers it. An imposed level is a reference in G peak.
TEST_F(RemoteControlTest, ImposedLevelWithinTheSystemLimitAndTheProfilesPeak) {
    struct Case {
        float units; // P[22]
        float limit; // P[21], in the units in force
        const char* level;
        bool taken;
    };
    const Case cases[] = {
        {0, 100, "20", true},      {0, 100, "20.01", false},  {0, 100, "1000", false},
        {0, 100, "0", false},      {0, 100, "-1", false},     {0, 15, "15", true},
        {0, 15, "15.01", false},   {1, 147.1f, "14.9", true}, // 147.1 m/s2 is 14.9995 G
        {1, 147.1f, "100", false},                            // below 147.1, but 100 G
    };
    for (const Case& k : cases) {
        const std::string name = "units " + std::to_string(static_cast<int>(k.units)) + ", level " + k.level;
        SetDefaults(c);
        c.DemoMode = 1.0f;
        c.P[22] = k.units;
        c.P[21] = k.limit;
        StartServo(c);
        c.RemoteDriveOverride = 0.0f;
        const std::string record = "19\r\n\"\"\r\n" + std::string(k.level) + "\r\n100\r\n";
        Write(record);
        ExchangeRemoteControlFile(c);
        EXPECT_EQ(Read() == record, !k.taken) << name << ": a refused record is not acknowledged";
        EXPECT_EQ(c.RemoteDriveOverride, k.taken ? 1.0f : 0.0f) << name;
        EXPECT_EQ(c.SweepRunning, k.taken ? 1.0f : 0.0f) << name << ": a refused record commands nothing";
        ControlCycle(c);
        if (k.taken) {
            EXPECT_EQ(c.ReferenceLevel, *ParseNumber(k.level)) << name;
        }
        StopTest(c);
    }
}

TEST_F(RemoteControlTest, ImposedFrequencyWithinTheTestsLimits) {
    // Lower and upper limit of the default test: 5 and 5000 Hz.
    const std::pair<const char*, float> cases[] = {{"1e38", 5000.0f}, {"100", 100.0f}, {"0", 5.0f}, {"4", 5.0f}};
    for (const auto& [imposed, expected] : cases) {
        Write("32\r\n\"\"\r\n1\r\n" + std::string(imposed) + "\r\n");
        ExchangeRemoteControlFile(c);
        ControlCycle(c);
        EXPECT_EQ(c.CurrentFrequency, expected) << imposed;
    }
}

TEST_F(RemoteControlTest, OverrideWhoseValueNeverCameIsNotInForce) {
    c.CurrentFrequency = 200.0f;
    StartServo(c);
    Write("48\r\n");
    ExchangeRemoteControlFile(c);
    ControlCycle(c);
    EXPECT_EQ(c.RemoteDriveOverride, 0.0f);
    EXPECT_EQ(c.RemoteFrequencyOverride, 0.0f);
    EXPECT_EQ(c.CurrentFrequency, 200.0f);
    Write("0\r\n\"\"\r\n2\r\n300\r\n"); // the values, no override yet
    ExchangeRemoteControlFile(c);
    Write("48\r\n"); // now they are known
    ExchangeRemoteControlFile(c);
    ControlCycle(c);
    EXPECT_EQ(c.CurrentFrequency, 300.0f);
    EXPECT_EQ(c.ReferenceLevel, 2.0f);
}

TEST_F(RemoteControlTest, HeldFrequencyNeitherCountsSweepsNorEndsTheTest) {
    StartServo(c);
    RunSweep(c);
    Write("32\r\n\"\"\r\n1\r\n1e38\r\n"); // held at the upper limit
    for (int cycle = 0; cycle < 200; ++cycle) {
        ControlCycle(c);
        t.clock.AdvanceMs(100);
    }
    EXPECT_EQ(c.CurrentFrequency, 5000.0f);
    EXPECT_EQ(c.SweepCounter, 1.0f) << "only the start at the lower limit counted";
    EXPECT_EQ(c.ServoOn, 1.0f);
    EXPECT_EQ(c.SweepRunning, 1.0f);
}

TEST_F(RemoteControlTest, MenuTogglesWriteTheirEntries) {
    c.Menu.SetChecked("mnuInputsDllControl", false);
    RunMenuCommand(c, "mnuInputsDllControl");
    EXPECT_EQ(c.P[30], 1.0f);
    RunMenuCommand(c, "mnuInputsDllControl");
    EXPECT_EQ(c.P[30], 0.0f);
    c.Menu.SetChecked("mnuInputsRemote", false);
    RunMenuCommand(c, "mnuInputsRemote");
    EXPECT_EQ(c.P[20], 2.0f);
    RunMenuCommand(c, "mnuInputsRemote");
    EXPECT_EQ(c.P[20], 1.0f);
}

// The outside program at work: between cycles it either writes a command, key or
// override, or reads the file back. Every read is one whole record of a kind it
// knows, and every command acts exactly once.
TEST_F(RemoteControlTest, OutsideProgramSeesWholeRecordsAndEachCommandActsOnce) {
    std::mt19937 random(8);
    int servoStarts = 0;
    int sweepStarts = 0;
    bool overrideSet = false;
    StopTest(c); // the controller's first record
    // The outside program writes its whole state each time: the command, the key and
    // the frequency override it wants to hold.
    const auto writeState = [&](int command, const std::string& key) {
        Write(std::to_string(command + (overrideSet ? 32 : 0)) + "\r\n\"" + key + "\"\r\n1\r\n123\r\n");
    };
    for (int round = 0; round < 400; ++round) {
        const int action = static_cast<int>(random() % 6);
        const bool overrideHeld = overrideSet; // an override set now acts from the next cycle
        if (action == 0) {
            writeState(1, "");
            ControlCycle(c);
            ++servoStarts;
            EXPECT_EQ(c.ServoOn, 1.0f);
            StopTest(c); // so the next Servo On is seen again
        } else if (action == 1) {
            writeState(0, "R");
            ControlCycle(c);
            ++sweepStarts;
            EXPECT_EQ(c.SweepRunning, 1.0f);
            HoldSweep(c);
        } else if (action == 2) {
            overrideSet = !overrideSet;
            writeState(0, "");
            ControlCycle(c);
        } else {
            const std::string record = Read();
            std::size_t lines = 0;
            for (std::size_t p = record.find("\r\n"); p != std::string::npos; p = record.find("\r\n", p + 2)) ++lines;
            ASSERT_TRUE(lines == 1 || lines == 2 || lines == 4 || lines == 6) << record;
            ASSERT_EQ(record.size() >= 2 ? record.substr(record.size() - 2) : "", "\r\n");
            const auto code = ParseNumber(record.substr(0, record.find("\r\n")));
            ASSERT_TRUE(code.has_value()) << record;
            ControlCycle(c);
            // A command or key acts only when written: these cycles start nothing.
            EXPECT_EQ(c.ServoOn, 0.0f);
            EXPECT_EQ(c.SweepRunning, 0.0f);
        }
        EXPECT_EQ(c.RemoteFrequencyOverride, overrideSet ? 1.0f : 0.0f);
        if (overrideHeld && overrideSet) {
            EXPECT_EQ(c.CurrentFrequency, 123.0f);
        }
    }
    EXPECT_GT(servoStarts, 0);
    EXPECT_GT(sweepStarts, 0);
}

} // namespace
