#include "files/RecordExport.h"
#include "core/Controller.h"
#include "core/Dialogs.h"
#include "core/FileErrors.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <regex>

namespace {

std::string IdDate(int year, int month, int day, int hour, int minute, int second) {
    static constexpr std::array<const char*, 12> Months = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                           "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%s-%02d %02d:%02d:%02d", day, Months[(month + 11) % 12], year % 100, hour,
                  minute, second);
    return text;
}

std::string LastChange(const std::filesystem::path& file) {
    std::error_code failed;
    const auto changed = std::filesystem::last_write_time(file, failed);
    if (failed) return {};
    const std::time_t when = std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(changed));
    std::tm local{};
    localtime_r(&when, &local);
    return IdDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

} // namespace

RecordIdentity IdentityOfRecordFolder(const std::string& folder) {
    const std::filesystem::path path = std::filesystem::path(folder).lexically_normal();
    const std::string name = (path.has_filename() ? path : path.parent_path()).filename().string();
    static const std::regex Named(R"((\d{4})-(\d\d)-(\d\d)_(\d\d)-(\d\d)-(\d\d)(?:_(.*))?)");
    std::smatch part;
    if (!std::regex_match(name, part, Named)) return {name, LastChange(path / RecordCsvName), name};
    const auto at = [&](int i) { return std::stoi(part[i].str()); };
    return {part[7].str(), IdDate(at(1), at(2), at(3), at(4), at(5), at(6)), name};
}

void WriteRecordUff(const std::string& folder) {
    const std::filesystem::path path(folder);
    const RecordTable record = ReadRecordCsv((path / RecordCsvName).string());
    ReplaceTextFile((path / RecordUffName).string(), Uff58Text(record, IdentityOfRecordFolder(folder)));
}

void ExportTestRecord(Controller& c) {
    const std::string proposed = c.RecordFolder.empty()
                                     ? WorkingPath(c, std::string("records/") + RecordCsvName)
                                     : (std::filesystem::path(c.RecordFolder) / RecordCsvName).string();
    const auto chosen = c.ports.dialogs->OpenFileName(
        "ZEK-8 Export Test Record", {{"Test Record (record.csv)", RecordCsvName}, {"All Files (*.*)", "*.*"}},
        proposed);
    if (!chosen || chosen->empty()) return;
    // The record's file or its folder may be chosen.
    std::error_code failed;
    const std::filesystem::path path(*chosen);
    const std::string folder =
        std::filesystem::is_directory(path, failed) ? path.string() : path.parent_path().string();
    try {
        RunWithFileErrorTrap(c, FileErrorTitle, [&] { WriteRecordUff(folder); });
    } catch (const RecordCsvFault& fault) {
        c.ports.dialogs->MessageBox((std::filesystem::path(folder) / RecordCsvName).string() + ", " + fault.what(),
                                    "Test Record Not Read", MessageButtons::Ok, MessageIcon::Exclamation);
    }
}
