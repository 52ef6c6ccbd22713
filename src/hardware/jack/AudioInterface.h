#pragma once

#include "core/StreamHealth.h"
#include "hardware/BoardSignals.h"
#include "hardware/EmulatedBoards.h"
#include "hardware/jack/AudioInterfaceSettings.h"
#include "hardware/jack/ClientReopener.h"
#include "hardware/jack/InputCorrection.h"
#include "hardware/jack/JackClient.h"
#include "hardware/jack/SineMeter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Clock;
struct soxr;
struct AudioLibraries;

// The millivolts an input's sample (in units of the interface's full scale) stands for.
// A sample at or beyond full scale was clipped by the interface's converter: it is given
// beyond every range of the boards, so that they read it as their full-scale code, which
// is how the board layer knows an input overloaded.
double InputMillivolts(float sample, double millivoltsPerUnit);

// An audio interface behind the acquisition library: the emulated boards and
// signal-conditioning unit, with the audio server's client as what lies outside them.
// The master's words set the drive the client plays (full drive is the output's full
// scale, never above the safety limit); the inputs the client captures are resampled
// to the boards' scan rate and given to them as millivolts. The interface has no
// push-buttons, port B or current sources: the buttons read as not pressed. Each reading
// of an input is divided by the input's correction at the drive's frequency.
//
// The client is opened with the master board and given inputs as the boards are
// opened (in1..in8 with the master, in9..in16 with the slave); no server, and both
// boards are missing. Once the server has gone, every word and block read fails with
// ServerGone, which the board layer reports and which turns the servo off, until the
// client is open again: the interface tries once a second, off the control cycle, and
// opens the client back through the same path with the inputs it had. The drive then
// stays at 0 until the master has written a drive of 0.
//
// At every open the client's ports are connected to the server's ports the settings
// name. A port that cannot be connected is reported and the interface plays on: a drive
// connected to nothing is silent, and an input connected to nothing reads 0, which the
// loop's own open-loop abort catches at Servo On. Settings refused (a bad settings file)
// leave both boards missing until good settings are applied, so nothing is driven.
class AudioInterface final : private BoardSignals, public EmulatedBoards, public StreamHealth {
public:
    static constexpr int ServerGone = 1101;
    // What daqGetLastError gives for an open refused for the settings.
    static constexpr int SettingsRefused = 1102;

    AudioInterface(const Clock& clock, AudioInterfaceSettings settings);
    ~AudioInterface() override;

    // The client while open, else null.
    const JackClient* Client() const { return client_.get(); }
    // The server's xruns since the interface first opened, over every client.
    std::int64_t Xruns() const override { return earlierXruns_ + (client_ ? client_->Xruns() : 0); }
    bool StreamLost() const override { return lost_ || (client_ && client_->Gone()); }
    int Reconnects() const override { return reconnects_; }
    // Why the client could not be opened, or empty.
    const std::string& OpenError() const { return openError_; }
    // The settings, with the corrections in use.
    const AudioInterfaceSettings& Settings() const { return settings_; }

    // Takes each input's correction, or refuses one that CorrectionFault finds unusable:
    // that input is then read as it is. Returns one line for each input refused.
    std::vector<std::string> SetInputCorrection(const InputCorrections& corrections);
    // The input the drive is cabled to for the calibration, 1..16 (another is ignored).
    void SetLoopbackInput(int input);
    // What the settings the interface was made with held that was refused.
    const std::vector<std::string>& RefusedCorrections() const { return refusedCorrections_; }

    // The loop-back calibration's hold on the drive: while held, the drive plays `hz` at
    // `amplitude` (a fraction of full scale, under the safety limit) and the master's
    // words do not move it. Released, it goes to 0 along its ramp. False without a client.
    bool HoldDrive(double hz, double amplitude);
    void ReleaseDrive();
    // Every frame the client has captured so far, at the server's rate, numbered from 0
    // at its opening; takes what the client holds first.
    std::int64_t FramesCaptured();
    // Measures every input at `hz` over captured frames [first, first + count); the
    // amplitudes and phases in volts at the connectors once all have come, else nothing.
    void Measure(double hz, std::int64_t first, std::int64_t count);
    std::optional<SineMeter::Phasors> Measurement() const;

    // The interface will not open, and says `why` (a bad settings file); empty: it may.
    void RefuseSettings(std::string why) { settingsFault_ = std::move(why); }
    const std::string& SettingsFault() const { return settingsFault_; }
    // Why `next` may not be applied now, or nothing: with the servo on the drive's
    // ceiling (the safety limit as a fraction of the output's full scale) may not rise.
    std::optional<std::string> RefusalOf(const AudioInterfaceSettings& next, bool servoOn) const;
    // Takes `next` (client and server names aside) at once: the new full scales and
    // limit, and the ports whose setting changed connected anew. Clears a refusal.
    void Apply(const AudioInterfaceSettings& next);
    // The ports the last connection could not join, one message each.
    const std::vector<std::string>& ConnectionFaults() const { return connectionFaults_; }
    // The audio ports of the server's other clients, taking a signal (`inputs`) or
    // giving one; none when no server answers.
    std::vector<std::string> ServerPorts(bool inputs) const;

    DaqHandle daqOpen(const std::string& deviceName) override;
    int daqGetLastError(DaqHandle handle, int& errorCode) override;
    int daqFormatError(int errorCode, std::span<char> text) override;
    int daqIOWrite(DaqHandle handle, int deviceType, int devicePort, int whichDevice, int whichExpPort,
                   int value) override;
    int daqAdcTransferBufData(DaqHandle handle, std::span<std::int16_t> buffer, int scanCount, int bufferMask,
                              int& returnedCount) override;

private:
    struct SoxrDeleter {
        void operator()(soxr* resampler) const;
    };

    void Sample(const Scans& scans, std::span<double> millivolts) override;
    void BlockRead(int, std::span<const std::int32_t>) override {}
    int ButtonsDown(double) const override { return 0; }
    void DriveChanged(double nowMs, double hz, double level) override;

    // Whether the server has gone with the stream not yet back; hands a gone client to
    // the reopener, and takes the client it opened.
    bool Gone();
    // Opens the client (or takes `opened`), with its resampler.
    void OpenClient(std::unique_ptr<JackClient> opened = nullptr);
    // Connects the registered ports the settings name; with `previous`, only those whose
    // setting differs from it, after their old connections are dropped.
    void ConnectPorts(const AudioInterfaceSettings* previous);
    double DriveLimit() const;
    // Moves every captured frame through the resampler into the history.
    void TakeCaptured();

    AudioInterfaceSettings settings_;
    const AudioLibraries* calls_ = nullptr; // loaded with the first client
    std::unique_ptr<JackClient> client_;
    std::unique_ptr<soxr, SoxrDeleter> resampler_;
    std::string openError_;
    std::string settingsFault_;
    std::vector<std::string> connectionFaults_;
    ClientReopener reopener_;
    bool lost_ = false;
    bool heldSilent_ = false; // the drive stays at 0 until the master writes 0
    int inputsBeforeLoss_ = 0;
    int reconnects_ = 0;
    std::int64_t earlierXruns_ = 0;
    std::vector<float> captured_, resampled_;
    // The newest scans at the boards' rate, MaxInputs wide: scan s at (s mod capacity).
    std::vector<float> history_;
    std::int64_t produced_ = 0;
    std::int64_t framesCaptured_ = 0;
    SineMeter meter_;
    std::vector<std::string> refusedCorrections_;
    double driveHz_ = 0.0; // of the master's words
    bool driveHeld_ = false;
    std::int64_t marginScans_ = 64;
    // Per board: the history scan its next acquisition scan reads, and that scan.
    std::array<std::int64_t, 2> cursor_{}, nextScan_{-1, -1};
};
