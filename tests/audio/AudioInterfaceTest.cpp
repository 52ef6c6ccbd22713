// The audio interface on a private audio server with the dummy driver: the drive
// cabled straight back to in1 by the server, and a probe client recording the drive.
#include "hardware/jack/AudioInterface.h"
#include "core/Defaults.h"
#include "engine/DriveLaw.h"
#include "hardware/BoardLayer.h"
#include "hardware/SimBenchRig.h"
#include "hardware/jack/InputCalibration.h"
#include "support/JackServer.h"
#include "support/TestController.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;
using AudioRig = BoardsRig<SystemClock, AudioInterface>;
constexpr double Rate = 48000.0;

// A client of the test's own with one input, `probe:in`, keeping every sample.
class Probe {
public:
    explicit Probe(const std::string& server) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (client_ == nullptr && std::chrono::steady_clock::now() < deadline) {
            client_ = jack_client_open("probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                       nullptr, server.c_str());
            if (client_ == nullptr) std::this_thread::sleep_for(50ms);
        }
        if (client_ == nullptr) return;
        in_ = jack_port_register(client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client_, &Probe::Process, this);
        jack_activate(client_);
    }
    ~Probe() { client_ != nullptr&& jack_client_close(client_); }
    bool Ready() const { return client_ != nullptr; }
    bool Connect(const std::string& from, const std::string& to) {
        return jack_connect(client_, from.c_str(), to.c_str()) == 0;
    }
    std::size_t Recorded() const { return ring_.ReadAvailable(); }
    std::vector<float> Take() {
        std::vector<float> samples(ring_.ReadAvailable());
        ring_.Read(samples);
        return samples;
    }

private:
    static int Process(jack_nframes_t frames, void* arg) {
        auto& self = *static_cast<Probe*>(arg);
        self.ring_.Write(std::span(static_cast<const float*>(jack_port_get_buffer(self.in_, frames)), frames));
        return 0;
    }
    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    SpscRing<float> ring_{1 << 20};
};

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
// user, which holds eight.)
TEST_F(AudioInterfaceTest, ServerStoppedMidRunStopsTheServoAndSaysWhy) {
    TestController t;
    Controller& c = t.c;
    SetDefaults(c);
    AudioInterface audio(t.clock, Settings());
    c.ports.usbDaq = &audio;
    c.P[Param::AcquisitionInterface] = 2.0f;
    InitialiseHardware(c);
    ASSERT_EQ(c.DemoMode, 0.0f);
    c.ServoOn = 1.0f;
    c.DriveOutput = 0.5f;
    SendDrive(c);
    ASSERT_TRUE(t.dialogs.History().empty());
    probe_.reset();
    jackd_->Stop();
    for (int i = 0; i < 300 && !audio.Client()->Gone(); ++i) std::this_thread::sleep_for(10ms);
    const auto before = std::chrono::steady_clock::now();
    SendDrive(c);
    EXPECT_EQ(c.ServoOn, 0.0f);
    ASSERT_FALSE(t.dialogs.History().empty());
    EXPECT_EQ(t.dialogs.History().back().text, "DaqX Error : 1101\nThe audio server has gone away: the drive is off");
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
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
