#include "files/ProfileFile.h"

#include "core/Controller.h"
#include "core/FileErrors.h"
#include "core/Latin1.h"
#include "core/LogEvents.h"
#include "core/MeasurableBand.h"
#include "core/MenuSync.h"
#include "core/NumberText.h"
#include "core/ParameterNames.h"
#include "core/RunCommands.h"
#include "core/StoredText.h"
#include "files/LimitFile.h"
#include "files/ProfileGrid.h"
#include "files/ProfileValues.h"
#include "files/SaveNameQuestions.h"
#include "hardware/BoardLayer.h"
#include "hardware/ConditioningUnit.h"
#include "plot/PlotFrame.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

constexpr int Records = 200;
constexpr int LegacyRecords = 64;

const std::vector<FileFilter>& ProfileFilters() {
    static const std::vector<FileFilter> filters = {
        {"All Profiles (ZEKFileS.*)", "ZEKFileS.*"},
        {"All Profiles (*.prf)", "*.prf"},
        {"All Files (*.*)", "*.*"},
    };
    return filters;
}

// Reads field after field; `ended` tells when the file has no more.
class ProfileReader {
public:
    explicit ProfileReader(std::string_view text) : reader_(text) {}
    bool Ended() const { return reader_.AtEnd(); }
    float Number() {
        const std::optional<float> value = reader_.NextNumber();
        if (value) return *value;
        throw MakeFileError(reader_.LastStatus() == FieldReader::Status::EndOfInput ? FileErrorNumber::InputPastEnd
                                                                                    : FileErrorNumber::TypeMismatch);
    }
    std::string Text() {
        const std::optional<std::string> value = reader_.NextText();
        if (!value) throw MakeFileError(FileErrorNumber::InputPastEnd);
        // One byte a character in the file: a longer text is kept as the controller
        // would have stored it.
        return Latin1ToUtf8(std::string_view(*value).substr(0, LongestStoredText));
    }

private:
    FieldReader reader_;
};

// A text as the file holds it, no longer than a reader takes back.
std::string FileText(const std::string& text) { return Utf8ToLatin1(text).substr(0, LongestStoredText); }

void ReadRecord(ProfileReader& in, int i, ProfileSetUp& s, bool testEachField) {
    BreakpointRow& row = s.Breakpoints[i];
    float* const numbers[] = {&s.P[i], &row.Frequency, &row.Mode, &row.Level, &row.Abort, &row.Fifth};
    for (float* target : numbers) {
        if (testEachField && in.Ended()) return;
        *target = in.Number();
    }
    if (testEachField && in.Ended()) return;
    row.Comment = in.Text();
}

// The older layout ends after its 64 records with three texts, one a record. A record
// of several fields there, or more than three records, is a file of the present layout
// (or none of ours), whose 65th record would come in as the test title.
bool EndsAsLegacyProfile(std::string_view text) {
    int record = 0;
    int textRecords = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (++record <= LegacyRecords || line.find_first_not_of(" \t") == std::string_view::npos) continue;
        if (++textRecords > 3) return false;
        // A comma in a bare field, or after a quoted text's closing quote, starts a
        // second field; a quote never closed runs to the line end.
        std::size_t fieldEnd = 0;
        const std::size_t first = line.find_first_not_of(" \t");
        if (line[first] == '"') {
            const std::size_t close = line.find('"', first + 1);
            fieldEnd = close == std::string_view::npos ? line.size() : close + 1;
        }
        if (line.find(',', fieldEnd) != std::string_view::npos) return false;
    }
    return true;
}

// Reads the next text when the file still has one.
void ReadTextIfAny(ProfileReader& in, std::string& target) {
    if (!in.Ended()) target = in.Text();
}

std::string ReadProfileText(const std::string& path) { return ReadDataFile(path); }

// Asks for a profile name; the proposed name comes back when the dialog is cancelled.
std::string AskProfileName(Controller& c, const char* title, bool save) {
    const auto chosen = save ? c.ports.dialogs->SaveFileName(title, ProfileFilters(), ProposedProfileName)
                             : c.ports.dialogs->OpenFileName(title, ProfileFilters(), ProposedProfileName);
    c.ProfileFileName = chosen.value_or(ProposedProfileName);
    return c.ProfileFileName;
}

bool NoFileChosen(const std::string& name) { return name.empty() || name == ProposedProfileName; }

void Apply(Controller& c, const ProfileSetUp& s) {
    for (int i = 1; i <= Records; ++i) {
        c.P[i] = s.P[i];
        c.Breakpoints[i] = s.Breakpoints[i];
    }
    c.AccelModel = s.accelModel;
    c.AccelSerial = s.accelSerial;
    c.SubTitle1 = s.subTitle1;
    c.SubTitle2 = s.subTitle2;
}

void OpenAnyProfile(Controller& c, const char* title, bool legacy) {
    const std::string path = AskProfileName(c, title, false);
    if (NoFileChosen(path)) return;
    const std::string presentTitle = c.Indicators.Item("lblTestTitle").text;
    // The file is read into a copy: a profile is applied whole or not at all.
    ProfileSetUp read;
    const bool loaded = RunWithFileErrorTrap(c, FileErrorTitle, [&] {
        read = CurrentSetUp(c);
        read.title.reset();
        ReadProfile(ReadProfileText(path), legacy, read);
    });
    if (!loaded) return;
    const auto replaced = ReplaceValuesOutOfRange(read);
    Apply(c, read);
    OpenLimitsBeside(c, path);
    const float first = c.Breakpoints[1].Frequency;
    c.CurrentFrequency = std::isfinite(first) && first > 0.0f ? Band::Held(first, first) : c.P[Param::LowerLimit];
    c.Indicators.SetText("lblTestTitle", read.title.value_or(presentTitle));
    InitialiseHardware(c);
    UpdateCurrentSources(c);
    SetPortBRunLevel(c);
    SyncMenusToTable(c);
    RefreshPlot(c);
    StopTest(c);
    c.Indicators.SetText("lblElapsedTime", " E.T. = 00:00:00");
    LogEvent(c, "Profile opened: " + path);
    TellReplacedValues(c, replaced);
}

} // namespace

ProfileSetUp CurrentSetUp(const Controller& c) {
    ProfileSetUp s;
    s.P = c.P;
    s.Breakpoints = c.Breakpoints;
    s.title = c.Indicators.Item("lblTestTitle").text;
    s.accelModel = c.AccelModel;
    s.accelSerial = c.AccelSerial;
    s.subTitle1 = c.SubTitle1;
    s.subTitle2 = c.SubTitle2;
    return s;
}

std::string WriteProfile(const ProfileSetUp& s) {
    FieldWriter out;
    for (int i = 1; i <= Records; ++i) {
        const BreakpointRow& row = s.Breakpoints[i];
        for (const float value : {s.P[i], row.Frequency, row.Mode, row.Level, row.Abort, row.Fifth})
            out.AddNumber(value);
        out.AddText(FileText(row.Comment));
        out.EndRecord();
    }
    const std::string title = s.title.value_or("");
    for (const std::string* text : {&title, &s.accelModel, &s.accelSerial, &s.subTitle1, &s.subTitle2}) {
        out.AddText(FileText(*text));
        out.EndRecord();
    }
    return out.Text();
}

void ReadProfile(std::string_view text, bool legacy, ProfileSetUp& s) {
    if (legacy && !EndsAsLegacyProfile(text)) throw MakeFileError(FileErrorNumber::TypeMismatch);
    ProfileReader in(text);
    for (int i = 1; i <= (legacy ? LegacyRecords : Records); ++i) ReadRecord(in, i, s, !legacy);
    if (!in.Ended()) s.title = in.Text();
    ReadTextIfAny(in, s.accelModel);
    ReadTextIfAny(in, s.accelSerial);
    if (legacy) return;
    ReadTextIfAny(in, s.subTitle1);
    ReadTextIfAny(in, s.subTitle2);
}

void LoadDefaultProfile(Controller& c) {
    const std::string path = c.StartUpProfilePath.empty() ? WorkingPath(c, DefaultProfileName) : c.StartUpProfilePath;
    const auto title = [](int number) {
        return "Error Loading Default Profile (ZEKFileS.000)\r\n Error # " + std::to_string(number) + " Occured";
    };
    ProfileSetUp read;
    const bool loaded = RunWithFileErrorTrap(c, title, [&] {
        read = CurrentSetUp(c);
        read.title.reset();
        ReadProfile(ReadProfileText(path), false, read);
    });
    if (!loaded) return;
    const auto replaced = ReplaceValuesOutOfRange(read);
    Apply(c, read);
    OpenLimitsBeside(c, path);
    c.ProfileFileName = std::string("     \\") + DefaultProfileName;
    c.Indicators.SetText("lblTestTitle", read.title.value_or(""));
    LogEvent(c, "Profile opened: " + path);
    TellReplacedValues(c, replaced);
}

void SaveProfile(Controller& c) {
    const std::string path = AskProfileName(c, "ZEK-8 Save Profile", true);
    if (EndsInExe(path)) {
        const MessageAnswer answer = c.ports.dialogs->MessageBox(
            "You have chosen EXE as the file extension; do you want to continue to save this file?", "",
            MessageButtons::YesNo, MessageIcon::Critical);
        if (answer == MessageAnswer::No) return;
    }
    if (NoFileChosen(path)) return;
    const std::string content = WriteProfile(CurrentSetUp(c));
    if (!RunWithFileErrorTrap(c, FileErrorTitle, [&] { ReplaceTextFile(path, content); })) return;
    LogEvent(c, "Profile saved: " + path);
    SaveLimitsBeside(c, path);
}

void OpenProfile(Controller& c) { OpenAnyProfile(c, "ZEK-8 Open Profile", false); }

void OpenLegacyProfile(Controller& c) { OpenAnyProfile(c, "ZEK-8 Open Legacy Profile", true); }

void NewProfile(Controller& c) {
    c.Breakpoints[1].Frequency = c.P[Param::LowerLimit];
    c.Breakpoints[2].Frequency = c.P[Param::UpperLimit];
    for (int i = 3; i <= 32; ++i) c.Breakpoints[i].Frequency = 0.0f;
    for (int i = 1; i <= 32; ++i) {
        c.Breakpoints[i].Mode = ProfileMode::Acceleration;
        c.Breakpoints[i].Level = 1.0f;
    }
    RefreshPlot(c);
    StopTest(c);
    LogEvent(c, "New profile");
    ShowProfileEditor(c);
}
