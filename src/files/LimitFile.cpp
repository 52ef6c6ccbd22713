#include "files/LimitFile.h"

#include "core/Controller.h"
#include "core/FileErrors.h"
#include "core/NumberText.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

constexpr int FieldsPerRow = 5;

// One line's row; nothing when a field is no number or the count of fields is not five.
std::optional<LimitRow> ReadRow(std::string_view line) {
    FieldReader in(line);
    float fields[FieldsPerRow] = {};
    for (float& field : fields) {
        const std::optional<float> value = in.NextNumber();
        if (!value) return std::nullopt;
        field = *value;
    }
    if (!in.AtEnd()) return std::nullopt;
    return LimitRow{LimitChannelNumber(fields[0]), fields[1], fields[2], fields[3], fields[4]};
}

void RemoveIfPresent(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return;
    if (!std::filesystem::remove(path, error) || error) throw MakeFileError(FileErrorNumber::PermissionDenied);
}

void TellUnreadable(Controller& c, const std::string& path, const std::string& why) {
    c.ports.dialogs->MessageBox("The limit file " + path + " cannot be read: " + why +
                                    "\r\nThe profile is opened without limit channels.",
                                "Limit Channels", MessageButtons::Ok, MessageIcon::Exclamation);
}

} // namespace

std::string LimitFilePath(const std::string& profilePath) { return profilePath + ".lim"; }

int LimitChannelNumber(float value) {
    if (!(value >= 1.0f && value <= static_cast<float>(LimitTable::Channels)) || std::trunc(value) != value) return 0;
    return static_cast<int>(value);
}

LimitFileFault::LimitFileFault(int line, const std::string& what)
    : std::runtime_error("line " + std::to_string(line) + ": " + what), line(line) {}

std::string WriteLimits(const LimitTable& table) {
    FieldWriter out;
    for (const LimitRow& row : table.rows) {
        for (const float value : {static_cast<float>(row.channel), row.frequency, row.mode, row.level, row.abortDb})
            out.AddNumber(value);
        out.EndRecord();
    }
    return out.Text();
}

LimitTable ReadLimits(std::string_view text) {
    LimitTable table;
    std::size_t at = 0;
    int line = 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view record = text.substr(at, end - at);
        at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        ++line;
        const std::optional<LimitRow> row = ReadRow(record);
        if (!row) throw LimitFileFault(line, "a limit row is five numbers.");
        if (std::ssize(table.rows) == LimitTable::Rows) throw LimitFileFault(line, "the table holds 160 rows at most.");
        table.rows.push_back(*row);
    }
    // One row a line: the row at fault is the line at fault.
    if (const std::optional<LimitFault> fault = FindLimitFault(table.rows))
        throw LimitFileFault(fault->row, fault->what);
    return table;
}

void SaveLimitsBeside(Controller& c, const std::string& profilePath) {
    const std::string path = LimitFilePath(profilePath);
    const std::string content = WriteLimits(c.Limits);
    RunWithFileErrorTrap(c, FileErrorTitle, [&] {
        if (c.Limits.rows.empty())
            RemoveIfPresent(path);
        else
            ReplaceTextFile(path, content);
    });
}

void OpenLimitsBeside(Controller& c, const std::string& profilePath) {
    c.Limits = LimitTable{};
    c.LimitingChannel = 0;
    const std::string path = LimitFilePath(profilePath);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return;
    try {
        c.Limits = ReadLimits(ReadDataFile(path));
    } catch (const FileError& fault) {
        TellUnreadable(c, path, "Error # " + std::to_string(fault.number) + " " + fault.description + ".");
    } catch (const LimitFileFault& fault) {
        TellUnreadable(c, path, fault.what());
    }
}
