#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/NetworkSettings.h"
#include "core/TestTally.h"
#include "hardware/jack/AudioInterfaceSettings.h"
#include "hardware/jack/InputCorrection.h"
#include "runner/PlotSize.h"
#include "runner/RunScript.h"

class Picture;
class Printer;

// A whole test without a window: the controller's own start-up, cycle, engine, board
// layer and files, on a simulated clock, with scripted dialogs.
struct RunOptions {
    std::string workdir;     // empty: the current folder
    std::string profile;     // empty: ZEKFileS.000 of the working folder
    std::string calibration; // empty: ZEK8Cal.Dat of the working folder
    std::string statePath;   // the whole state at the end, as JSON
    bool progress = false;   // a progress line on standard error
    bool realtime = false;   // the wall clock instead of simulated time
    // Whether the program was told to end (a signal): the test is stopped as when the
    // window closes, and the run ends with "signal".
    std::function<bool()> stopRequested;
    std::string bench = "sim"; // "sim", "none" (no acquisition library) or a bench file
    // The audio interface behind the USB interface item; none with a bench asked for.
    std::optional<AudioInterfaceSettings> audio;
    enum class Until { End, Abort, Seconds } until = Until::End;
    double untilSeconds = 0.0;
    double maxSeconds = 7200.0;
    std::string exportPath;     // the data file written at the end, as the File menu would
    std::string reportPath;     // the report picture written at the end
    PlotSize plotSize;          // of the plot that keeps nothing, when no picture is given
    Picture* plot = nullptr;    // the plot area's picture, of its own size
    std::string printPath;      // the printed report of the run's end, as a PDF file
    Printer* printer = nullptr; // File / Print Report and Auto Print; none: they do nothing
    std::string controlFile;
    std::string logPath; // every event of the run, appended as it comes
    // The lab network's settings and the link to its broker (none: no network), and what
    // opens that link (the program's, on libmosquitto; a test's own).
    NetworkChoice network;
    std::function<std::unique_ptr<LabNetwork>(const BrokerLink&)> openNetwork;
    // The actions to play; without a script, Servo On and Sweep Run at 0 s. An empty
    // script plays nothing.
    std::optional<std::vector<ScriptAction>> script;
};

struct ShownMessage {
    double t = 0.0;
    std::string title;
    std::string text;
    std::string answer;
};

struct ControlAccuracy {
    double median = 0.0;
    double p95 = 0.0;
    double max = 0.0;
    std::size_t cycles = 0;
};

// How a simulated bench's limit channels truly stood against their limits, in dB above
// them (below: negative).
struct LimitAccuracy {
    ControlAccuracy limitingDb; // the limiting channel, over the cycles in which one limits
    double peakDb = 0.0;        // the highest of any channel over every cycle it has a limit
};

struct RunSummary {
    std::string end; // "end-of-test", "abort", "until", "exit", "signal" or "max-seconds"
    double simulatedSeconds = 0.0;
    std::uint64_t cycles = 0;
    float sweepCounter = 0.0f;
    float abortCode = 0.0f;
    std::string abortMessage;
    std::vector<ShownMessage> messages;
    int historyRows = 0;
    // Over the cycles from 5 s after Servo On in which no limit channel limits.
    ControlAccuracy controlErrorDb;
    // The same over the same cycles, of the control value the strategy forms from the
    // fundamentals the simulated bench really gave; a cycle whose true value is 0 is
    // left out. None without a simulated bench.
    std::optional<ControlAccuracy> trueErrorDb;
    // With a limit table on a simulated bench; none otherwise.
    std::optional<LimitAccuracy> limits;
    // The files asked for that could not be written; on the USB interface, also a settings
    // file it refused and the ports it could not connect.
    std::vector<std::string> errors;
    // The last test that ended during the run, as its operator is told (core/TestSummary.h).
    std::optional<TestSummary> testSummary;
    // The audio server's xruns during a run on the audio interface; none on any other.
    std::optional<std::int64_t> xruns;
    // What `audio calibrate` measured and the interface took: each input's correction,
    // and the loop-back input it was measured against. None without the action.
    struct InputCalibrationResult {
        int loopbackInput = 0;
        InputCorrections corrections;
    };
    std::optional<InputCalibrationResult> inputCalibration;
};

// Plays the script (or Servo On and Sweep Run at 0 s) and goes on until the run ends as
// asked. A trace stream gets one CSV line per cycle. Throws std::runtime_error on a bench
// file that cannot be read, ScriptError on an action that cannot be played (a calibration
// of the inputs that cannot start or fails is one); the data
// file, report picture or state that cannot be written is listed in `errors`.
RunSummary RunHeadless(const RunOptions& options, std::ostream* trace = nullptr);

// The summary as JSON with stable keys.
std::string SummaryJson(const RunSummary& summary);
