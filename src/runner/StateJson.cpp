#include "runner/StateJson.h"

#include "core/ChannelMarks.h"
#include "core/Controller.h"
#include "runner/JsonText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <utility>

namespace {

constexpr std::size_t StateLogEvents = 50; // the newest events the state shows

// The grid's texts row by row while its editor is open, else null.
void WriteGrid(std::ostream& out, const EditorGrid& grid, const char* indent) {
    if (!grid.open) {
        out << "null";
        return;
    }
    out << '[';
    for (int row = 0; row <= grid.LastRow(); ++row) {
        out << (row == 0 ? "\n" : ",\n") << indent << "  [";
        for (int column = 0; column <= grid.LastColumn(); ++column) {
            if (column > 0) out << ", ";
            WriteJsonString(out, grid.Cell(row, column));
        }
        out << ']';
    }
    out << '\n' << indent << ']';
}

// The channels of a mask as a list of their numbers.
void WriteChannels(std::ostream& out, std::uint16_t mask) {
    const char* separator = "";
    out << '[';
    for (int channel = 1; channel <= 16; ++channel) {
        if ((mask & ChannelBit(channel)) == 0) continue;
        out << separator << channel;
        separator = ", ";
    }
    out << ']';
}

} // namespace

std::string StateJson(const Controller& c) {
    std::ostringstream out;
    out << "{\n  \"P\": [";
    for (int i = 0; i < ParameterTable::Size; ++i) out << (i == 0 ? "" : ", ") << JsonNumber(c.P[i]);
    out << "],\n  \"breakpoints\": [";
    for (int row = 0; row < BreakpointTable::Rows; ++row) {
        const BreakpointRow& r = c.Breakpoints[row];
        out << (row == 0 ? "\n" : ",\n") << "    {\"frequency\": " << JsonNumber(r.Frequency)
            << ", \"mode\": " << JsonNumber(r.Mode) << ", \"level\": " << JsonNumber(r.Level)
            << ", \"abort\": " << JsonNumber(r.Abort) << ", \"fifth\": " << JsonNumber(r.Fifth) << ", \"comment\": ";
        WriteJsonString(out, r.Comment);
        out << '}';
    }
    const std::pair<const char*, double> values[] = {
        {"ServoOn", c.ServoOn},
        {"SweepRunning", c.SweepRunning},
        {"TestStarted", c.TestStarted},
        {"DemoMode", c.DemoMode},
        {"SweepDirection", c.SweepDirection},
        {"SweepCounter", c.SweepCounter},
        {"CurrentFrequency", c.CurrentFrequency},
        {"ReferenceLevel", c.ReferenceLevel},
        {"DriveOutput", c.DriveOutput},
        {"LevelFactor", c.LevelFactor},
        {"AbortCode", c.AbortCode},
        {"DisplayChannel", c.DisplayChannel},
        {"CycleRate", c.CycleRate},
        {"ControlValue", c.ControlValue},
        {"SmoothedControlValue", c.SmoothedControlValue},
        {"ControlResponse", c.ControlResponse},
        {"ControlVelocity", c.ControlVelocity},
        {"ControlDisplacement", c.ControlDisplacement},
        {"Compression", c.Compression},
        {"ActiveMode", c.ActiveMode},
        {"PeakProfileAcceleration", c.PeakProfileAcceleration},
        {"ElapsedSeconds", c.ElapsedSeconds},
        {"RunSeconds", c.RunSeconds},
        {"HistoryCount", c.HistoryCount},
        {"EightChannelMode", c.EightChannelMode},
        {"SecondBoardActive", c.SecondBoardActive},
    };
    out << "\n  ],\n  \"state\": {";
    for (std::size_t i = 0; i < std::size(values); ++i)
        out << (i == 0 ? "\n    \"" : ",\n    \"") << values[i].first << "\": " << JsonNumber(values[i].second);
    out << ",\n    \"ChannelResponse\": [";
    for (int k = 1; k <= 16; ++k)
        out << (k == 1 ? "" : ", ") << JsonNumber(c.ChannelResponse[static_cast<std::size_t>(k)]);
    out << "],\n    \"AbortMessage\": ";
    WriteJsonString(out, c.AbortMessage);
    out << ",\n    \"ProfileFileName\": ";
    WriteJsonString(out, c.ProfileFileName);
    out << "\n  },\n  \"menus\": {";
    bool first = true;
    for (const MenuEntry& e : c.Menu.Entries()) {
        const std::string name = e.key.index < 0 ? e.key.name : e.key.name + "[" + std::to_string(e.key.index) + "]";
        out << (first ? "\n    " : ",\n    ");
        first = false;
        WriteJsonString(out, name);
        out << ": {\"checked\": " << (e.checked ? "true" : "false")
            << ", \"enabled\": " << (e.enabled ? "true" : "false") << '}';
    }
    out << "\n  },\n  \"panel\": {";
    first = true;
    for (const auto& [name, item] : c.Indicators.Items()) {
        out << (first ? "\n    " : ",\n    ");
        first = false;
        WriteJsonString(out, name);
        out << ": {\"text\": ";
        WriteJsonString(out, item.text);
        out << ", \"visible\": " << (item.visible ? "true" : "false") << '}';
    }
    out << "\n  },\n  \"editor\": ";
    WriteGrid(out, c.Editor, "  ");
    out << ",\n  \"calibration\": [";
    for (int k = 1; k <= 64; ++k)
        out << (k == 1 ? "" : ", ") << JsonNumber(c.CalibrationFactor[static_cast<std::size_t>(k)]);
    out << "],\n  \"limits\": {\"rows\": [";
    for (std::size_t i = 0; i < c.Limits.rows.size(); ++i) {
        const LimitRow& row = c.Limits.rows[i];
        out << (i == 0 ? "\n    " : ",\n    ") << "{\"channel\": " << row.channel
            << ", \"frequency\": " << JsonNumber(row.frequency) << ", \"mode\": " << JsonNumber(row.mode)
            << ", \"level\": " << JsonNumber(row.level) << ", \"abort\": " << JsonNumber(row.abortDb) << '}';
    }
    out << (c.Limits.rows.empty() ? "" : "\n  ") << "], \"limiting\": " << c.LimitingChannel << ", \"editor\": ";
    WriteGrid(out, c.LimitEditor, "    ");
    out << "},\n  \"overload\": {\"now\": ";
    WriteChannels(out, c.OverloadMask);
    out << ", \"seen\": ";
    WriteChannels(out, c.OverloadSeenMask);
    out << "},\n  \"log\": [";
    const auto& events = c.Log.Events();
    const std::size_t shown = std::min<std::size_t>(events.size(), StateLogEvents);
    for (auto event = events.end() - static_cast<std::ptrdiff_t>(shown); event != events.end(); ++event) {
        out << (event == events.end() - static_cast<std::ptrdiff_t>(shown) ? "\n    " : ",\n    ");
        WriteJsonString(out, event->time + '\t' + event->text);
    }
    out << (shown == 0 ? "" : "\n  ") << "]\n}\n";
    return out.str();
}
