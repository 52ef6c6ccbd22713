// The audio interface on a private audio server with the dummy driver: the drive
// cabled straight back to in1 by the server, and a probe client recording the drive.
#include "hardware/jack/AudioInterface.h"
#include "core/Defaults.h"
#include "core/FileErrors.h"
#include "engine/DriveLaw.h"
#include "engine/StatusPanel.h"
#include "files/ProfileFile.h"
#include "hardware/BoardLayer.h"
#include "hardware/ConditioningUnit.h"
#include "hardware/SimBenchRig.h"
#include "hardware/jack/AudioSettingsFile.h"
#include "hardware/jack/InputCalibration.h"
#include "runner/HeadlessRun.h"
#include "support/JackProbe.h"
#include "support/JackServer.h"
#include "support/TestController.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;
using AudioRig = BoardsRig<SystemClock, AudioInterface>;
constexpr double Rate = 48000.0;

// A private server: started by the test, stopped by process id at its end.
class AudioInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        jackd_ = std::make_unique<PrivateJackServer>(std::filesystem::path(::testing::TempDir()));
        ASSERT_EQ(jackd_->Error(), "");
        probe_ = std::make_unique<Probe>(jackd_->Name());
        ASSERT_TRUE(probe_->Ready()) << "no private audio server";
    }
    void TearDown() override {
        probe_.reset();
        jackd_.reset();
    }
    AudioInterfaceSettings Settings() const {
        AudioInterfaceSettings settings;
        settings.serverName = jackd_->Name();
        return settings;
    }
    // The interface with its master board scanning at gain code 1, the drive cabled back
    // to in1 and to the probe.
    std::unique_ptr<AudioRig> Bring(const AudioInterfaceSettings& settings) {
        auto rig = std::make_unique<AudioRig>(settings);
        EXPECT_EQ(rig->Bring("DaqBoard1K0", {1, 1, 1, 1, 1, 1, 1, 1}), AudioInterface::MasterHandle);
        const JackClient* client = rig->bench.Client();
        if (client == nullptr) return rig; // the test fails at its first read
        EXPECT_TRUE(probe_->Connect(client->PortName("drive"), client->PortName("in1")));
        EXPECT_TRUE(probe_->Connect(client->PortName("drive"), "probe:in"));
        return rig;
    }

    std::unique_ptr<PrivateJackServer> jackd_;
    std::unique_ptr<Probe> probe_;
};

// Every step of the drive between two samples, at most 1 % of full scale.
void ExpectNoStep(const std::vector<float>& drive) {
    for (std::size_t n = 1; n < drive.size(); ++n) ASSERT_LE(std::abs(drive[n] - drive[n - 1]), 0.01) << n;
}

} // namespace

// Drive word 2000 of 4000 is half the output's full scale. Cabled back to in1, whose
// full scale is 1 V, that is 500 mV peak; at gain code 1 (x2) the boards give 13.108 x 2
// counts a millivolt: 13108 counts peak. The safety limit of 0.25 V holds the drive at
// 250 mV: 6554 counts.
TEST_F(AudioInterfaceTest, DriveWordComesBackAtIn1AsWorkedFromTheFullScales) {
    struct Case {
        double safetyLimitVolts;
        double expectedCounts;
    } const cases[] = {{1.0, 13108.0}, {0.25, 6554.0}};
    for (const Case& k : cases) {
        AudioInterfaceSettings settings = Settings();
        settings.safetyLimitVolts = k.safetyLimitVolts;
        const auto rig = Bring(settings);
        rig->Drive(40.0, 0); // the frequency first, so the sine already turns
        std::this_thread::sleep_for(100ms);
        rig->Read(AudioInterface::MasterHandle);
        const auto wordAt = std::chrono::steady_clock::now();
        rig->Drive(40.0, 2000);
        // The drive's latency: from the word to the first scan at in1 above 0.75 % of the
        // input's full scale, read through the boards.
        double latencyMs = -1.0;
        while (latencyMs < 0.0 && std::chrono::steady_clock::now() - wordAt < 1s) {
            std::this_thread::sleep_for(2ms);
            const auto readAt = std::chrono::steady_clock::now();
            const int scans = rig->Read(AudioInterface::MasterHandle);
            const std::vector<double> in1 = rig->Channel(1, 0, scans);
            for (std::size_t n = 0; n < in1.size() && latencyMs < 0.0; ++n)
                if (std::abs(in1[n]) > 200.0)
                    latencyMs = std::chrono::duration<double, std::milli>(readAt - wordAt).count() -
                                static_cast<double>(in1.size() - n) / 10.24;
        }
        std::printf("drive latency, word to in1: %.1f ms\n", latencyMs);
        EXPECT_GT(latencyMs, 0.0);
        // Some 25 ms on an idle machine (two periods of margin, one of output, the
        // resampler); a block reading from anywhere in the history would be far later.
        EXPECT_LT(latencyMs, 150.0);
        std::this_thread::sleep_for(200ms);
        ASSERT_EQ(rig->Read(AudioInterface::MasterHandle), 1024);
        EXPECT_NEAR(SineAmplitude(rig->Channel(1, 0, 1024), 40.0), k.expectedCounts, k.expectedCounts * 0.01);
    }
}

// From 20 Hz at half drive to 30 Hz at 0.6: a sine of 30 Hz at 0.6 moves at most
// 2 pi 30 / 48000 x 0.6 = 0.0024 of full scale a sample, and bends by at most
// (2 pi 30 / 48000)^2 = 1.5e-5, and by 0.1 / 480 = 2.1e-4 where the 10 ms ramp of its
// amplitude starts; a jump of phase of 1 mrad or more bends it further.
TEST_F(AudioInterfaceTest, NewFrequencyAndLevelMakeNoStepNorJumpOfPhase) {
    const auto rig = Bring(Settings());
    rig->Drive(20.0, 2000);
    std::this_thread::sleep_for(150ms);
    probe_->Take();
    rig->Drive(30.0, 2400);
    std::this_thread::sleep_for(150ms);
    const std::vector<float> drive = probe_->Take();
    ASSERT_GT(drive.size(), 4800U);
    ExpectNoStep(drive);
    for (std::size_t n = 2; n < drive.size(); ++n)
        ASSERT_LE(std::abs(drive[n] - 2.0f * drive[n - 1] + drive[n - 2]), 5e-4) << "sample " << n;
}

// Full drive at 20 Hz, then stopped by a drive word of 0, or by closing the interface:
// silence within 50 ms of the stop, along a ramp.
TEST_F(AudioInterfaceTest, StopTakesTheDriveToZeroWithin50Ms) {
    for (const bool byClosing : {false, true}) {
        auto rig = Bring(Settings());
        rig->Drive(20.0, 4000);
        std::this_thread::sleep_for(150ms);
        probe_->Take();
        std::this_thread::sleep_for(50ms);
        const std::size_t stopAt = probe_->Recorded(); // the stop is no earlier than this sample
        if (byClosing)
            rig.reset();
        else
            rig->PortA(AudioInterface::MasterHandle, DriveFrameWrites(0, 0));
        std::this_thread::sleep_for(150ms);
        const std::vector<float> drive = probe_->Take();
        std::size_t lastSound = 0;
        for (std::size_t n = 0; n < drive.size(); ++n)
            if (drive[n] != 0.0f) lastSound = n;
        EXPECT_LE(static_cast<double>(lastSound - stopAt) / Rate, 0.050) << (byClosing ? "closing" : "word 0");
        EXPECT_GT(drive.size(), lastSound + 960) << "the drive is silent at the end";
        ExpectNoStep(drive);
    }
}

// Through the board layer: the server stopping under a running servo ends it, with the
// server's going named, the drive played no more, and the program not held. (The server
// is stopped, not killed: a killed server stays in the audio server's registry of this
// user, which holds eight.) Back, first stopped so that it does not answer, then
// running: the cycle is never held while the interface opens its client again, the
// panel tells the return, the servo stays off, and Servo On drives again.
TEST_F(AudioInterfaceTest, ServerStoppedMidRunStopsTheServoAndReconnectsWhenBack) {
    TestController t;
    Controller& c = t.c;
    SetDefaults(c);
    AudioInterface audio(t.clock, Settings());
    c.ports.usbDaq = &audio;
    c.ports.usbStream = &audio;
    c.P[Param::AcquisitionInterface] = 2.0f;
    InitialiseHardware(c);
    ASSERT_EQ(c.DemoMode, 0.0f);
    c.ServoOn = 1.0f;
    c.DriveOutput = 0.5f;
    SendDrive(c);
    ASSERT_TRUE(t.dialogs.History().empty());
    RefreshStatusPanel(c);
    EXPECT_EQ(c.Indicators.Item("lblAudio").text, " XRUNS: " + std::to_string(audio.Xruns()));
    probe_.reset();
    jackd_->Stop();
    for (int i = 0; i < 300 && !audio.StreamLost(); ++i) std::this_thread::sleep_for(10ms);
    const auto before = std::chrono::steady_clock::now();
    SendDrive(c);
    EXPECT_EQ(c.ServoOn, 0.0f);
    ASSERT_FALSE(t.dialogs.History().empty());
    EXPECT_EQ(t.dialogs.History().back().text, "DaqX Error : 1101\nThe audio server has gone away: the drive is off");
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    RefreshStatusPanel(c);
    EXPECT_EQ(c.Indicators.Item("lblAudio").text, " AUDIO SERVER GONE");

    // A cycle's block read, timed.
    auto longestRead = std::chrono::steady_clock::duration::zero();
    const auto cycle = [&] {
        const auto start = std::chrono::steady_clock::now();
        ReadAdcBlock(c);
        longestRead = std::max(longestRead, std::chrono::steady_clock::now() - start);
        std::this_thread::sleep_for(20ms);
        return !audio.StreamLost();
    };
    jackd_->Start();
    ASSERT_EQ(jackd_->Error(), "");
    jackd_->Signal(SIGSTOP);
    EXPECT_FALSE(WaitUntil(cycle, 2500ms)) << "a stopped server cannot take a client";
    jackd_->Signal(SIGCONT);
    ASSERT_TRUE(WaitUntil(cycle, 10s));
    EXPECT_LT(longestRead, 100ms);
    EXPECT_EQ(audio.Reconnects(), 1);
    RefreshStatusPanel(c);
    EXPECT_EQ(c.Indicators.Item("lblAudio").text, " XRUNS: " + std::to_string(audio.Xruns()) + "  RECONNECTED: 1");
    ASSERT_NE(audio.Client(), nullptr);
    EXPECT_EQ(audio.Client()->Inputs(), 8);
    // A new frequency with the servo still off plays nothing, though the unit last
    // latched half drive; Servo On's first word of 0 lets the drive go again.
    c.CurrentFrequency = 60.0f;
    SendFrequencyWord(c);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(c.ServoOn, 0.0f);
    EXPECT_EQ(audio.Client()->DriveAmplitude(), 0.0);
    c.ServoOn = 1.0f;
    c.DriveOutput = 0.0001f;
    SendDrive(c);
    c.DriveOutput = 0.5f;
    SendDrive(c);
    EXPECT_TRUE(WaitUntil([&] { return audio.Client()->DriveAmplitude() > 0.4; }, 1s));
    EXPECT_EQ(c.ServoOn, 1.0f);
}

// The ports the settings name are connected when the client opens, and anew when new
// settings are applied; one that is not there is named and the others still connected.
// A lowered safety limit holds the drive at once: 0.2 V of a 1 V full scale.
TEST_F(AudioInterfaceTest, SettingsConnectPortsAtOpenAndApplyAtOnce) {
    AudioInterfaceSettings settings = Settings();
    settings.drivePort = "probe:in";
    settings.inputPorts[1] = "nobody:out";
    AudioRig rig(settings);
    ASSERT_EQ(rig.Bring("DaqBoard1K0", {1, 1, 1, 1, 1, 1, 1, 1}), AudioInterface::MasterHandle);
    const std::string drive = rig.bench.Client()->PortName("drive");
    EXPECT_EQ(probe_->Sources(), std::vector<std::string>{drive});
    EXPECT_EQ(rig.bench.ConnectionFaults(),
              std::vector<std::string>{"cannot connect " + rig.bench.Client()->PortName("in2") +
                                       ": the audio server has no port nobody:out"});
    rig.Drive(40.0, 4000);
    std::this_thread::sleep_for(100ms);
    settings.safetyLimitVolts = 0.2;
    rig.bench.Apply(settings);
    std::this_thread::sleep_for(100ms);
    probe_->Take();
    std::this_thread::sleep_for(100ms);
    const std::vector<float> held = probe_->Take();
    ASSERT_GT(held.size(), 2400U);
    EXPECT_NEAR(*std::max_element(held.begin(), held.end()), 0.2, 0.002);

    settings.drivePort.clear();
    rig.bench.Apply(settings);
    EXPECT_TRUE(probe_->Sources().empty());
}

// zek8-run on the interface reads ZEK8Audio.txt of its working folder: the drive is
// connected to the port the file names while the run goes on; a bad file connects
// nothing, opens no board and is the run's error.
TEST_F(AudioInterfaceTest, RunnerTakesTheSettingsFileOfItsWorkingFolder) {
    struct Case {
        const char* file;
        std::vector<ScriptAction> script;
        bool connected;
        std::vector<std::string> errors;
        const char* fileHolds; // a line of ZEK8Audio.txt at the end
    } const cases[] = {
        {"drive-port probe:in\n", {}, true, {}, "drive-port probe:in\n"},
        {"drive-port probe:in\nsafety-limit-v -1\n",
         {},
         false,
         {"ZEK8Audio.txt line 2: the safety limit in volts is a number from 0 to 100, not '-1'"},
         "safety-limit-v -1\n"},
        // Set by the script's audio actions, and saved.
        {"", {{0.0, "audio", {"drive-port", "probe:in"}}, {0.0, "audio", {"save"}}}, true, {}, "drive-port probe:in\n"},
    };
    const auto folder = std::filesystem::path(::testing::TempDir()) / ("zek8-audio-run-" + jackd_->Name());
    std::filesystem::create_directories(folder);
    ProfileSetUp profile;
    ReadProfile(ReadDataFile(ZEK8_SOURCE_DIR "/examples/default-sweep/ZEKFileS.000"), false, profile);
    profile.P[Param::AcquisitionInterface] = 2.0f;
    ReplaceTextFile((folder / "ZEKFileS.000").string(), WriteProfile(profile));
    for (const Case& k : cases) {
        std::ofstream(folder / AudioSettingsFileName) << k.file;
        RunOptions options;
        options.workdir = folder.string();
        options.audio = Settings();
        options.script = k.script;
        options.until = RunOptions::Until::Seconds;
        options.untilSeconds = 0.3;
        bool connected = false;
        options.stopRequested = [&] {
            connected = connected || !probe_->Sources().empty();
            return false;
        };
        const RunSummary summary = RunHeadless(options);
        EXPECT_EQ(connected, k.connected) << k.file;
        EXPECT_EQ(summary.errors, k.errors) << k.file;
        EXPECT_NE(ReadDataFile((folder / AudioSettingsFileName).string()).find(k.fileHolds), std::string::npos);
    }
}

// The inputs' calibration starts only on an interface with its servo off and its
// loop-back input registered. Started, it plays a tenth of full scale (the limit is
// higher), held while the program is slow to advance it; cancelled, or ended by Servo On, the drive falls to 0 within
// 50 ms along the ramp, and no correction is stored.
TEST_F(AudioInterfaceTest, CalibrationStartsOnlyWhenSafeAndLeavesSilenceWhenStopped) {
    const auto rig = Bring(Settings());
    AudioInterface& audio = rig->bench;
    InputCalibration calibration;
    EXPECT_EQ(calibration.Start(&audio, true), "turn the servo off first: the calibration plays a drive of its own");
    audio.SetLoopbackInput(9);
    EXPECT_EQ(calibration.Start(&audio, false),
              "the loop-back input in9 is not registered (the interface has 8 inputs)");
    audio.SetLoopbackInput(1);
    for (const bool byServoOn : {false, true}) {
        ASSERT_EQ(calibration.Start(&audio, false), std::nullopt);
        for (int i = 0; i < 30; ++i) {
            calibration.Advance(false);
            std::this_thread::sleep_for(10ms);
        }
        probe_->Take();
        std::this_thread::sleep_for(550ms); // a whole cycle of the first step, 2 Hz
        const std::vector<float> playing = probe_->Take();
        EXPECT_NEAR(*std::max_element(playing.begin(), playing.end()), 0.1, 0.001);
        const std::size_t stopAt = probe_->Recorded();
        if (byServoOn) {
            calibration.Advance(true);
        } else {
            calibration.Cancel();
        }
        std::this_thread::sleep_for(150ms);
        const std::vector<float> drive = probe_->Take();
        std::size_t lastSound = 0;
        for (std::size_t n = 0; n < drive.size(); ++n)
            if (drive[n] != 0.0f) lastSound = n;
        EXPECT_LE(static_cast<double>(lastSound - stopAt) / Rate, 0.050);
        ExpectNoStep(drive);
        EXPECT_EQ(calibration.Message(),
                  byServoOn ? "Servo On ended the calibration" : "the calibration was cancelled");
        EXPECT_TRUE(audio.Settings().inputCorrection[0].empty());
    }
}
