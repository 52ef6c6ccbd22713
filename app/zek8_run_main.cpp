// zek8-run: a whole test without a window, on the simulated clock.
#include "ModulePrinter.h"
#include "core/DeferredPicture.h"
#include "core/FileErrors.h"
#include "core/NetworkSettings.h"
#include "core/OnDemandPrinter.h"
#include "files/RecordExport.h"
#include "network/MosquittoLink.h"
#include "runner/HeadlessRun.h"
#include "ui/ImageCanvas.h"

#include <QGuiApplication>

#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

constexpr const char* Help = R"(Usage: zek8-run [options]
Runs a whole test of the ZEK-8 controller without a window, in simulated time: the
controller's own start-up (defaults, the profile ZEKFileS.000 and the calibration file of the
working folder, the hardware), then Servo On and Sweep Run at 0 s, until the test ends. A JSON
summary goes to standard output.

Options:
  --workdir DIR        working folder of ZEKFileS.000 and ZEK8Cal.Dat (default: current)
  --profile FILE       the profile loaded at start-up instead of ZEKFileS.000
  --calibration FILE   the calibration factors instead of ZEK8Cal.Dat
  --bench sim|none|FILE  the built-in simulated bench (default), no acquisition library
                       (demo mode), or a bench file; without it a profile on the USB
                       interface runs on the audio server, on the wall clock, with the
                       settings of ZEK8Audio.txt in the working folder
  --jack-client NAME   the audio server's client name of the interface (default zek8)
  --jack-server NAME   the audio server to use (default: the server's own default)
  --until end|abort|SECONDS
                       stop at the end of the test or an abort (end, the default), only at
                       an abort, or after that many simulated seconds
  --max-seconds S      upper bound of every run in simulated seconds (default 7200)
  --realtime           run on the wall clock instead of simulated time
  --export FILE        write the data file at the end, as File / Export Test Data would
  --uff FOLDER         run no test: read FOLDER/record.csv, a test's record, and write its
                       functions as UFF dataset 58 to FOLDER/record.uff, as File / Export
                       Test Record... would; status 3 when it cannot be read or written
  --report FILE        write the report picture (a bitmap of the plot) at the end
  --print FILE         write the printed report of the end as a PDF file
  --plot-size WxH      the plot area the run draws on, in pixels (default 640x480, each
                       side 1 to 8192)
  --trace FILE         one CSV line per cycle
  --state FILE         the whole state at the end as JSON (P, breakpoints, state, menus,
                       panel, calibration)
  --control-file PATH  the remote-control file (default: none)
  --log FILE           append every event of the run to FILE as it comes, one a line:
                       yyyy-mm-dd hh:mm:ss.mmm, a tab, the event
  --mqtt URL           the lab network's broker: mqtts://USER@HOST[:PORT] (default port
                       8883, the broker's certificate checked), or mqtt://[USER@]HOST[:PORT]
                       (default 1883) for a broker on this computer only (127.0.0.1, [::1],
                       localhost)
  --mqtt-password-file FILE
                       the broker's password: the first line of FILE, which only its owner
                       may read or write (chmod 600)
  --mqtt-ca FILE       the certificate authority the broker's certificate is checked against
                       (default: the system's)
  --station NAME       this station's name on the broker, its topics zek8/NAME/...
  --accept-commands    obey the broker's commands (Stop is obeyed always)
                       These five are taken over the settings file zek8/network.json in
                       $XDG_CONFIG_HOME (else ~/.config), which System / Network... writes
  --script FILE        actions to play, one a line: SECONDS ACTION ARGS... ('#' comments)
                         menu ITEM[INDEX] [ANSWER...]  a menu command, its prompts and file
                                                       dialogs answered in order
                         key C            a key on the main window
                         button NAME      cmdServoOn, cmdServoOff, cmdRun, cmdHold, Image3
                         spin spnFreq|spnLevel|spnDirection up|down
                         press servo-on|stop|run|hold [SECONDS]   a bench push-button
                         answer OK|Yes|No|Retry|Cancel   the next message box
                         remote LINE|LINE|...   write the remote-control file
                         bench dead|saturate CHANNEL   a sensor fault from now on
                         bench call FUNCTION CODE      a library call failing from now on
                         click X Y        a mouse press on the plot at (X, Y)
                         audio KEY VALUES...   a USB interface setting, as a line of
                                          ZEK8Audio.txt (drive-port PORT, input-port CH PORT,
                                          output-full-scale-v V, input-full-scale-v CH V,
                                          safety-limit-v V, loopback-input CH)
                         audio save       write the interface's settings to ZEK8Audio.txt
                         audio calibrate [INPUT]   the inputs' correction by loop-back on the
                                          audio interface, the drive cabled to INPUT;
                                          the actions after it wait for its end
                       Without a script: Servo On and Sweep Run at 0 s; an empty
                       script plays nothing.
  --help, --version

Exit status: 0 when the run ended as asked, 1 when the test aborted, 2 on bad arguments
(a network setting refused among them) or a script line that cannot be played, 3 when a
file asked for (--export, --report, --print, --trace, --state, --log) could not be written, or
the USB interface refused ZEK8Audio.txt (it then drives nothing) or could not connect a port
it names; the summary lists those under "errors" (a trace that cannot be opened stops the run
before it starts). SIGTERM, SIGINT and SIGHUP stop the test and end the run ("end": "signal"),
with status 128 + the signal's number.
)";

std::optional<double> PositiveNumber(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value) || value <= 0.0)
        return std::nullopt;
    return value;
}

bool IsOutputFileOption(std::string_view option) {
    for (const char* output : {"--export", "--report", "--print", "--trace", "--state", "--log"})
        if (option == output) return true;
    return false;
}

volatile std::sig_atomic_t endSignal = 0;

void OnTerminationSignal(int signal) { endSignal = signal; }

// SIGTERM, SIGINT and SIGHUP end the run between two cycles, or a wait for the print
// server at once: the test is stopped first, and the summary still written.
void EndOnTerminationSignals() {
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool EndRequested() { return endSignal != 0; }

int Fail(const std::string& message) {
    std::cerr << "zek8-run: " << message << "\n(see zek8-run --help)\n";
    return 2;
}

// --uff: a record converted, no test run.
int ConvertRecord(const std::string& folder) {
    try {
        WriteRecordUff(folder);
        return 0;
    } catch (const FileError& error) {
        std::cerr << "zek8-run: " << folder << ": " << error.description << '\n';
    } catch (const RecordCsvFault& fault) {
        std::cerr << "zek8-run: " << folder << "/" << RecordCsvName << ", " << fault.what() << '\n';
    }
    return 3;
}

} // namespace

int main(int argc, char* argv[]) {
    RunOptions options;
    std::string tracePath;
    bool benchGiven = false;
    AudioInterfaceSettings audio;
    std::optional<std::string> uffFolder;
    NetworkOptions network;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help") {
            std::cout << Help;
            return 0;
        }
        if (option == "--realtime") {
            options.realtime = true;
            continue;
        }
        if (option == "--accept-commands") {
            network.acceptCommands = true;
            continue;
        }
        if (option == "--version") {
            std::cout << "zek8-run " << ZEK8_VERSION << '\n';
            return 0;
        }
        if (i + 1 >= argc) return Fail("unknown option or missing value: " + std::string(option));
        const std::string value = argv[++i];
        // An empty name would be taken for no file at all, and the run would end well
        // without the file that was asked for.
        if (value.empty() && IsOutputFileOption(option))
            return Fail(std::string(option) + " takes the name of the file to write, not an empty one");
        if (option == "--workdir") {
            options.workdir = value;
        } else if (option == "--profile") {
            options.profile = value;
        } else if (option == "--calibration") {
            options.calibration = value;
        } else if (option == "--state") {
            options.statePath = value;
        } else if (option == "--bench") {
            options.bench = value;
            benchGiven = true;
        } else if (option == "--jack-client") {
            audio.clientName = value;
        } else if (option == "--jack-server") {
            audio.serverName = value;
        } else if (option == "--until") {
            if (value == "end") {
                options.until = RunOptions::Until::End;
            } else if (value == "abort") {
                options.until = RunOptions::Until::Abort;
            } else if (const auto seconds = PositiveNumber(value)) {
                options.until = RunOptions::Until::Seconds;
                options.untilSeconds = *seconds;
            } else {
                return Fail("--until takes end, abort or a number of seconds, not " + value);
            }
        } else if (option == "--max-seconds") {
            const auto seconds = PositiveNumber(value);
            if (!seconds) return Fail("--max-seconds takes a positive number, not " + value);
            options.maxSeconds = *seconds;
        } else if (option == "--plot-size") {
            try {
                options.plotSize = ReadPlotSize(value);
            } catch (const PlotSizeError& error) {
                return Fail(error.what());
            }
        } else if (option == "--report") {
            options.reportPath = value;
        } else if (option == "--print") {
            options.printPath = value;
        } else if (option == "--export") {
            options.exportPath = value;
        } else if (option == "--trace") {
            tracePath = value;
        } else if (option == "--script") {
            try {
                options.script = ReadRunScriptFile(value);
            } catch (const ScriptError& error) {
                return Fail(error.what());
            }
        } else if (option == "--control-file") {
            options.controlFile = value;
        } else if (option == "--log") {
            options.logPath = value;
        } else if (option == "--mqtt") {
            network.url = value;
        } else if (option == "--mqtt-password-file") {
            network.passwordFile = value;
        } else if (option == "--mqtt-ca") {
            network.caFile = value;
        } else if (option == "--station") {
            network.station = value;
        } else if (option == "--uff") {
            if (value.empty()) return Fail("--uff takes the folder of a test's record, not an empty name");
            uffFolder = value;
        } else {
            return Fail("unknown option " + std::string(option));
        }
    }
    if (uffFolder) return ConvertRecord(*uffFolder);
    const LoadedNetworkSettings networkFile = LoadNetworkSettingsFile(DefaultNetworkSettingsPath());
    if (!networkFile.fault.empty()) std::cerr << "zek8-run: " << networkFile.fault << '\n';
    options.network = ChooseNetwork(WithOptions(networkFile.settings, network));
    if (!options.network.refusal.empty()) return Fail("the lab network: " + options.network.refusal);
    options.openNetwork = OpenMosquittoLink;
    options.progress = isatty(STDERR_FILENO) != 0;
    // The plot is drawn with Qt on an image, as the window's plot area keeps it, so Save
    // Report, Open Report and the save at the end of a test work in a script as on
    // screen; Print Report and Auto Print go to the desktop's printer as in the window (a
    // run has no window to print as an image). No window is opened for either, and Qt
    // comes up only when the run first looks at its picture or prints: until then the
    // plot's drawing is kept, not done; the printer is a module loaded on the first page.
    std::unique_ptr<QGuiApplication> gui;
    std::unique_ptr<ImageCanvas> image;
    std::unique_ptr<ModulePrinter> desktopPrinter;
    const auto startGui = [&gui, &argc, argv] {
        if (gui) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        gui = std::make_unique<QGuiApplication>(argc, argv);
    };
    DeferredPicture picture(options.plotSize.width, options.plotSize.height, [&]() -> Picture& {
        startGui();
        image = std::make_unique<ImageCanvas>(options.plotSize.width, options.plotSize.height);
        return *image;
    });
    options.plot = &picture;
    OnDemandPrinter printer([&]() -> Printer& {
        startGui();
        desktopPrinter = std::make_unique<ModulePrinter>(EndRequested);
        if (!desktopPrinter->LoadError().empty()) std::cerr << "zek8-run: " << desktopPrinter->LoadError() << '\n';
        return *desktopPrinter;
    });
    options.printer = &printer;
    options.stopRequested = EndRequested;
    EndOnTerminationSignals();
    if (!benchGiven) options.audio = audio;
    std::ofstream trace;
    if (!tracePath.empty()) {
        trace.open(tracePath);
        if (!trace) {
            std::cerr << "zek8-run: cannot write the trace file " << tracePath << '\n';
            return 3;
        }
    }
    try {
        RunSummary summary = RunHeadless(options, trace.is_open() ? &trace : nullptr);
        if (trace.is_open()) {
            // A full disk shows only when the buffered lines reach it.
            trace.close();
            if (!trace) summary.errors.push_back("cannot write the trace file " + tracePath);
        }
        std::cout << SummaryJson(summary);
        for (const std::string& error : summary.errors) std::cerr << "zek8-run: " << error << '\n';
        if (!summary.errors.empty()) return 3;
        if (endSignal != 0) return 128 + endSignal;
        return summary.end == "abort" ? 1 : 0;
    } catch (const ScriptError& error) {
        return Fail(error.what());
    } catch (const std::runtime_error& error) {
        return Fail(error.what());
    }
}
