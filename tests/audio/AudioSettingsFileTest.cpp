// The interface's settings file, and what the interface makes of refused settings,
// without an audio server.
#include "hardware/jack/AudioSettingsFile.h"
#include "core/Defaults.h"
#include "hardware/BoardLayer.h"
#include "hardware/jack/AudioInterface.h"
#include "support/TestController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

std::string ReadError(const std::string& text) {
    try {
        ReadAudioSettings(text, {});
    } catch (const AudioSettingsError& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(AudioSettingsFile, BadLineIsRefusedNamingItsNumberAndFault) {
    struct Case {
        std::string text;
        const char* message;
    } const cases[] = {
        {"drive-port\n", "line 1: 'drive-port' takes a port"},
        {"# c\n\ninput-port 17 system:capture_1\n", "line 3: a channel is a number from 1 to 16, not '17'"},
        {"input-port 2.5 x:y\n", "line 1: a channel is a whole number, not '2.5'"},
        {"output-full-scale-v nan\n",
         "line 1: the output's full scale in volts is a number from 0.01 to 100, not 'nan'"},
        {"output-full-scale-v 1e3\n",
         "line 1: the output's full scale in volts is a number from 0.01 to 100, not '1e3'"},
        {"input-full-scale-v 3 0\n", "line 1: an input's full scale in volts is a number from 0.01 to 100, not '0'"},
        {"safety-limit-v 0\n", "line 1: the safety limit is above 0 V"},
        {"output-full-scale-v 2\nsafety-limit-v 2.5\n",
         "line 2: the safety limit 2.5 V is above the output's full scale 2 V"},
        {"safety-limit-v 0.5\r\noutput-full-scale-v 0.25\r\n",
         "line 2: the safety limit 0.5 V is above the output's full scale 0.25 V"},
        {"drive-port a:b\ndrive-port c:d\n", "line 2: 'drive-port' is given twice"},
        {"input-full-scale-v 3 2\ninput-full-scale-v 3.0 2\n", "line 2: 'input-full-scale-v 3' is given twice"},
        {"loopback-input 0\n", "line 1: a channel is a number from 1 to 16, not '0'"},
        {"correction 1 10 1 0\ncorrection 1 10 1 0\n", "line 2: the correction rows of input 1 ascend in frequency"},
        {"correction 1 10 0 0\n", "line 1: a gain is a number from 1e-06 to 1e+06, not '0'"},
        {"correction 1 10 inf 0\n", "line 1: a gain is a number from 1e-06 to 1e+06, not 'inf'"},
        {"correction 1 10 1 400\n", "line 1: a phase in degrees is a number from -360 to 360, not '400'"},
        {"correction 1 10 1\n", "line 1: 'correction' takes a channel, a frequency, a gain and a phase"},
        {"volume 3\n", "line 1: no setting 'volume'"},
        {"drive-port " + std::string(257, 'p') + "\n", "line 1: a port's name has at most 256 characters"},
    };
    for (const Case& k : cases) EXPECT_EQ(ReadError(k.text), std::string("ZEK8Audio.txt ") + k.message) << k.text;
}

// Every setting written and read back exactly, the client's names kept from the base;
// ports left empty and correction rows of other inputs stay as they were.
TEST(AudioSettingsFile, WrittenSettingsReadBackExactly) {
    AudioInterfaceSettings settings;
    settings.drivePort = "system:playback_1";
    settings.inputPorts[0] = "system:capture_1";
    settings.inputPorts[15] = "bench:ch16";
    settings.outputFullScaleVolts = 2.5;
    settings.inputFullScaleVolts[3] = 0.1;
    settings.safetyLimitVolts = 0.3;
    settings.loopbackInput = 4;
    settings.inputCorrection[3] = {{2.0, 0.515, 75.963}, {10000.0, 0.9999, -1.0 / 3.0}};
    settings.inputCorrection[9] = {{5.0, 1.25e-3, 0.0}};
    AudioInterfaceSettings base;
    base.clientName = "rig";
    base.serverName = "lab";
    const AudioInterfaceSettings read = ReadAudioSettings(AudioSettingsText(settings), base);
    settings.clientName = "rig";
    settings.serverName = "lab";
    EXPECT_EQ(read, settings);
    EXPECT_EQ(AudioSettingsText(read), AudioSettingsText(settings));
    // Without a limit line the limit is the output's full scale.
    EXPECT_EQ(ReadAudioSettings("output-full-scale-v 4\n", {}).safetyLimitVolts, 4.0);
}

// A missing file leaves the defaults and no fault; a bad one names its line, and the
// interface then opens no board, saying why in start-up's box.
TEST(AudioSettingsFile, RefusedFileKeepsTheInterfaceShutAndSaysWhy) {
    const auto folder = std::filesystem::path(::testing::TempDir()) / "zek8-audio-settings";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / AudioSettingsFileName).string();
    std::filesystem::remove(path);
    const LoadedAudioSettings missing = LoadAudioSettingsFile(path, {});
    EXPECT_EQ(missing.fault, "");
    EXPECT_EQ(missing.settings, AudioInterfaceSettings{});

    std::ofstream(path) << "output-full-scale-v 2\nsafety-limit-v x\n";
    const LoadedAudioSettings bad = LoadAudioSettingsFile(path, {});
    EXPECT_EQ(bad.fault, "ZEK8Audio.txt line 2: the safety limit in volts is a number from 0 to 100, not 'x'");

    TestController t;
    Controller& c = t.c;
    SetDefaults(c);
    AudioInterface audio(t.clock, bad.settings);
    audio.RefuseSettings(bad.fault);
    c.ports.usbDaq = &audio;
    c.P[Param::AcquisitionInterface] = 2.0f;
    InitialiseHardware(c);
    EXPECT_EQ(c.DemoMode, 1.0f);
    EXPECT_EQ(audio.Client(), nullptr);
    ASSERT_FALSE(t.dialogs.History().empty());
    EXPECT_EQ(t.dialogs.History().back().text, " " + bad.fault +
                                                   "\nThe USB interface drives nothing until its settings are mended "
                                                   "(System / USB Interface Setup...).");
}

// With the servo on, nothing may raise the drive's ceiling: a higher limit or a lower
// output full scale. Everything else is taken at once.
TEST(AudioSettingsFile, ServoOnRefusesOnlyAHigherCeiling) {
    struct Case {
        bool servoOn;
        double outputFullScaleVolts, safetyLimitVolts;
        bool refused;
    } const cases[] = {{true, 2.0, 0.5, false},
                       {true, 2.0, 0.75, true},
                       {true, 1.0, 0.5, true},
                       {true, 4.0, 1.0, false},
                       {false, 1.0, 1.0, false}};
    AudioInterfaceSettings now;
    now.outputFullScaleVolts = 2.0;
    now.safetyLimitVolts = 0.5;
    TestController t;
    const AudioInterface audio(t.clock, now);
    for (const Case& k : cases) {
        AudioInterfaceSettings next = now;
        next.outputFullScaleVolts = k.outputFullScaleVolts;
        next.safetyLimitVolts = k.safetyLimitVolts;
        EXPECT_EQ(audio.RefusalOf(next, k.servoOn).has_value(), k.refused)
            << k.servoOn << " " << k.outputFullScaleVolts << " " << k.safetyLimitVolts;
    }
}
