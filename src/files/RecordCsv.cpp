#include "files/RecordCsv.h"
#include "core/FileErrors.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

// Far beyond the longest test's record; a larger file is no record of ours.
constexpr std::size_t LargestRecord = std::size_t{1} << 30;

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A header field "Name (unit)" split into its name and unit; a name alone has none.
struct Column {
    std::string name;
    std::string unit;
};

Column ParseColumn(std::string_view field) {
    const std::size_t open = field.find(" (");
    if (open == std::string_view::npos || field.back() != ')') return {std::string(field), {}};
    return {std::string(field.substr(0, open)), std::string(field.substr(open + 2, field.size() - open - 3))};
}

// The channel of a column named "ChN", or nothing.
std::optional<int> ChannelOf(const std::string& name) {
    if (name.size() < 3 || name.compare(0, 2, "Ch") != 0) return std::nullopt;
    const auto channel = ParseNumber<int>(std::string_view(name).substr(2));
    if (!channel || *channel < 1) return std::nullopt;
    return channel;
}

// Where each column of the record stands in the header, with the units the record
// is written in.
class HeaderLayout {
public:
    HeaderLayout(std::string_view line, RecordTable& table) {
        const std::vector<std::string_view> fields = SplitFields(line);
        count_ = fields.size();
        std::vector<std::string> names;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const Column column = ParseColumn(fields[i]);
            if (std::find(names.begin(), names.end(), column.name) != names.end())
                throw RecordCsvFault(1, "the column " + column.name + " is named twice");
            names.push_back(column.name);
            if (const auto channel = ChannelOf(column.name)) {
                if (!table.channels.empty() && *channel <= table.channels.back())
                    throw RecordCsvFault(1, "the channels are not in ascending order at " + column.name);
                table.channels.push_back(*channel);
                channelColumns_.push_back(i);
                RequireAcceleration(column, table);
            } else {
                columns_.push_back({column, i});
            }
        }
        time_ = Find("Time", "s");
        sweep_ = Find("Sweep", "");
        direction_ = Find("Direction", "");
        frequency_ = Find("Frequency", "Hz");
        drive_ = Find("Drive", "%");
        compression_ = Find("Compression", "dB");
        limiting_ = Find("Limiting", "");
        overload_ = Find("Overload", "");
        reference_ = FindAcceleration("Reference", table);
        control_ = FindAcceleration("Control", table);
        if (table.channels.empty()) throw RecordCsvFault(1, "no channel column (Ch1 ...)");
    }

    RecordRow Row(std::string_view line, int number) const {
        const std::vector<std::string_view> fields = SplitFields(line);
        if (fields.size() != count_)
            throw RecordCsvFault(number, std::to_string(fields.size()) + " fields where the header has " +
                                             std::to_string(count_));
        const auto number_of = [&](std::size_t column) {
            const auto value = ParseNumber<float>(fields[column]);
            if (!value) throw RecordCsvFault(number, "\"" + std::string(fields[column]) + "\" is no number");
            return *value;
        };
        const auto whole = [&](std::size_t column) {
            const auto value = ParseNumber<int>(fields[column]);
            if (!value || *value < 0)
                throw RecordCsvFault(number, "\"" + std::string(fields[column]) + "\" is no whole number");
            return *value;
        };
        RecordRow row;
        row.time = number_of(time_);
        row.sweep = whole(sweep_);
        const std::string_view direction = fields[direction_];
        if (direction == "up")
            row.direction = SweepDirection::Up;
        else if (direction == "down")
            row.direction = SweepDirection::Down;
        else if (direction == "dwell")
            row.direction = SweepDirection::Dwell;
        else
            throw RecordCsvFault(number, "the direction \"" + std::string(direction) + "\" is none of up, down, dwell");
        row.frequency = number_of(frequency_);
        row.reference = number_of(reference_);
        row.control = number_of(control_);
        row.drive = number_of(drive_);
        row.compression = number_of(compression_);
        for (const std::size_t column : channelColumns_) row.responses.push_back(number_of(column));
        row.limiting = whole(limiting_);
        row.overload = whole(overload_);
        return row;
    }

private:
    std::size_t Find(const std::string& name, const std::string& unit) const {
        for (const auto& [column, index] : columns_) {
            if (column.name != name) continue;
            if (column.unit != unit)
                throw RecordCsvFault(1, "the column " + name + " is in (" + column.unit + "), not (" + unit + ")");
            return index;
        }
        throw RecordCsvFault(1, "no column " + name);
    }

    std::size_t FindAcceleration(const std::string& name, RecordTable& table) const {
        for (const auto& [column, index] : columns_) {
            if (column.name != name) continue;
            RequireAcceleration(column, table);
            return index;
        }
        throw RecordCsvFault(1, "no column " + name);
    }

    // Every acceleration of the record is in the one unit of its unit system.
    static void RequireAcceleration(const Column& column, RecordTable& table) {
        if (column.unit != "G" && column.unit != "m/s^2")
            throw RecordCsvFault(1, "the column " + column.name + " is in (" + column.unit + "), not G or m/s^2");
        if (table.accelerationUnit.empty()) table.accelerationUnit = column.unit;
        if (column.unit != table.accelerationUnit)
            throw RecordCsvFault(1, "the column " + column.name + " is in (" + column.unit + "), the others in (" +
                                        table.accelerationUnit + ")");
    }

    std::vector<std::pair<Column, std::size_t>> columns_;
    std::vector<std::size_t> channelColumns_;
    std::size_t count_ = 0;
    std::size_t time_ = 0, sweep_ = 0, direction_ = 0, frequency_ = 0, reference_ = 0, control_ = 0, drive_ = 0,
                compression_ = 0, limiting_ = 0, overload_ = 0;
};

} // namespace

RecordCsvFault::RecordCsvFault(int line, const std::string& what)
    : std::runtime_error("line " + std::to_string(line) + ": " + what), line(line) {}

RecordTable ParseRecordCsv(std::string_view text) {
    RecordTable table;
    std::optional<HeaderLayout> header;
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        const bool ended = end != std::string_view::npos;
        std::string_view line = text.substr(start, ended ? end - start : std::string_view::npos);
        start = ended ? end + 1 : text.size();
        ++number;
        // A spreadsheet that saved the file again may have ended its lines with CR LF.
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!header) {
            header.emplace(line, table);
            continue;
        }
        try {
            table.rows.push_back(header->Row(line, number));
        } catch (const RecordCsvFault&) {
            if (ended) throw;
        }
    }
    if (!header) throw RecordCsvFault(1, "the file is empty");
    return table;
}

RecordTable ReadRecordCsv(const std::string& path) {
    const std::string text = ReadFileHead(path, LargestRecord + 1);
    if (text.size() > LargestRecord) throw MakeFileError(FileErrorNumber::PathFileAccess);
    return ParseRecordCsv(text);
}
