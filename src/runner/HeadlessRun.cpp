#include "runner/HeadlessRun.h"

#include "core/Clock.h"
#include "core/Controller.h"
#include "core/CycleDriver.h"
#include "core/NumberText.h"
#include "core/ScriptedDialogs.h"
#include "core/StartUp.h"
#include "core/Steps.h"
#include "hardware/AbsentDaqLibrary.h"
#include "hardware/sim/BenchFile.h"
#include "hardware/sim/SimulatedBench.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace {

// The runner has no picture to draw on: its plot keeps only its size.
class SizeOnlyCanvas final : public Canvas {
public:
    int Width() const override { return 1000; }
    int Height() const override { return 600; }
    void Cls(Rgb) override {}
    void Line(double, double, double, double, Rgb) override {}
    void Box(double, double, double, double, Rgb, bool) override {}
    void Text(double, double, const std::string&, Rgb) override {}
    void Point(double, double, Rgb) override {}
    bool SaveBmp(const std::string&) override { return false; }
    bool LoadBmp(const std::string&) override { return false; }
};

class TextClipboard final : public Clipboard {
public:
    void SetText(const std::string& text) override { text_ = text; }
    void SetImage(Canvas&) override {}

private:
    std::string text_;
};

class RunShell final : public Shell {
public:
    void ShowMainWindow() override {}
    void EndProgram() override { ended = true; }
    bool ended = false;
};

std::unique_ptr<DaqLibrary> MakeBackend(const std::string& bench, Clock& clock) {
    if (bench == "none") return std::make_unique<AbsentDaqLibrary>();
    if (bench == "sim") return std::make_unique<sim::SimBench>(clock, sim::DefaultBenchModel());
    try {
        return std::make_unique<sim::SimBench>(clock, sim::LoadBenchFile(bench));
    } catch (const sim::BenchFileError& error) {
        throw std::runtime_error(error.what());
    }
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

void Escape(std::ostream& out, const std::string& text) {
    out << '"';
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out << '\\' << ch;
        } else if (byte < 0x20) {
            static const char* hex = "0123456789abcdef";
            out << "\\u00" << hex[byte >> 4] << hex[byte & 15];
        } else {
            out << ch;
        }
    }
    out << '"';
}

std::string Number(double value) { return std::isfinite(value) ? GeneralNumber(value) : "null"; }

} // namespace

RunSummary RunHeadless(const RunOptions& options, std::ostream* trace) {
    SimulatedClock clock;
    ScriptedDialogs dialogs;
    SizeOnlyCanvas plot;
    TextClipboard clipboard;
    RunShell shell;
    const std::unique_ptr<DaqLibrary> daq = MakeBackend(options.bench, clock);
    auto controller = std::make_unique<Controller>();
    Controller& c = *controller;
    c.ports = Ports{&clock, &dialogs, &plot, &clipboard, &shell, daq.get()};
    c.WorkingFolder = options.workdir;
    c.RemoteControlPath = options.controlFile;

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
    const double start = clock.MonotonicSeconds();
    StartServo(c);
    RunSweep(c);
    collectMessages();
    double servoOnSince = start;
    if (trace != nullptr) {
        *trace << "time,CurrentFrequency,ReferenceLevel,ControlValue,DriveOutput,Compression,SweepCounter,ServoOn,"
                  "SweepRunning,AbortCode";
        for (int k = 1; k <= 16; ++k) *trace << ",ChannelResponse" << k;
        *trace << '\n';
    }

    CycleDriver driver(c);
    std::vector<double> errors;
    bool servoWasOn = true;
    summary.end = "max-seconds";
    while (clock.MonotonicSeconds() - start < options.maxSeconds) {
        const std::uint64_t before = driver.CyclesRun();
        const std::int64_t wait = driver.Service();
        if (wait == CycleDriver::Suspended) break; // the program is ending
        if (wait > 0) clock.AdvanceMs(wait);
        if (driver.CyclesRun() == before) continue;
        collectMessages();
        const double now = clock.MonotonicSeconds() - start;
        const bool servoOn = IsOn(c.ServoOn);
        if (servoOn && !servoWasOn) servoOnSince = clock.MonotonicSeconds();
        if (servoOn && clock.MonotonicSeconds() - servoOnSince >= 5.0 && c.ReferenceLevel > 0.0f &&
            c.ControlValue > 0.0f) {
            errors.push_back(std::fabs(20.0 * std::log10(static_cast<double>(c.ControlValue) /
                                                         static_cast<double>(c.ReferenceLevel))));
        }
        if (trace != nullptr) {
            *trace << Number(now);
            for (const float v : {c.CurrentFrequency, c.ReferenceLevel, c.ControlValue, c.DriveOutput, c.Compression,
                                  c.SweepCounter, c.ServoOn, c.SweepRunning, c.AbortCode})
                *trace << ',' << Number(static_cast<double>(v));
            for (int k = 1; k <= 16; ++k) *trace << ',' << Number(static_cast<double>(c.ChannelResponse[static_cast<std::size_t>(k)]));
            *trace << '\n';
        }
        const bool aborted = servoWasOn && !servoOn && c.AbortCode != 0.0f;
        const bool ended = !aborted && !IsOn(c.TestStarted) && !IsOn(c.SweepRunning);
        servoWasOn = servoOn;
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
    if (!options.exportPath.empty()) {
        c.ExportFileName = options.exportPath;
        WriteDataFile(c);
        collectMessages();
    }

    summary.simulatedSeconds = clock.MonotonicSeconds() - start;
    summary.cycles = driver.CyclesRun();
    summary.sweepCounter = c.SweepCounter;
    summary.abortCode = c.AbortCode;
    summary.abortMessage = c.AbortMessage;
    summary.historyRows = std::max(0, c.HistoryCount - 1);
    summary.controlErrorDb = {Percentile(errors, 0.5), Percentile(errors, 0.95),
                              errors.empty() ? 0.0 : *std::max_element(errors.begin(), errors.end()), errors.size()};
    return summary;
}

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
        << ",\n  \"control_error_db\": {\"median\": " << Number(s.controlErrorDb.median)
        << ", \"p95\": " << Number(s.controlErrorDb.p95) << ", \"max\": " << Number(s.controlErrorDb.max)
        << ", \"cycles\": " << s.controlErrorDb.cycles << "}\n}\n";
    return out.str();
}
