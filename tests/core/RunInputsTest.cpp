#include "core/RunInputs.h"
#include "core/Defaults.h"
#include "core/RunCommands.h"
#include "hardware/BoardLayer.h"
#include "support/FakeBoard.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Port C bits, pulled low while the button is down.
constexpr int ServoOnButton = 1, StopButton = 2, RunButton = 4, HoldButton = 8;

struct Bench {
    TestController t;
    Controller& c = t.c;
    FakeBoard board{c};

    Bench() {
        SetDefaults(c);
        c.ports.daq = &board;
        InitialiseHardware(c);
        c.DemoMode = 0.0f;
    }
    // One cycle's poll with these buttons down.
    void Poll(int down) {
        board.portC = 15 & ~down;
        PollRunInputs(c);
    }
};

using Command = void (*)(Controller&);

TEST(RunInputs, StopAndHoldActWhileHeldServoOnAndRunOncePerPress) {
    struct Case {
        const char* what;
        int first;         // buttons down at the first poll
        Command meanwhile; // what the window does before the second poll
        int second;        // buttons down at the second and third poll
        float servo, sweep, started;
    };
    const Command startAndRun = [](Controller& c) {
        StartServo(c);
        RunSweep(c);
    };
    const Case cases[] = {
        {"Stop held, the window starts servo and sweep", StopButton, startAndRun, StopButton, 0, 0, 0},
        {"Stop held, the window starts and stops the servo", StopButton,
         [](Controller& c) {
             StartServo(c);
             StopServo(c);
         },
         StopButton, 0, 0, 0},
        {"Stop held, Servo On pressed too", StopButton, nullptr, StopButton | ServoOnButton, 0, 0, 0},
        {"Stop held, Sweep Run pressed too", StopButton, nullptr, StopButton | RunButton, 0, 0, 0},
        {"Hold held, the window runs the sweep", HoldButton, startAndRun, HoldButton, 1, 0, 1},
        {"Hold held, Sweep Run pressed too", HoldButton, nullptr, HoldButton | RunButton, 0, 0, 0},
        {"Servo On held, the window switches the servo off", ServoOnButton, StopServo, ServoOnButton, 0, 0, 1},
        {"Sweep Run held, the window holds the sweep", RunButton, HoldSweep, RunButton, 0, 0, 0},
    };
    for (const Case& k : cases) {
        Bench b;
        b.Poll(k.first);
        if (k.meanwhile) k.meanwhile(b.c);
        for (int poll = 0; poll < 2; ++poll) {
            b.Poll(k.second);
            EXPECT_EQ(b.c.ServoOn, k.servo) << k.what;
            EXPECT_EQ(b.c.SweepRunning, k.sweep) << k.what;
            EXPECT_EQ(b.c.TestStarted, k.started) << k.what;
        }
    }
}

TEST(RunInputs, AHeldStopOrHoldWritesARecordOnlyWhenItChangesSomething) {
    Bench b;
    const auto folder = std::filesystem::temp_directory_path() / "zek8-run-inputs";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto file = folder / "ZEKControl.dat";
    b.c.RemoteControlPath = file.string();
    const auto written = [&file] {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::filesystem::remove(file);
        return text.str();
    };

    b.Poll(StopButton);
    EXPECT_EQ(written(), "4\r\n") << "a press always acts";
    b.Poll(StopButton);
    b.Poll(StopButton);
    EXPECT_FALSE(std::filesystem::exists(file)) << "already stopped";
    StartServo(b.c);
    EXPECT_EQ(written(), "1\r\n");
    b.Poll(StopButton);
    EXPECT_EQ(written(), "4\r\n") << "Stop, then Hold within it";

    b.Poll(0);
    RunSweep(b.c);
    b.Poll(HoldButton);
    EXPECT_EQ(written(), "4\r\n");
    b.Poll(HoldButton);
    EXPECT_FALSE(std::filesystem::exists(file)) << "already held";
    std::filesystem::remove_all(folder);
}

} // namespace
