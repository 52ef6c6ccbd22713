#include "files/ReportFile.h"

#include "core/Canvas.h"
#include "core/Controller.h"
#include "core/FileErrors.h"
#include "files/SaveNameQuestions.h"

#include <filesystem>
#include <vector>

namespace {

constexpr const char* ProposedReportName = "ZEKTestS.*";

const std::vector<FileFilter>& ReportFilters() {
    static const std::vector<FileFilter> filters = {
        {"All Reports (ZEKTestS.*)", "ZEKTestS.*"}, {"All Reports (*.rpt)", "*.rpt"}, {"All Files (*.*)", "*.*"}};
    return filters;
}

bool ChooseReportName(Controller& c, const char* title) {
    c.ReportFileName =
        c.ports.dialogs->SaveFileName(title, ReportFilters(), ProposedReportName).value_or(ProposedReportName);
    return ConfirmSaveName(c, c.ReportFileName, ProposedReportName);
}

void SavePicture(Controller& c) {
    RunWithFileErrorTrap(c, FileErrorTitle, [&c] {
        if (c.ReportFileName.empty()) throw MakeFileError(FileErrorNumber::BadFileName);
        if (!c.ports.plot->SaveBmp(c.ReportFileName)) {
            const auto folder = std::filesystem::path(c.ReportFileName).parent_path();
            std::error_code ignored;
            throw MakeFileError(!folder.empty() && !std::filesystem::is_directory(folder, ignored)
                                    ? FileErrorNumber::PathNotFound
                                    : FileErrorNumber::PathFileAccess);
        }
    });
}

} // namespace

void SaveReport(Controller& c) {
    if (ChooseReportName(c, " ZEK-8 Save Test Report")) SavePicture(c);
}

void AskReportFileName(Controller& c) { c.AutoReportArmed = ChooseReportName(c, " ZEK-8 Auto-Save Report"); }

void AutoSaveReport(Controller& c) {
    if (c.AutoReportArmed) SavePicture(c);
}

void OpenReport(Controller& c) {
    const auto chosen = c.ports.dialogs->OpenFileName(" ZEK-8 Open Test Report", ReportFilters(), ProposedReportName);
    c.ProfileFileName = chosen.value_or(ProposedReportName);
    if (c.ProfileFileName.empty() || c.ProfileFileName == ProposedReportName) return;
    const std::string path = c.ProfileFileName;
    const bool loaded = RunWithFileErrorTrap(c, FileErrorTitle, [&c, &path] {
        CheckReadableFile(path);
        if (!c.ports.plot->LoadBmp(path)) throw MakeFileError(481);
    });
    if (loaded) c.PictureLoaded = 1.0f;
}
