#include "runner/RunScript.h"

#include "hardware/TestBench.h"
#include "hardware/jack/AudioSettingsFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>

namespace {

// Words split at blanks; a word in double quotes may hold blanks ("" is empty).
std::vector<std::string> Words(const std::string& line, int number) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        if (line[i] == '#') break;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string::npos)
                throw ScriptError("script line " + std::to_string(number) + ": a quote is not closed");
            words.push_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        const std::size_t end = line.find_first_of(" \t", i);
        words.push_back(line.substr(i, end == std::string::npos ? std::string::npos : end - i));
        i = end == std::string::npos ? line.size() : end;
    }
    return words;
}

// How many arguments each action takes, at least and at most.
const std::map<std::string, std::pair<std::size_t, std::size_t>>& Arity() {
    static const std::map<std::string, std::pair<std::size_t, std::size_t>> arity = {
        {"menu", {1, 64}}, {"key", {1, 1}},    {"button", {1, 1}}, {"spin", {2, 2}},
        {"press", {1, 2}}, {"answer", {1, 1}}, {"remote", {1, 1}}, {"bench", {2, 3}},
        {"click", {2, 2}}, {"editor", {1, 4}}, {"audio", {1, 5}},  {"limits", {1, 4}},
    };
    return arity;
}

// A whole number written as just that, no sign but '-', no blanks, nothing after it.
std::optional<int> WholeWord(const std::string& word) {
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc{} || end != word.data() + word.size()) return std::nullopt;
    return value;
}

} // namespace

std::optional<std::string> BenchActionFault(const std::vector<std::string>& args) {
    const std::string& kind = args.at(0);
    if (kind == "dead" || kind == "saturate") {
        if (args.size() != 2) return "'bench " + kind + "' takes a channel";
        const std::optional<int> channel = WholeWord(args[1]);
        if (!channel || *channel < 1 || *channel > 16) return "a channel is 1 to 16";
        return std::nullopt;
    }
    if (kind == "call") {
        if (args.size() != 3) return "'bench call' takes a function and an error code";
        const auto& names = DaqFunctionNames();
        if (std::find(names.begin(), names.end(), args[1]) == names.end())
            return "no library function is called '" + args[1] + "'";
        const std::optional<int> code = WholeWord(args[2]);
        if (!code) return "'" + args[2] + "' is not a library error code";
        if (*code == 0) return "a failing call needs a code other than 0";
        return std::nullopt;
    }
    return "no bench fault '" + kind + "'";
}

namespace {

// An action on an editor window's grid: one of `buttons` alone, or "cell ROW COL TEXT"
// within rows 1..`rows` and columns 1..`columns`.
std::optional<std::string> GridActionFault(const std::string& action, const std::string& grid,
                                           const std::vector<std::string>& args,
                                           std::initializer_list<std::string_view> buttons, int rows, int columns) {
    const std::string& step = args.at(0);
    for (const std::string_view button : buttons)
        if (step == button)
            return args.size() == 1 ? std::nullopt
                                    : std::optional<std::string>("'" + action + " " + step + "' takes nothing more");
    if (step != "cell") return "no " + action + " action '" + step + "'";
    if (args.size() != 4) return "'" + action + " cell' takes a row, a column and a text";
    const std::optional<int> row = WholeWord(args[1]);
    const std::optional<int> column = WholeWord(args[2]);
    if (!row || *row < 1 || *row > rows || !column || *column < 1 || *column > columns)
        return "a cell of the " + grid + " is in rows 1 to " + std::to_string(rows) + ", columns 1 to " +
               std::to_string(columns);
    return std::nullopt;
}

} // namespace

std::optional<std::string> EditorActionFault(const std::vector<std::string>& args) {
    return GridActionFault("editor", "editor", args, {"open", "update", "breakpoints", "close"}, 100, 6);
}

std::optional<std::string> LimitsActionFault(const std::vector<std::string>& args) {
    return GridActionFault("limits", "limit table", args, {"open", "update", "close"}, 160, 5);
}

std::optional<std::string> AudioActionFault(const std::vector<std::string>& args) {
    if (args.at(0) == "save")
        return args.size() == 1 ? std::nullopt : std::optional<std::string>("'audio save' takes nothing more");
    if (args.at(0) == "calibrate") {
        if (args.size() > 2) return "'audio calibrate' takes at most the loop-back input";
        const std::optional<int> input = args.size() == 2 ? WholeWord(args[1]) : std::optional<int>(1);
        if (!input || *input < 1 || *input > 16) return "the loop-back input is 1 to 16";
        return std::nullopt;
    }
    AudioInterfaceSettings scratch;
    return ApplyAudioSetting(args, scratch);
}

std::optional<double> ScriptNumber(std::string_view word) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc{} || end != word.data() + word.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::vector<ScriptAction> ReadRunScript(std::istream& in) {
    std::vector<ScriptAction> actions;
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        std::vector<std::string> words = Words(text, number);
        if (words.empty()) continue;
        const auto fail = [number](const std::string& what) {
            throw ScriptError("script line " + std::to_string(number) + ": " + what);
        };
        const double seconds = ScriptNumber(words[0]).value_or(-1.0);
        if (seconds < 0.0) fail("'" + words[0] + "' is not a time in seconds");
        if (words.size() < 2) fail("an action is missing after the time");
        ScriptAction action{seconds, words[1], {words.begin() + 2, words.end()}, number};
        const auto arity = Arity().find(action.action);
        if (arity == Arity().end()) fail("unknown action '" + action.action + "'");
        if (action.args.size() < arity->second.first || action.args.size() > arity->second.second)
            fail("'" + action.action + "' takes " + std::to_string(arity->second.first) +
                 (arity->second.first == arity->second.second ? "" : " or more") + " arguments");
        // Checked here, so a script with a bad press fails before any of it runs.
        if (action.action == "click" && !(ScriptNumber(action.args[0]) && ScriptNumber(action.args[1])))
            fail("'click' takes two numbers, X and Y on the plot");
        if (action.action == "bench") {
            if (const auto fault = BenchActionFault(action.args)) fail(*fault);
        }
        if (action.action == "editor") {
            if (const auto fault = EditorActionFault(action.args)) fail(*fault);
        }
        if (action.action == "audio") {
            if (const auto fault = AudioActionFault(action.args)) fail(*fault);
        }
        if (action.action == "limits") {
            if (const auto fault = LimitsActionFault(action.args)) fail(*fault);
        }
        actions.push_back(std::move(action));
    }
    std::stable_sort(actions.begin(), actions.end(),
                     [](const ScriptAction& a, const ScriptAction& b) { return a.seconds < b.seconds; });
    return actions;
}

std::vector<ScriptAction> ReadRunScriptFile(const std::string& path) {
    const auto refuse = [&path](const std::string& why) {
        throw ScriptError("cannot read the script " + path + ": " + why);
    };
    // A folder opens as a stream that only fails on its first read, which would pass for
    // an empty script.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) refuse("it is a folder");
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) refuse(errno != 0 ? std::strerror(errno) : "it cannot be opened");
    std::vector<ScriptAction> actions = ReadRunScript(in);
    if (in.bad()) refuse("reading it failed");
    return actions;
}
