#include "files/DataExport.h"

#include "core/ChannelMarks.h"
#include "core/Clock.h"
#include "core/Controller.h"
#include "core/FileErrors.h"
#include "core/FormatMask.h"
#include "core/Latin1.h"
#include "core/NumberText.h"
#include "files/SaveNameQuestions.h"
#include "plot/SweepHistory.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace {

constexpr int HistoryRecords = 900;
constexpr int LastZeroRecord = 1024;

// A row the present test has not stored reads as zeros, whatever an earlier test left.
float HistoryValue(const Controller& c, int row, int column) {
    return row < c.HistoryCount ? c.History.at(row, column) : 0.0f;
}

std::string DateText(const Controller& c) {
    const CalendarDate d = DateFromSerial(c.ports.clock->Today());
    return FormatDate(d.year, d.month, d.day, "yyyy-mm-dd");
}

std::string TimeText(const Controller& c) {
    return FormatTimeOfDay(c.ports.clock->SecondsSinceMidnight() / 86400.0, "hh:mm:ss");
}

// Writes the one sequence of both layouts: numbers and texts in order, records ended.
class DataSink {
public:
    virtual ~DataSink() = default;
    virtual void Number(float value) = 0;
    virtual void Text(const std::string& text) = 0;
    virtual void EndRecord() = 0;
    // The zero records: the clipboard ends them with one more separator.
    virtual void EndZeroRecord() { EndRecord(); }
};

void WriteSequence(const Controller& c, DataSink& out) {
    for (int row = 1; row <= HistoryRecords; ++row) {
        for (int column = 1; column <= 10; ++column) out.Number(HistoryValue(c, row, column));
        out.EndRecord();
    }
    for (int record = HistoryRecords + 1; record <= LastZeroRecord; ++record) {
        for (int column = 1; column <= 10; ++column) out.Number(0.0f);
        out.EndZeroRecord();
    }
    for (int b = 0; b <= 200; ++b) {
        const BreakpointRow& row = c.Breakpoints[b];
        for (const float value : {c.P[b], row.Frequency, row.Mode, row.Level, row.Abort, row.Fifth}) out.Number(value);
        out.Text(row.Comment);
        out.EndRecord();
    }
}

class FileSink final : public DataSink {
public:
    void Number(float value) override { writer_.AddNumber(value); }
    void Text(const std::string& text) override { writer_.AddText(Utf8ToLatin1(text)); }
    void EndRecord() override { writer_.EndRecord(); }
    const std::string& Result() const { return writer_.Text(); }

private:
    FieldWriter writer_;
};

// The clipboard: no quotes, numbers in the regional form, a carriage return alone.
class ClipboardSink final : public DataSink {
public:
    explicit ClipboardSink(char separator) : separator_(separator) {}
    void Number(float value) override { Field(GeneralNumber(static_cast<double>(value), separator_)); }
    void Text(const std::string& text) override { Field(text); }
    void EndRecord() override {
        text_ += '\r';
        first_ = true;
    }
    void EndZeroRecord() override {
        text_ += ',';
        EndRecord();
    }
    const std::string& Result() const { return text_; }

private:
    void Field(const std::string& field) {
        if (!first_) text_ += ',';
        first_ = false;
        text_ += field;
    }
    char separator_;
    std::string text_;
    bool first_ = true;
};

// After the last record, so that a reader of the 1238 records finds them as they were:
// a record for each channel that limited or overloaded by the history row that carries
// it, rows in order, in a row the limiting channels first.
void WriteChannelMarks(const Controller& c, FileSink& out) {
    const int lastRow = std::min(c.HistoryCount - 1, HistoryRecords);
    for (int row = 1; row <= lastRow; ++row) {
        const ChannelMarks& marks = c.HistoryMarks.at(static_cast<std::size_t>(row));
        for (const auto& [kind, mask] :
             {std::pair{"LIMITING", marks.limiting}, std::pair{"OVERLOAD", marks.overload}}) {
            for (int channel = 1; channel <= 16; ++channel) {
                if ((mask & ChannelBit(channel)) == 0) continue;
                out.Text(kind);
                out.Number(static_cast<float>(channel));
                out.Number(static_cast<float>(row));
                out.Number(c.History.at(row, 1));
                out.EndRecord();
            }
        }
    }
}

const std::vector<FileFilter>& ExportFilters() {
    static const std::vector<FileFilter> filters = {{"All Test Data(ZEKDataS.*)", "ZEKDataS.*"},
                                                    {"All Files (*.*)", "*.*"}};
    return filters;
}

} // namespace

std::string DataFileText(const Controller& c) {
    FileSink out;
    WriteSequence(c, out);
    for (const std::string* text :
         {&c.ProfileFileName, &c.Indicators.Item("lblTestTitle").text, &c.AccelModel, &c.AccelSerial}) {
        out.Text(*text);
        out.EndRecord();
    }
    for (const std::string& text : {DateText(c), TimeText(c), GeneralNumber(static_cast<double>(c.ElapsedTimeValue))}) {
        out.Text(text);
        out.EndRecord();
    }
    for (const float value : {c.SweepCounter, c.ControlResponse, c.ControlVelocity, c.ControlDisplacement}) {
        out.Number(value);
        out.EndRecord();
    }
    out.Text(c.SubTitle1);
    out.EndRecord();
    out.Text(c.SubTitle2);
    for (int i = 0; i < 4; ++i) out.Text(" ");
    // A full history is said in one more field of the last record: the records, and
    // every field a reader of the file knows, stay where they are.
    if (HistoryFull(c)) out.Text(HistoryFullNote(c, '.'));
    out.EndRecord();
    WriteChannelMarks(c, out);
    return out.Result();
}

std::string ClipboardDataText(const Controller& c) {
    const char separator = c.DecimalSeparator.size() == 1 ? c.DecimalSeparator[0] : '.';
    ClipboardSink out(separator);
    WriteSequence(c, out);
    const std::string lines[] = {c.ProfileFileName,
                                 c.Indicators.Item("lblTestTitle").text,
                                 c.AccelModel,
                                 c.AccelSerial,
                                 DateText(c),
                                 TimeText(c),
                                 GeneralNumber(static_cast<double>(c.ElapsedTimeValue), separator),
                                 GeneralNumber(static_cast<double>(c.SweepCounter), separator),
                                 GeneralNumber(static_cast<double>(c.ControlResponse), separator),
                                 GeneralNumber(static_cast<double>(c.ControlVelocity), separator),
                                 GeneralNumber(static_cast<double>(c.ControlDisplacement), separator),
                                 c.SubTitle1,
                                 c.SubTitle2 + "  "};
    for (const std::string& line : lines) {
        out.Text(line);
        if (&line == &lines[std::size(lines) - 1] && HistoryFull(c)) out.Text(HistoryFullNote(c, separator));
        out.EndRecord();
    }
    return out.Result();
}

void WriteDataFile(Controller& c) {
    const std::string content = DataFileText(c);
    RunWithFileErrorTrap(c, FileErrorTitle, [&] { ReplaceTextFile(c.ExportFileName, content); });
}

void ExportTestData(Controller& c) {
    c.ExportFileName = c.ports.dialogs->SaveFileName("ZEK-8 Save Test Data", ExportFilters(), ProposedDataName)
                           .value_or(ProposedDataName);
    if (c.ExportFileName.empty() || c.ExportFileName == ProposedDataName) return;
    WriteDataFile(c);
}

void AskExportFileName(Controller& c) {
    static const std::vector<FileFilter> filters = {
        {"All Data (ZEKDataS.*)", "ZEKDataS.*"}, {"All Data (*.dat)", "*.dat"}, {"All Files (*.*)", "*.*"}};
    c.ExportFileName =
        c.ports.dialogs->SaveFileName(" ZEK-8 Auto-Export Data", filters, ProposedDataName).value_or(ProposedDataName);
    c.AutoExportArmed = ConfirmSaveName(c, c.ExportFileName, ProposedDataName);
}

void AutoExportData(Controller& c) {
    if (c.AutoExportArmed) WriteDataFile(c);
}

void CopyDataToClipboard(Controller& c) { c.ports.clipboard->SetText(ClipboardDataText(c)); }
