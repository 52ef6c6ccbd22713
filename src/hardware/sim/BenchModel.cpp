#include "hardware/sim/BenchModel.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

class LineReader {
public:
    LineReader(int number, std::vector<std::string> words) : number_(number), words_(std::move(words)) {}

    [[noreturn]] void Fail(const std::string& what) const {
        throw BenchFileError("bench file line " + std::to_string(number_) + ": " + what);
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
            Fail("'" + text + "' is outside " + std::to_string(lowest) + " .. " + std::to_string(highest));
        return value;
    }
    void NoMoreThan(std::size_t count) const {
        if (words_.size() > count) Fail("unexpected '" + words_[count] + "'");
    }

private:
    int number_;
    std::vector<std::string> words_;
};

void ReadChannel(const LineReader& line, BenchModel& model) {
    SensorMounting& sensor = model.channels[static_cast<std::size_t>(line.Number(1, 1, 16)) - 1];
    const std::string& mount = line.Word(2);
    std::size_t next = 3;
    if (mount == "table") {
        sensor.onSpecimen = false;
    } else if (mount == "specimen") {
        sensor.onSpecimen = true;
        sensor.modeHz = static_cast<float>(line.Number(3, 0.1, 1e5));
        sensor.modeQ = static_cast<float>(line.Number(4, 0.5, 1000));
        next = 5;
    } else {
        line.Fail("a channel sits on 'table' or 'specimen', not '" + mount + "'");
    }
    sensor.sensitivity = static_cast<float>(line.Number(next, 0.001, 1e4));
    sensor.needsCurrent = false;
    if (line.Count() > next + 1) {
        if (line.Word(next + 1) != "current") line.Fail("unexpected '" + line.Word(next + 1) + "'");
        sensor.needsCurrent = true;
    }
    line.NoMoreThan(next + 2);
}

void ReadFault(const LineReader& line, BenchModel& model) {
    const std::string& kind = line.Word(1);
    if (kind == "board-missing") {
        model.masterPresent = false;
        line.NoMoreThan(2);
    } else if (kind == "slave-missing") {
        model.slavePresent = false;
        line.NoMoreThan(2);
    } else if (kind == "library-missing") {
        model.libraryLoadable = false;
        line.NoMoreThan(2);
    } else if (kind == "call") {
        CallFault fault{line.Word(2), static_cast<int>(line.Number(3, 1, 1e9)), 1};
        if (line.Count() > 4) {
            if (line.Word(4) != "from") line.Fail("expected 'from N'");
            fault.fromCall = static_cast<int>(line.Number(5, 1, 1e9));
        }
        line.NoMoreThan(6);
        model.callFaults.push_back(fault);
    } else if (kind == "sensor") {
        SensorMounting& sensor = model.channels[static_cast<std::size_t>(line.Number(2, 1, 16)) - 1];
        const std::string& what = line.Word(3);
        const double at = line.Number(4, 0, 1e9);
        if (what == "dead") {
            sensor.deadFromSeconds = at;
        } else if (what == "saturate") {
            sensor.saturatedFromSeconds = at;
        } else {
            line.Fail("a sensor goes 'dead' or 'saturate', not '" + what + "'");
        }
        line.NoMoreThan(5);
    } else {
        line.Fail("unknown fault '" + kind + "'");
    }
}

} // namespace

BenchModel DefaultBenchModel() {
    BenchModel model;
    model.channels[1] = {true, 180.0f, 8.0f, 10.0f, false, {}, {}};
    model.channels[2] = {true, 900.0f, 12.0f, 10.0f, false, {}, {}};
    return model;
}

BenchModel ReadBenchFile(std::istream& in) {
    BenchModel model = DefaultBenchModel();
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        std::vector<std::string> words = Words(text);
        if (words.empty()) continue;
        const LineReader line(number, words);
        const std::string& key = words[0];
        if (key == "shaker.full-drive-g") {
            model.fullDriveG = static_cast<float>(line.Number(1, 0.001, 1e4));
            line.NoMoreThan(2);
        } else if (key == "shaker.suspension" || key == "shaker.armature") {
            const bool suspension = key == "shaker.suspension";
            (suspension ? model.suspensionHz : model.armatureHz) = static_cast<float>(line.Number(1, 0.1, 1e5));
            (suspension ? model.suspensionQ : model.armatureQ) = static_cast<float>(line.Number(2, 0.5, 1000));
            line.NoMoreThan(3);
        } else if (key == "noise-g") {
            model.noiseG = static_cast<float>(line.Number(1, 0, 100));
            line.NoMoreThan(2);
        } else if (key == "distortion") {
            model.distortion = static_cast<float>(line.Number(1, 0, 1));
            line.NoMoreThan(2);
        } else if (key == "seed") {
            model.seed = static_cast<unsigned>(line.Number(1, 0, 4294967295.0));
            line.NoMoreThan(2);
        } else if (key == "channel") {
            ReadChannel(line, model);
        } else if (key == "fault") {
            ReadFault(line, model);
        } else {
            line.Fail("unknown key '" + key + "'");
        }
    }
    return model;
}

BenchModel LoadBenchFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw BenchFileError("cannot read the bench file " + path);
    return ReadBenchFile(in);
}
