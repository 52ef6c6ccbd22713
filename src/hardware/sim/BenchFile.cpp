#include "hardware/sim/BenchFile.h"

#include "core/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

namespace sim {

namespace {

constexpr std::size_t MaxHarmonics = 32;

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

class BenchLine {
public:
    BenchLine(std::string_view source, int number, std::vector<std::string> words)
        : source_(source), number_(number), words_(std::move(words)) {}

    [[noreturn]] void Fail(const std::string& what) const {
        throw BenchFileError(std::string(source_) + " line " + std::to_string(number_) + ": " + what);
    }
    std::size_t Count() const { return words_.size(); }
    const std::string& Word(std::size_t i) const {
        if (i >= words_.size()) Fail("'" + words_[0] + "' needs more values");
        return words_[i];
    }
    double Number(std::size_t i, double lowest, double highest) const {
        const std::string& text = Word(i);
        double value = 0.0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
            Fail("'" + text + "' is not a number");
        if (value < lowest || value > highest)
            Fail("'" + text + "' is outside " + ExactNumber(lowest) + " .. " + ExactNumber(highest));
        return value;
    }
    std::int64_t Whole(std::size_t i, double lowest, double highest) const {
        const double value = Number(i, lowest, highest);
        if (value != std::floor(value)) Fail("'" + Word(i) + "' is not a whole number");
        return static_cast<std::int64_t>(value);
    }
    // A channel or a range of channels "first-last", as channel indices 0..15.
    std::pair<std::size_t, std::size_t> Channels(std::size_t i) const {
        const std::string& text = Word(i);
        const std::size_t dash = text.find('-', 1);
        if (dash == std::string::npos) {
            const auto k = static_cast<std::size_t>(Whole(i, 1, BenchChannels)) - 1;
            return {k, k};
        }
        const BenchLine first(source_, number_, {words_[0], text.substr(0, dash)});
        const BenchLine last(source_, number_, {words_[0], text.substr(dash + 1)});
        const auto from = static_cast<std::size_t>(first.Whole(1, 1, BenchChannels)) - 1;
        const auto to = static_cast<std::size_t>(last.Whole(1, 1, BenchChannels)) - 1;
        if (to < from) Fail("the range '" + text + "' runs backwards");
        return {from, to};
    }
    void NoMoreThan(std::size_t count) const {
        if (words_.size() > count) Fail("unexpected '" + words_[count] + "'");
    }

private:
    std::string_view source_;
    int number_;
    std::vector<std::string> words_;
};

template <typename Change>
void ForChannels(BenchModel& model, std::pair<std::size_t, std::size_t> range, Change change) {
    for (std::size_t k = range.first; k <= range.second; ++k) change(model.channels[k]);
}

void ReadChannel(const BenchLine& line, BenchModel& model) {
    const auto range = line.Channels(1);
    const std::string& mount = line.Word(2);
    if (mount == "none") {
        line.NoMoreThan(3);
        ForChannels(model, range, [](SensorMounting& sensor) { sensor.fitted = false; });
        return;
    }
    SensorMounting mounting;
    std::size_t next = 3;
    if (mount == "table") {
        mounting.onSpecimen = false;
    } else if (mount == "specimen") {
        mounting.onSpecimen = true;
        mounting.modeHz = line.Number(3, 0.1, 1e5);
        mounting.modeQ = line.Number(4, 0.5, 1000);
        next = 5;
    } else {
        line.Fail("a channel sits on 'table' or 'specimen' or is 'none', not '" + mount + "'");
    }
    mounting.sensitivity = line.Number(next, 0.001, 1e4);
    if (line.Count() > next + 1 && line.Word(next + 1) != "current")
        line.Fail("unexpected '" + line.Word(next + 1) + "'");
    mounting.needsCurrent = line.Count() > next + 1;
    line.NoMoreThan(next + 2);
    ForChannels(model, range, [&mounting](SensorMounting& sensor) {
        // The noise and the faults of the input stay as they were.
        sensor.fitted = true;
        sensor.onSpecimen = mounting.onSpecimen;
        sensor.modeHz = mounting.modeHz;
        sensor.modeQ = mounting.modeQ;
        sensor.sensitivity = mounting.sensitivity;
        sensor.needsCurrent = mounting.needsCurrent;
    });
}

void ReadFault(const BenchLine& line, BenchModel& model) {
    const std::string& kind = line.Word(1);
    if (kind == "board-missing" || kind == "slave-missing" || kind == "library-missing") {
        line.NoMoreThan(2);
        (kind == "board-missing"   ? model.masterPresent
         : kind == "slave-missing" ? model.slavePresent
                                   : model.libraryLoadable) = false;
    } else if (kind == "call") {
        const auto& names = DaqFunctionNames();
        if (std::find(names.begin(), names.end(), line.Word(2)) == names.end())
            line.Fail("no library function is called '" + line.Word(2) + "'");
        CallFault fault{line.Word(2), static_cast<int>(line.Whole(3, 1, 1e9)), 1};
        if (line.Count() > 4) {
            if (line.Word(4) != "from") line.Fail("expected 'from N', not '" + line.Word(4) + "'");
            fault.fromCall = static_cast<int>(line.Whole(5, 1, 1e9));
        }
        line.NoMoreThan(6);
        model.callFaults.push_back(fault);
    } else if (kind == "sensor") {
        const auto range = line.Channels(2);
        const std::string& what = line.Word(3);
        const double at = line.Number(4, 0, 1e9);
        line.NoMoreThan(5);
        if (what != "dead" && what != "saturate") line.Fail("a sensor goes 'dead' or 'saturate', not '" + what + "'");
        ForChannels(model, range, [&](SensorMounting& sensor) {
            (what == "dead" ? sensor.deadFromSeconds : sensor.saturatedFromSeconds) = at;
        });
    } else {
        line.Fail("unknown fault '" + kind + "'");
    }
}

void ReadPress(const BenchLine& line, BenchModel& model) {
    static const std::pair<const char*, RunButton> buttons[] = {{"servo-on", RunButton::ServoOn},
                                                                {"stop", RunButton::Stop},
                                                                {"sweep-run", RunButton::SweepRun},
                                                                {"sweep-hold", RunButton::SweepHold}};
    const std::string& name = line.Word(1);
    const auto found =
        std::find_if(std::begin(buttons), std::end(buttons), [&name](const auto& b) { return name == b.first; });
    if (found == std::end(buttons))
        line.Fail("the buttons are servo-on, stop, sweep-run and sweep-hold, not '" + name + "'");
    ButtonPress press{found->second, line.Number(2, 0, 1e9), 0.2};
    if (line.Count() > 3) press.heldSeconds = line.Number(3, 0.001, 1e9);
    line.NoMoreThan(4);
    model.presses.push_back(press);
}

} // namespace

BenchModel ReadBenchFile(std::istream& in, std::string_view source) {
    BenchModel model = DefaultBenchModel();
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        std::vector<std::string> words = Words(text);
        if (words.empty()) continue;
        const BenchLine line(source, number, words);
        const std::string& key = words[0];
        if (key == "shaker.full-drive-g") {
            model.fullDriveG = line.Number(1, 0.001, 1e4);
            line.NoMoreThan(2);
        } else if (key == "shaker.suspension" || key == "shaker.armature") {
            const bool suspension = key == "shaker.suspension";
            (suspension ? model.suspensionHz : model.armatureHz) = line.Number(1, 0.1, 1e5);
            (suspension ? model.suspensionQ : model.armatureQ) = line.Number(2, 0.5, 1000);
            line.NoMoreThan(3);
        } else if (key == "distortion") {
            model.harmonics = {line.Number(1, 0, 1)};
            line.NoMoreThan(2);
        } else if (key == "harmonics") {
            // Every harmonic is synthesised on every sample of every channel: a long list
            // would run the bench slower than the test it simulates.
            if (line.Count() - 1 > MaxHarmonics)
                line.Fail("at most " + std::to_string(MaxHarmonics) + " harmonics, not " +
                          std::to_string(line.Count() - 1));
            model.harmonics.clear();
            for (std::size_t i = 1; i < line.Count(); ++i) model.harmonics.push_back(line.Number(i, 0, 1));
        } else if (key == "noise-g") {
            const double noise = line.Number(1, 0, 100);
            line.NoMoreThan(2);
            for (SensorMounting& sensor : model.channels) sensor.noiseG = noise;
        } else if (key == "channel-noise") {
            const auto range = line.Channels(1);
            const double noise = line.Number(2, 0, 100);
            line.NoMoreThan(3);
            ForChannels(model, range, [noise](SensorMounting& sensor) { sensor.noiseG = noise; });
        } else if (key == "seed") {
            model.seed = static_cast<unsigned>(line.Whole(1, 0, 4294967295.0));
            line.NoMoreThan(2);
        } else if (key == "channel") {
            ReadChannel(line, model);
        } else if (key == "fault") {
            ReadFault(line, model);
        } else if (key == "press") {
            ReadPress(line, model);
        } else if (key == "audio.full-scale-v") {
            model.audioFullScaleVolts = line.Number(1, 0.001, 1000);
            line.NoMoreThan(2);
        } else if (key == "audio.high-pass") {
            model.audioHighPassHz = line.Number(1, 0, 1000);
            line.NoMoreThan(2);
        } else {
            line.Fail("unknown key '" + key + "'");
        }
    }
    if (in.bad()) throw BenchFileError(std::string(source) + ": reading failed after line " + std::to_string(number));
    return model;
}

BenchModel LoadBenchFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) throw BenchFileError("cannot read the bench file " + path.string());
    return ReadBenchFile(in, path.string());
}

} // namespace sim
