#include "runner/HeadlessRun.h"

#include "core/Clock.h"
#include "core/Commands.h"
#include "core/Controller.h"
#include "core/CycleDriver.h"
#include "core/EventLog.h"
#include "core/FileErrors.h"
#include "core/LogEvents.h"
#include "core/NumberText.h"
#include "core/ScriptedDialogs.h"
#include "core/SizeOnlyCanvas.h"
#include "core/StartUp.h"
#include "core/StreamHealth.h"
#include "engine/LimitChannels.h"
#include "engine/ResponseMeasurement.h"
#include "files/DataExport.h"
#include "files/LimitGrid.h"
#include "files/ProfileGrid.h"
#include "hardware/Backend.h"
#include "hardware/TestBench.h"
#include "hardware/jack/AudioInterface.h"
#include "hardware/jack/AudioSettingsFile.h"
#include "hardware/jack/InputCalibration.h"
#include "hardware/sim/BenchSetup.h"
#include "print/ReportPage.h"
#include "runner/JsonText.h"
#include "runner/StateJson.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

class TextClipboard final : public Clipboard {
public:
    void SetText(const std::string& text) override { text_ = text; }
    void SetImage(Picture&) override {}

private:
    std::string text_;
};

class RunShell final : public Shell {
public:
    void ShowMainWindow() override {}
    void EndProgram() override { ended = true; }
    bool ended = false;
};

MessageAnswer AnswerNamed(const ScriptAction& a) {
    const std::string& name = a.args[0];
    if (name == "OK") return MessageAnswer::Ok;
    if (name == "Yes") return MessageAnswer::Yes;
    if (name == "No") return MessageAnswer::No;
    if (name == "Retry") return MessageAnswer::Retry;
    if (name == "Cancel") return MessageAnswer::Cancel;
    throw ScriptError("script line " + std::to_string(a.line) + ": no answer '" + name + "'");
}

[[noreturn]] void Unplayable(const ScriptAction& a, const std::string& what) {
    throw ScriptError("script line " + std::to_string(a.line) + ": " + what);
}

// "mnuInputsSens[2]" as name and index.
std::pair<std::string, int> MenuItem(const ScriptAction& a) {
    const std::string& item = a.args[0];
    const std::size_t open = item.find('[');
    if (open == std::string::npos) return {item, -1};
    int index = -1;
    const auto [end, error] = std::from_chars(item.data() + open + 1, item.data() + item.size() - 1, index);
    if (error != std::errc{} || end != item.data() + item.size() - 1 || item.back() != ']' || index < 0)
        Unplayable(a, "'" + item + "' is not a menu item");
    return {item.substr(0, open), index};
}

// The limit table's window as an operator works it.
void PlayLimits(const ScriptAction& a, Controller& c) {
    const std::string& step = a.args[0];
    if (step == "open") {
        ShowLimitEditor(c);
        return;
    }
    if (!c.LimitEditor.open) Unplayable(a, "the limit table is not open");
    if (step == "cell") {
        SelectCell(c.LimitEditor, std::stoi(a.args[1]), std::stoi(a.args[2]));
        c.LimitEditor.text = a.args[3];
        AcceptCellValue(c.LimitEditor);
    } else if (step == "update") {
        UpdateLimitsFromGrid(c);
    } else {
        CloseLimitEditor(c);
    }
}

// The profile editor's window as an operator works it.
void PlayEditor(const ScriptAction& a, Controller& c) {
    const std::string& step = a.args[0];
    if (step == "open") {
        ShowProfileEditor(c);
        return;
    }
    if (!c.Editor.open) Unplayable(a, "the profile editor is not open");
    if (step == "cell") {
        SelectCell(c.Editor, std::stoi(a.args[1]), std::stoi(a.args[2]));
        c.Editor.text = a.args[3];
        AcceptCellValue(c.Editor);
    } else if (step == "update") {
        UpdateProfileFromGrid(c);
    } else if (step == "breakpoints") {
        ComputeCrossovers(c);
    } else {
        CloseProfileEditor(c);
    }
}

// A setting of the USB interface taken at once, as the setup dialog's OK takes it, or
// its settings written to the working folder.
void PlayAudio(const ScriptAction& a, Controller& c, AudioInterface* audio) {
    if (audio == nullptr) Unplayable(a, "'audio' needs the USB interface (a run without --bench)");
    if (a.args[0] == "save") {
        try {
            SaveAudioSettingsFile(WorkingPath(c, AudioSettingsFileName), audio->Settings());
        } catch (const FileError& error) {
            Unplayable(a, std::string(AudioSettingsFileName) + " cannot be written: " + error.description);
        }
        return;
    }
    AudioInterfaceSettings next = audio->Settings();
    if (const auto fault = ApplyAudioSetting(a.args, next)) Unplayable(a, *fault);
    if (const auto conflict = AudioSettingsConflict(next)) Unplayable(a, *conflict);
    if (const auto refusal = audio->RefusalOf(next, IsOn(c.ServoOn))) Unplayable(a, *refusal);
    audio->Apply(next);
    for (const std::string& fault : audio->ConnectionFaults()) Unplayable(a, fault);
}

// What a run plays its actions on besides the controller.
struct PlayedOn {
    ScriptedDialogs& dialogs;
    TestBench* bench;      // null: none
    AudioInterface* audio; // null: none
    InputCalibration& calibration;
    double benchSeconds;
};

void Play(const ScriptAction& a, Controller& c, const PlayedOn& on) {
    ScriptedDialogs& dialogs = on.dialogs;
    TestBench* const bench = on.bench;
    const double benchSeconds = on.benchSeconds;
    const std::string& first = a.args[0];
    if (a.action == "audio" && first != "calibrate") {
        PlayAudio(a, c, on.audio);
    } else if (a.action == "audio") {
        if (on.audio != nullptr && a.args.size() == 2) on.audio->SetLoopbackInput(std::stoi(a.args[1]));
        if (const auto why = on.calibration.Start(on.audio, IsOn(c.ServoOn)))
            Unplayable(a, "the inputs cannot be calibrated: " + *why);
    } else if (a.action == "menu") {
        const auto [name, index] = MenuItem(a);
        for (std::size_t i = 1; i < a.args.size(); ++i) dialogs.QueueReply(a.args[i]);
        const bool ran = RunMenuCommand(c, name, index);
        dialogs.DropReplies();
        if (!ran && !c.Menu.Has(name, index)) Unplayable(a, "no menu item '" + first + "'");
    } else if (a.action == "key") {
        HandleKey(c, static_cast<unsigned char>(first[0]));
    } else if (a.action == "button") {
        if (!ClickControl(c, first)) Unplayable(a, "no button '" + first + "'");
    } else if (a.action == "spin") {
        if (a.args[1] != "up" && a.args[1] != "down") Unplayable(a, "a spin button goes up or down");
        if (!SpinControl(c, first, a.args[1] == "up")) Unplayable(a, "no spin button '" + first + "'");
    } else if (a.action == "click") {
        const std::optional<double> x = ScriptNumber(first);
        const std::optional<double> y = a.args.size() == 2 ? ScriptNumber(a.args[1]) : std::nullopt;
        if (!x || !y) Unplayable(a, "'click' takes two numbers, X and Y on the plot");
        PressOnPlot(c, *x, *y);
    } else if (a.action == "editor") {
        PlayEditor(a, c);
    } else if (a.action == "limits") {
        PlayLimits(a, c);
    } else if (a.action == "answer") {
        dialogs.QueueAnswer(AnswerNamed(a));
    } else if (a.action == "remote") {
        if (c.RemoteControlPath.empty()) Unplayable(a, "'remote' needs --control-file");
        std::string record;
        for (std::size_t start = 0;;) {
            const std::size_t bar = first.find('|', start);
            record += first.substr(start, bar == std::string::npos ? std::string::npos : bar - start) + "\r\n";
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        try {
            ReplaceTextFile(c.RemoteControlPath, record);
        } catch (const FileError& error) {
            Unplayable(a, "the remote-control file cannot be written: " + error.description);
        }
    } else if (bench == nullptr) {
        Unplayable(a, "'" + a.action + "' needs the simulated bench");
    } else if (a.action == "press") {
        static const std::map<std::string, RunButton> buttons = {{"servo-on", RunButton::ServoOn},
                                                                 {"stop", RunButton::Stop},
                                                                 {"run", RunButton::SweepRun},
                                                                 {"hold", RunButton::SweepHold}};
        const auto button = buttons.find(first);
        if (button == buttons.end()) Unplayable(a, "no push-button '" + first + "'");
        double held = 0.2;
        if (a.args.size() > 1) {
            const std::string& text = a.args[1];
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), held);
            if (error != std::errc{} || end != text.data() + text.size() || !(held > 0.0 && held < 1e6))
                Unplayable(a, "'" + text + "' is not a time in seconds");
        }
        bench->PressFor(button->second, static_cast<std::int64_t>(held * 1000.0));
    } else if (const auto fault = BenchActionFault(a.args)) {
        Unplayable(a, *fault);
    } else if (first == "call") {
        bench->InjectCallFault({a.args[1], std::stoi(a.args[2]), 1});
    } else {
        const int channel = std::stoi(a.args[1]);
        if (first == "dead") {
            bench->KillSensor(channel, benchSeconds);
        } else {
            bench->SaturateSensor(channel, benchSeconds);
        }
    }
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

// |20 log10(value / reference)|: median, 95th percentile and largest.
ControlAccuracy Accuracy(const std::vector<double>& errors) {
    return {Percentile(errors, 0.5), Percentile(errors, 0.95),
            errors.empty() ? 0.0 : *std::max_element(errors.begin(), errors.end()), errors.size()};
}

double ErrorDb(double value, double reference) { return std::fabs(20.0 * std::log10(value / reference)); }

// The control value the controller would have formed had every sensor told the truth:
// its own strategy over the fundamentals the bench gave under channels 1..16 in the
// block just read (the controller scans each board's inputs in order, channel k at
// place k - 1 of its board).
double TrueControlValue(const Controller& c, const TestBench& bench) {
    std::array<float, 17> truth{};
    for (int k = 1; k <= sim::BenchChannels; ++k)
        truth[static_cast<std::size_t>(k)] = static_cast<float>(bench.AcquiredFundamentalG(k));
    return static_cast<double>(ControlStrategyValue(c, truth));
}

// Where the limit channels' true fundamentals stood against their limits in one cycle:
// the highest in dB over any channel with a limit, and that of the channel limiting.
struct LimitStanding {
    std::optional<double> highestDb;
    std::optional<double> limitingDb;
};
LimitStanding TrueLimitStanding(const Controller& c, const TestBench& bench) {
    LimitStanding standing;
    for (int k = 1; k <= sim::BenchChannels; ++k) {
        const std::optional<ChannelLimit> limit = LimitAt(c, k, c.CurrentFrequency);
        const double truth = bench.AcquiredFundamentalG(k);
        if (!limit || !(truth > 0.0)) continue;
        const double db = 20.0 * std::log10(truth / static_cast<double>(limit->level));
        standing.highestDb = std::max(standing.highestDb.value_or(db), db);
        if (k == c.LimitingChannel) standing.limitingDb = db;
    }
    return standing;
}

std::string Number(double value) { return JsonNumber(value); }
void Escape(std::ostream& out, const std::string& text) { WriteJsonString(out, text); }

} // namespace

RunSummary RunHeadless(const RunOptions& options, std::ostream* trace) {
    SimulatedClock simulatedClock;
    SystemClock wallClock;
    Clock& clock = options.realtime ? static_cast<Clock&>(wallClock) : simulatedClock;
    ScriptedDialogs dialogs;
    SizeOnlyCanvas plot(options.plotSize.width, options.plotSize.height);
    TextClipboard clipboard;
    RunShell shell;
    auto controller = std::make_unique<Controller>();
    Controller& c = *controller;
    c.WorkingFolder = options.workdir;
    BackendChoice choice = ChooseBackend(options.bench);
    if (options.audio) {
        LoadedAudioSettings loaded = LoadAudioSettingsFile(WorkingPath(c, AudioSettingsFileName), *options.audio);
        choice.audio = std::move(loaded.settings);
        choice.audioSettingsFault = std::move(loaded.fault);
    }
    const Backend backend = MakeBackend(choice, clock);
    Picture* picture = options.plot != nullptr ? options.plot : &plot;
    c.ports = Ports{&clock, &dialogs, picture, &clipboard, &shell, backend.library.get(), options.printer};
    c.ports.usbDaq = backend.usbInterface.get();
    c.ports.usbStream = backend.usbStream;
    c.WorkingFolder = options.workdir;
    c.StartUpProfilePath = options.profile;
    c.CalibrationPath = options.calibration;
    c.RemoteControlPath = options.controlFile;
    c.KeepTestRecord = true;
    // The lab network: its switches, and the link to its broker, closed when the run ends.
    TakeNetworkSwitches(c, options.network.settings);
    std::unique_ptr<LabNetwork> link;
    if (options.network.link && options.openNetwork) link = options.openNetwork(*options.network.link);
    c.ports.network = link.get();
    if (!options.logPath.empty())
        c.Log.AttachSessionFile(options.logPath, EventTimeText(clock.Today(), clock.SecondsSinceMidnight()));

    RunSummary summary;
    std::size_t messagesSeen = 0;
    const auto collectMessages = [&] {
        const auto& shown = dialogs.History();
        for (; messagesSeen < shown.size(); ++messagesSeen) {
            const auto& box = shown[messagesSeen];
            summary.messages.push_back({clock.MonotonicSeconds(), box.title, box.text, box.answer});
        }
    };

    StartUp(c);
    collectMessages();
    // What keeps the interface from driving, or from driving what it should, is the
    // run's own fault: the operator who would read a box is not there.
    if (c.P[Param::AcquisitionInterface] == 2.0f && backend.audio != nullptr) {
        if (!backend.audio->SettingsFault().empty()) summary.errors.push_back(backend.audio->SettingsFault());
        for (const std::string& fault : backend.audio->ConnectionFaults()) summary.errors.push_back(fault);
    }
    const double start = clock.MonotonicSeconds();
    // An audio interface plays and captures in real time: the test then keeps to the
    // wall clock, whichever clock start-up ran on, and the simulated bench beside it
    // has nothing to say.
    const bool onAudio = c.ports.usbDaq != nullptr && c.P[Param::AcquisitionInterface] == 2.0f && !IsOn(c.DemoMode);
    const bool wallPaced = options.realtime || onAudio;
    TestBench* const bench = onAudio ? nullptr : backend.bench;
    const std::vector<ScriptAction> script = options.script.value_or(
        std::vector<ScriptAction>{{0.0, "button", {"cmdServoOn"}, 0}, {0.0, "button", {"cmdRun"}, 0}});
    std::size_t next = 0;
    InputCalibration calibration;
    AudioInterface* const audio = onAudio ? backend.audio : nullptr;
    // The actions after a calibration wait for its end, and their times count on from
    // there: the script's clock stands still while it runs. One that fails ends the run as
    // an action that cannot be played.
    double scriptHeldSeconds = 0.0, calibrationSince = 0.0;
    bool calibrating = false;
    const auto playDue = [&] {
        calibration.Advance(IsOn(c.ServoOn));
        if (calibrating && !calibration.Running()) {
            calibrating = false;
            if (calibration.Status() != InputCalibration::State::Done)
                Unplayable(script[next - 1], "the inputs' calibration failed: " + calibration.Message());
            summary.inputCalibration =
                RunSummary::InputCalibrationResult{audio->Settings().loopbackInput, audio->Settings().inputCorrection};
            scriptHeldSeconds += clock.MonotonicSeconds() - calibrationSince;
        }
        for (; !calibrating && next < script.size() &&
               script[next].seconds <= clock.MonotonicSeconds() - start - scriptHeldSeconds + 1e-9;
             ++next) {
            const EventSource scripted(c.Log, "script");
            Play(script[next], c, {dialogs, bench, audio, calibration, clock.MonotonicSeconds() - start});
            calibrating = calibration.Running();
            calibrationSince = clock.MonotonicSeconds();
        }
        collectMessages();
    };
    playDue();
    double servoOnSince = start;
    if (trace != nullptr) {
        *trace << "time,CurrentFrequency,ReferenceLevel,ControlValue,DriveOutput,Compression,SweepCounter,ServoOn,"
                  "SweepRunning,AbortCode";
        for (int k = 1; k <= 16; ++k) *trace << ",ChannelResponse" << k;
        if (bench != nullptr) *trace << ",TrueControlValue";
        // Later columns come after the first ones, which readers take by position.
        *trace << ",LimitingChannel,Overload";
        if (bench != nullptr)
            for (int k = 1; k <= sim::BenchChannels; ++k) *trace << ",TrueResponse" << k;
        *trace << '\n';
    }

    const auto wallStart = std::chrono::steady_clock::now();
    const std::int64_t tickAtWallStart = clock.TickMs();
    CycleDriver driver(c);
    std::vector<double> errors;
    std::vector<double> trueErrors;
    std::vector<double> limitExcess;
    std::optional<double> limitPeak;
    bool servoWasOn = IsOn(c.ServoOn);
    bool testSeen = IsOn(c.TestStarted);
    summary.end = "max-seconds";
    while (clock.MonotonicSeconds() - start < options.maxSeconds) {
        if (options.stopRequested && options.stopRequested()) {
            calibration.Cancel();
            MainWindowClosing(c);
            summary.end = "signal";
            break;
        }
        const std::uint64_t before = driver.CyclesRun();
        playDue();
        const std::int64_t wait = driver.Service();
        if (wait == CycleDriver::Suspended) { // File / Exit: the program is ending
            summary.end = "exit";
            break;
        }
        // A signal must stop the drive within 50 ms of its coming: the wait is slept in
        // slices that look for it, not in one piece as long as a cycle.
        if (wait > 0 && wallPaced) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait);
            while (std::chrono::steady_clock::now() < until && !(options.stopRequested && options.stopRequested()))
                std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                    until - std::chrono::steady_clock::now(), std::chrono::milliseconds(5)));
        }
        if (wait > 0 && !wallPaced) simulatedClock.AdvanceMs(wait);
        if (wallPaced && !options.realtime) {
            const auto elapsed = std::chrono::steady_clock::now() - wallStart;
            simulatedClock.AdvanceToMs(tickAtWallStart +
                                       std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
        }
        if (driver.CyclesRun() == before) continue;
        collectMessages();
        const double now = clock.MonotonicSeconds() - start;
        const bool servoOn = IsOn(c.ServoOn);
        const double truth = bench != nullptr ? TrueControlValue(c, *bench) : 0.0;
        if (servoOn && !servoWasOn) servoOnSince = clock.MonotonicSeconds();
        // While a channel limits, the table is held below its reference on purpose.
        const bool limiting = c.LimitingChannel != 0;
        if (servoOn && bench != nullptr && !c.Limits.rows.empty()) {
            const LimitStanding standing = TrueLimitStanding(c, *bench);
            if (standing.highestDb) limitPeak = std::max(limitPeak.value_or(*standing.highestDb), *standing.highestDb);
            if (standing.limitingDb) limitExcess.push_back(*standing.limitingDb);
        }
        if (servoOn && !limiting && clock.MonotonicSeconds() - servoOnSince >= 5.0 && c.ReferenceLevel > 0.0f &&
            c.ControlValue > 0.0f) {
            const auto reference = static_cast<double>(c.ReferenceLevel);
            errors.push_back(ErrorDb(static_cast<double>(c.ControlValue), reference));
            if (truth > 0.0) trueErrors.push_back(ErrorDb(truth, reference));
        }
        if (trace != nullptr) {
            *trace << Number(now);
            for (const float v : {c.CurrentFrequency, c.ReferenceLevel, c.ControlValue, c.DriveOutput, c.Compression,
                                  c.SweepCounter, c.ServoOn, c.SweepRunning, c.AbortCode})
                *trace << ',' << Number(static_cast<double>(v));
            for (int k = 1; k <= 16; ++k)
                *trace << ',' << Number(static_cast<double>(c.ChannelResponse[static_cast<std::size_t>(k)]));
            if (bench != nullptr) *trace << ',' << Number(truth);
            *trace << ',' << c.LimitingChannel << ',' << c.OverloadMask;
            if (bench != nullptr)
                for (int k = 1; k <= sim::BenchChannels; ++k) *trace << ',' << Number(bench->AcquiredFundamentalG(k));
            *trace << '\n';
        }
        testSeen = testSeen || IsOn(c.TestStarted);
        // The audio server going under a running servo turns it off with no abort code of
        // the controller's; the run has still failed, and says so by its box.
        const bool streamGone = onAudio && c.ports.usbStream != nullptr && c.ports.usbStream->StreamLost();
        const bool aborted = servoWasOn && !servoOn && (c.AbortCode != 0.0f || streamGone);
        const bool ended = !aborted && testSeen && !IsOn(c.TestStarted) && !IsOn(c.SweepRunning);
        servoWasOn = servoOn;
        if (options.progress && driver.CyclesRun() % 100 == 0) {
            std::fprintf(stderr, "\r  %8.1f Hz   sweep %4.1f   %7.1f s ", static_cast<double>(c.CurrentFrequency),
                         static_cast<double>(c.SweepCounter), now);
            std::fflush(stderr);
        }
        if (aborted && options.until != RunOptions::Until::Seconds) {
            summary.end = "abort";
            break;
        }
        if (ended && options.until == RunOptions::Until::End) {
            summary.end = "end-of-test";
            break;
        }
        if (options.until == RunOptions::Until::Seconds && now >= options.untilSeconds) {
            summary.end = "until";
            break;
        }
    }
    // The files asked for on the command line are the run's own results: one that cannot
    // be written is an error of the run, not a message box for an operator who is not there.
    const auto write = [&summary](const std::string& what, const std::string& path, const auto& step) {
        try {
            step();
        } catch (const FileError& error) {
            summary.errors.push_back("cannot write the " + what + " " + path + ": " + error.description);
        }
    };
    if (!options.exportPath.empty()) {
        c.ExportFileName = options.exportPath;
        write("data file", options.exportPath, [&] { ReplaceTextFile(options.exportPath, DataFileText(c)); });
    }
    if (!options.reportPath.empty()) {
        c.ReportFileName = options.reportPath;
        write("report picture", options.reportPath, [&] {
            if (!picture->SaveBmp(options.reportPath)) throw MakeFileError(FileErrorNumber::PathFileAccess);
        });
    }
    if (!options.printPath.empty() && options.printer != nullptr) {
        write("printed report", options.printPath, [&] {
            DrawReportPage(c, options.printer->BeginPage(options.printPath));
            options.printer->EndPage();
        });
    }
    if (options.progress) std::fputc('\n', stderr);
    if (!c.Log.SessionFileFault().empty())
        summary.errors.push_back("cannot write the event log " + options.logPath + ": " + c.Log.SessionFileFault());
    if (!options.statePath.empty())
        write("state", options.statePath, [&] { ReplaceTextFile(options.statePath, StateJson(c)); });
    summary.simulatedSeconds = clock.MonotonicSeconds() - start;
    summary.cycles = driver.CyclesRun();
    summary.sweepCounter = c.SweepCounter;
    summary.abortCode = c.AbortCode;
    summary.abortMessage = c.AbortMessage;
    summary.historyRows = std::max(0, c.HistoryCount - 1);
    summary.testSummary = c.LastTestSummary;
    summary.controlErrorDb = Accuracy(errors);
    if (bench != nullptr) summary.trueErrorDb = Accuracy(trueErrors);
    if (limitPeak) summary.limits = LimitAccuracy{Accuracy(limitExcess), *limitPeak};
    if (onAudio && backend.audio != nullptr) summary.xruns = backend.audio->Xruns();
    return summary;
}

namespace {

void WriteAccuracy(std::ostream& out, const ControlAccuracy& a) {
    out << "{\"median\": " << Number(a.median) << ", \"p95\": " << Number(a.p95) << ", \"max\": " << Number(a.max)
        << ", \"cycles\": " << a.cycles << '}';
}

} // namespace

std::string SummaryJson(const RunSummary& s) {
    std::ostringstream out;
    out << "{\n  \"end\": ";
    Escape(out, s.end);
    out << ",\n  \"simulated_seconds\": " << Number(s.simulatedSeconds) << ",\n  \"cycles\": " << s.cycles
        << ",\n  \"sweep_counter\": " << Number(s.sweepCounter) << ",\n  \"abort_code\": " << Number(s.abortCode)
        << ",\n  \"abort_message\": ";
    Escape(out, s.abortMessage);
    out << ",\n  \"messages\": [";
    for (std::size_t i = 0; i < s.messages.size(); ++i) {
        const ShownMessage& m = s.messages[i];
        out << (i == 0 ? "\n" : ",\n") << "    {\"t\": " << Number(m.t) << ", \"title\": ";
        Escape(out, m.title);
        out << ", \"text\": ";
        Escape(out, m.text);
        out << ", \"answer\": ";
        Escape(out, m.answer);
        out << '}';
    }
    out << (s.messages.empty() ? "" : "\n  ") << "],\n  \"history_rows\": " << s.historyRows
        << ",\n  \"control_error_db\": ";
    WriteAccuracy(out, s.controlErrorDb);
    out << ",\n  \"true_error_db\": ";
    if (s.trueErrorDb) {
        WriteAccuracy(out, *s.trueErrorDb);
    } else {
        out << "null";
    }
    if (s.limits) {
        out << ",\n  \"limit_excess_db\": ";
        WriteAccuracy(out, s.limits->limitingDb);
        out << ",\n  \"limit_peak_db\": " << Number(s.limits->peakDb);
    }
    if (s.testSummary) {
        const TestSummary& t = *s.testSummary;
        out << ",\n  \"test_summary\": {\"duration_s\": " << Number(t.durationSeconds)
            << ", \"sweeps_done\": " << t.sweepsDone
            << ", \"max_error_db\": " << (t.largestErrorDb ? Number(*t.largestErrorDb) : "null")
            << ", \"max_error_hz\": " << (t.largestErrorDb ? Number(static_cast<double>(t.largestErrorHz)) : "null")
            << ", \"limiting_s\": " << Number(t.limitingSeconds)
            << ", \"abort_code\": " << Number(static_cast<double>(t.abortCode)) << ", \"abort_reason\": ";
        Escape(out, t.abortReason);
        out << '}';
    }
    if (s.xruns) out << ",\n  \"xruns\": " << *s.xruns;
    if (s.inputCalibration) {
        // Each input as [hz, gain, phase in degrees] a step, one line an input.
        out << ",\n  \"input_correction\": {\"loopback_input\": " << s.inputCalibration->loopbackInput;
        for (std::size_t k = 0; k < s.inputCalibration->corrections.size(); ++k) {
            const auto& points = s.inputCalibration->corrections[k];
            if (points.empty()) continue;
            out << ",\n    \"in" << k + 1 << "\": [";
            for (std::size_t i = 0; i < points.size(); ++i)
                out << (i == 0 ? "[" : ", [") << Number(points[i].hz) << ", " << Number(points[i].gain) << ", "
                    << Number(points[i].phaseDegrees) << ']';
            out << ']';
        }
        out << "\n  }";
    }
    out << ",\n  \"errors\": [";
    for (std::size_t i = 0; i < s.errors.size(); ++i) {
        out << (i == 0 ? "" : ", ");
        Escape(out, s.errors[i]);
    }
    out << "]\n}\n";
    return out.str();
}
