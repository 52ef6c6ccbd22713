#include "files/TestRecord.h"

#include "core/Clock.h"
#include "core/Controller.h"
#include "core/FileErrors.h"
#include "core/ParameterNames.h"
#include "core/Units.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The file behind the record: the rows gathered, and a descriptor opened for appending.
class TestRecordFile {
public:
    TestRecordFile(int fd, std::int64_t startMs) : startMs(startMs), flushedMs(startMs), fd_(fd) {}
    ~TestRecordFile() {
        Flush();
        ::close(fd_);
    }
    TestRecordFile(const TestRecordFile&) = delete;
    TestRecordFile& operator=(const TestRecordFile&) = delete;

    void Append(std::string_view text) { buffer_ += text; }

    // Hands the rows to the system: 0, or the errno of what failed. A file no longer in
    // any folder (its folder removed) takes writes that reach nobody: that is ENOENT.
    int Flush() {
        std::size_t done = 0;
        while (done < buffer_.size()) {
            const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return written < 0 ? errno : ENOSPC;
            done += static_cast<std::size_t>(written);
        }
        buffer_.clear();
        struct stat info {};
        if (::fstat(fd_, &info) != 0) return errno;
        return info.st_nlink == 0 ? ENOENT : 0;
    }

    const std::int64_t startMs;
    std::int64_t flushedMs;

private:
    const int fd_;
    std::string buffer_;
};

namespace {

constexpr std::size_t LongestTitle = 40;
constexpr int MostAttempts = 10000;
constexpr std::int64_t FlushIntervalMs = 1000;

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

// One '_' a character: a UTF-8 sequence is one character, its continuation bytes none.
std::string CleanTitle(std::string_view title) {
    std::string clean;
    for (const char ch : title) {
        if (clean.size() == LongestTitle) break;
        const auto byte = static_cast<unsigned char>(ch);
        if ((byte & 0xC0) == 0x80) continue;
        const bool kept = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                          (byte >= '0' && byte <= '9') || byte == '-' || byte == '_';
        clean += kept ? ch : '_';
    }
    return clean;
}

// The shortest text that reads back to the same number, with '.' whatever the locale.
template <typename Number>
std::string ShortestText(Number value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

bool Metric(const Controller& c) { return c.P[Param::UnitsSystem] == 1.0f; }

// An acceleration in G in the profile's unit, as the controller converts it.
float InProfileUnit(const Controller& c, float g) {
    return Metric(c) ? static_cast<float>(static_cast<double>(g) * Unit::MetresPerSecondSquaredPerG) : g;
}

// Worked in double, so a drive of 0.001094 reads 0.1094 and not the float product's tail.
float Percent(float fraction) { return static_cast<float>(static_cast<double>(fraction) * 100.0); }

// The one-way pass under way: the half-sweep counter stands at 1 through the first pass
// up, 1.5 through the pass down and so on; before the sweep first moves it is the first.
int PassNumber(float sweepCounter) {
    const float pass = std::floor(2.0f * sweepCounter) - 1.0f;
    return pass >= 1.0f && pass < 1e9f ? static_cast<int>(pass) : 1;
}

const char* DirectionWord(const Controller& c) {
    if (c.DwellActive == 1) return "dwell";
    return c.SweepDirection == 1.0f ? "down" : "up";
}

std::string FaultReason(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return "DISK FULL";
    case EACCES:
    case EPERM:
        return "NO PERMISSION";
    case EROFS:
        return "READ-ONLY DISK";
    case ENOENT:
    case ENOTDIR:
        return "FOLDER GONE";
    default:
        return "CANNOT WRITE";
    }
}

// The record of this test ends; the panel says why until the next test starts.
void RecordFailed(Controller& c, int error) {
    c.Record.reset();
    c.Indicators.SetText("lblRecord", " RECORD: " + FaultReason(error));
    c.Indicators.SetVisible("lblRecord", true);
}

void FlushNow(Controller& c, std::int64_t nowMs) {
    if (!c.Record) return;
    c.Record->flushedMs = nowMs;
    if (const int error = c.Record->Flush(); error != 0) RecordFailed(c, error);
}

int MakeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno; }

} // namespace

std::string RecordFolderName(double daySerial, double secondsSinceMidnight, std::string_view title, int attempt) {
    const CalendarDate date = DateFromSerial(daySerial);
    const int seconds = static_cast<int>(std::floor(secondsSinceMidnight));
    std::string name = std::to_string(date.year) + "-" + TwoDigits(date.month) + "-" + TwoDigits(date.day) + "_" +
                       TwoDigits(seconds / 3600) + "-" + TwoDigits(seconds / 60 % 60) + "-" + TwoDigits(seconds % 60);
    const std::string clean = CleanTitle(title);
    if (!clean.empty()) name += "_" + clean;
    if (attempt > 1) name += "-" + std::to_string(attempt);
    return name;
}

std::string OpenRecordFolder(Controller& c) {
    if (!c.KeepTestRecord || !c.RecordFolder.empty()) return c.RecordFolder;
    const std::string records = WorkingPath(c, RecordsFolder);
    if (const int error = MakeFolder(records); error != 0 && error != EEXIST) {
        RecordFailed(c, error);
        return "";
    }
    const Clock& clock = *c.ports.clock;
    const double day = clock.Today();
    const double seconds = clock.SecondsSinceMidnight();
    const std::string& title = c.Indicators.Item("lblTestTitle").text;
    int error = EEXIST;
    for (int attempt = 1; attempt <= MostAttempts && error == EEXIST; ++attempt) {
        const std::string path = records + "/" + RecordFolderName(day, seconds, title, attempt);
        error = MakeFolder(path);
        if (error == 0) c.RecordFolder = path;
    }
    if (error != 0) RecordFailed(c, error);
    return c.RecordFolder;
}

void StartTestRecord(Controller& c) {
    CloseTestRecord(c);
    c.RecordFolder.clear();
    if (!c.KeepTestRecord) return;
    if (c.Indicators.Item("lblRecord").visible) c.Indicators.SetVisible("lblRecord", false);
    const std::string folder = OpenRecordFolder(c);
    if (folder.empty()) return;
    const std::string path = folder + "/" + RecordFileName;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        RecordFailed(c, errno);
        return;
    }
    c.Record = std::make_shared<TestRecordFile>(fd, c.ports.clock->TickMs());
    c.Record->Append(RecordHeader(c));
    FlushNow(c, c.Record->startMs);
}

void WriteRecordRow(Controller& c) {
    if (!c.Record) return;
    c.Record->Append(RecordRow(c, static_cast<double>(c.CycleStartMs - c.Record->startMs) / 1000.0));
    if (c.CycleStartMs - c.Record->flushedMs >= FlushIntervalMs) FlushNow(c, c.CycleStartMs);
}

void FlushTestRecord(Controller& c) {
    if (c.Record) FlushNow(c, c.ports.clock->TickMs());
}

void CloseTestRecord(Controller& c) {
    FlushTestRecord(c);
    c.Record.reset();
}

std::string RecordHeader(const Controller& c) {
    const std::string unit = Metric(c) ? " (m/s^2)" : " (G)";
    std::string header =
        "Time (s),Sweep,Direction,Frequency (Hz),Reference" + unit + ",Control" + unit + ",Drive (%),Compression (dB)";
    for (int k = 1; k <= ActiveChannelCount(c); ++k) header += ",Ch" + std::to_string(k) + unit;
    return header + ",Limiting,Overload\n";
}

std::string RecordRow(const Controller& c, double seconds) {
    std::string row = ShortestText(seconds) + "," + std::to_string(PassNumber(c.SweepCounter)) + "," +
                      DirectionWord(c) + "," + ShortestText(c.CurrentFrequency) + "," +
                      ShortestText(InProfileUnit(c, c.ReferenceLevel)) + "," +
                      ShortestText(InProfileUnit(c, c.ControlValue)) + "," + ShortestText(Percent(c.DriveOutput)) +
                      "," + ShortestText(c.Compression);
    for (int k = 1; k <= ActiveChannelCount(c); ++k)
        row += "," + ShortestText(InProfileUnit(c, c.ChannelResponse[static_cast<std::size_t>(k)]));
    return row + "," + std::to_string(c.LimitingChannel) + "," + std::to_string(c.OverloadMask) + "\n";
}
