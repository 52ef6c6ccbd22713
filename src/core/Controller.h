#pragma once

#include "core/BreakpointTable.h"
#include "core/ChannelMarks.h"
#include "core/Clipboard.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/EventLog.h"
#include "core/HistoryTable.h"
#include "core/LimitTable.h"
#include "core/Menus.h"
#include "core/Panel.h"
#include "core/ParameterNames.h"
#include "core/ParameterTable.h"
#include "core/Picture.h"
#include "core/PlotState.h"
#include "core/Printer.h"
#include "core/ProfileEditorState.h"
#include "core/Shell.h"
#include "core/Units.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class DaqLibrary;
class LabNetwork;
class StreamHealth;
class TestRecordFile;

// What the controller talks to outside itself. The program that hosts the core
// fills these in before start-up; none may be left empty.
struct Ports {
    Clock* clock = nullptr;
    Dialogs* dialogs = nullptr;
    Picture* plot = nullptr; // the plot area picPlot
    Clipboard* clipboard = nullptr;
    Shell* shell = nullptr;
    DaqLibrary* daq = nullptr; // the acquisition library, or a backend in its place
    Printer* printer = nullptr;
    // What stands behind the USB interface item, in the acquisition library's shape;
    // null when the program has none (then that item opens nothing).
    DaqLibrary* usbDaq = nullptr;
    // The stream behind `usbDaq`, when it is one; null otherwise.
    const StreamHealth* usbStream = nullptr;
    // The link to the lab network's broker; null when this station is on none.
    LabNetwork* network = nullptr;
};

// Everything the controller knows, in one place and under its own names. Values are
// single precision unless a counter must keep counting for a whole endurance test.
class CycleObserver;

struct Controller {
    Ports ports;
    CycleObserver* cycleObserver = nullptr;
    // Where a cycle step leaves what it asks or tells the operator while a driver that
    // defers it runs the cycle (core/AfterCycle.h); null otherwise.
    std::vector<std::function<void(Controller&)>>* WorkAfterCycle = nullptr;

    ParameterTable P;
    BreakpointTable Breakpoints;
    HistoryTable History;
    Menus Menu;
    Panel Indicators;

    // Run state.
    float ServoOn = 0.0f;
    float SweepRunning = 0.0f;
    float TestStarted = 0.0f;
    float DemoMode = 0.0f;
    float SweepDirection = 0.0f; // 1 down, 2 up
    float SweepCounter = 0.0f;   // half sweeps
    float CurrentFrequency = 0.0f;
    float ProfileLastFrequency = 0.0f;
    float ReferenceLevel = 0.0f;
    float DriveOutput = 0.0f;
    float LevelFactor = 0.0f;
    float AbortCode = 0.0f;
    float DisplayChannel = 0.0f;
    float CycleRate = 0.0f;
    std::string DecimalSeparator; // what the displays and files write as decimal point
    // The desktop's decimal point, with which the operator's prompt answers are read;
    // taken from the locale at start-up.
    char PromptDecimalPoint = '.';
    std::string ProfileFileName;
    std::string WorkingFolder; // of "ZEKFileS.000" and "ZEK8Cal.Dat"; empty = the current folder
    // Other files in their place, chosen by whoever starts the controller; empty = the
    // files of the working folder.
    std::string StartUpProfilePath;
    std::string CalibrationPath;

    // Run time. Interval starts are monotonic seconds of the clock, so nothing
    // stalls or fires early at midnight.
    double ElapsedSeconds = 0.0;
    double RunSeconds = 0.0;
    double SegmentStartTime = 0.0;
    double StepStartTime = 0.0;
    double TestStartDate = 0.0;
    float DayRolloverSeconds = 0.0f;
    float ElapsedTimeValue = 0.0f; // fraction of a day
    std::string ElapsedTimePrefix; // message prefix of the elapsed-time line

    // Control cycle.
    int CycleCounter = 0;
    double RunCycleCount = 0.0;
    std::int64_t CycleStartMs = 0;
    int TimerInterval = 100; // tmrUpdate's interval, ms: also the cycle period
    bool TimerEnabled = true;

    int RunInputsPressed = 0; // port C buttons held at the last poll, bit 0 = Servo On

    // Remote-control file.
    float RemoteCommandCode = 0.0f;
    float RemoteDriveOverride = 0.0f;
    float RemoteDriveLevel = 0.0f;
    float RemoteFrequencyOverride = 0.0f;
    float RemoteFrequency = 0.0f;
    // Whether the outside program ever sent a level or a frequency: an override of a
    // value never received is not put in force.
    bool RemoteDriveLevelReceived = false;
    bool RemoteFrequencyReceived = false;
    std::string RemoteKey;
    std::string RemoteControlPath; // empty: no remote-control file at all
    // The file as the controller last left it, so that its own record is not read
    // back as a new command.
    struct FileIdentity {
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t modifiedNs = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    std::optional<FileIdentity> RemoteFileWritten;
    // The outside program's record last taken: when the controller cannot put its own
    // record in its place, the same record is still there on the next cycle and must
    // not act again.
    std::optional<FileIdentity> RemoteRecordTaken;
    bool RemoteWriteFailing = false; // told on the panel until a write succeeds again

    // The lab network's switches: the status published, and commands other than Stop
    // taken from it (off until the operator ticks it).
    bool NetworkPublishStatus = true;
    bool NetworkAcceptCommands = false;

    // Engine values read by the display, the history and the files.
    std::array<float, 17> ChannelResponse{}; // channels 1..16, G peak
    float ControlResponse = 0.0f;
    float ControlVelocity = 0.0f;
    float ControlDisplacement = 0.0f;
    float Compression = 0.0f;
    float ActiveMode = 0.0f;
    float ProfileLevel = 0.0f;
    float PeakProfileAcceleration = 0.0f;
    std::int16_t DwellActive = 0;
    float DwellDuration = 0.0f;
    std::int16_t DetectorWindowLength = 0;

    // Channels and calibration.
    std::int16_t EightChannelMode = 0;
    std::int16_t SecondBoardActive = 0;
    std::array<float, 65> CalibrationFactor{}; // 1..64 stored, 1..16 used
    std::int16_t BoardSetting = 0;

    // History of sweep points.
    int HistoryCount = 0;
    float LastStoredFrequency = 0.0f;
    // SweepCounter when the first and the last stored rows were taken: which sweeps the
    // history holds once it is full.
    float HistoryFirstSweep = 0.0f;
    float HistoryLastSweep = 0.0f;

    // Display, picture and printing.
    int BannerSelector = 0;
    int PlotFrameStyle = 0;
    int PrintColorMode = 1; // 2 colour, 1 monochrome
    float PictureLoaded = 0.0f;
    PlotState Plot;
    ProfileEditorState Editor;
    // The limit table's editor: a row for each limit row the table can hold, the
    // channel, frequency, mode, level and abort margin in columns 1..5.
    EditorGrid LimitEditor{LimitTable::Rows + 1, 6};
    std::array<float, 5> PrintPenPositions{}; // one horizontal, four vertical

    // Board layer: handles, the acquisition arrays and the channel scales.
    std::int32_t BoardHandle = -1;
    std::int32_t MasterBoardHandle = -1;
    std::int32_t SlaveBoardHandle = -1;
    std::array<std::int16_t, 8193> AdcBuffer{}; // scan-interleaved, 8 samples per scan
    int AdcScansRead = 0;                       // scans the last block read delivered
    std::array<std::int32_t, 17> ScanGains{};   // element k = gain code of channel k + 1
    std::array<float, 17> ChannelScale{};       // counts per G of channel k at element k
    std::array<float, 17> ChannelSensitivity{}; // mV/G of channel k + 1 at element k
    float SampleRate = Unit::ScanRate;          // scans per second
    std::array<std::int16_t, 8193> DacBuffer{}; // the waveform both outputs replay
    std::array<std::int32_t, 9> ScanChannels{};
    std::array<std::int32_t, 9> ScanFlags{};
    std::int32_t LastDaqError = 0;
    std::int32_t DaqErrorRaiseCode = 0;
    // A fault that repeats every cycle is reported once, until the operation
    // succeeds again or the hardware is initialised again. By slot: the master's block
    // read, the frequency word, the drive word, the port poll, the slave's block read.
    std::array<bool, 5> BoardFaultReported{};

    // Signal-conditioning unit words last sent.
    std::int16_t CurrentSourceWord = 0;
    std::int16_t PortBValue = 0;
    float FrequencyWord = 0.0f;         // consumed by SendFrequencyWord
    float SentFrequencyWord = 0.0f;     // the last word the generator was given, whole
    float AcquiredFrequencyWord = 0.0f; // the word it ran at while this cycle's blocks were taken
    std::int16_t DriveWordLow = 0;
    std::int16_t DriveWordHigh = 0;

    // Sweep generator and reference profile (engine).
    float PreviousFrequency = 0.0f; // CurrentFrequency before this cycle's step
    double DwellStartTime = 0.0;    // RunSeconds when the present dwell began
    bool EndOfTestDue = false;      // the sweep counted its last half sweep; the cycle ends the test

    // Response measurement and drive law (engine).
    std::int16_t DriveWord = 0;                            // round(DriveOutput x 4000) of this cycle
    std::int16_t PreviousDriveWord = 0;                    // and of the cycle before
    std::array<std::int16_t, 17> ChannelCounts{};          // detector output of channels 1..16, 0..32767
    std::array<float, 17> ChannelRawResponse{};            // this cycle's response of channels 1..16, G peak
    std::array<std::array<float, 65>, 17> ChannelWindow{}; // per channel, places 0..L of the ring
    std::int16_t WindowPosition = 0;                       // next place written, 0..L (L = DetectorWindowLength)
    std::int16_t DetectorSamples = 0;                      // samples per channel the detector averages
    std::int16_t ControlChannelCount = 0;
    float ServoGain = 0.0f;
    float ControlError = 0.0f; // (ReferenceLevel - ControlValue) / ReferenceLevel, -1..1

    // Alarms and status panel (engine).
    std::string AbortMessage;          // text of the last abort
    double CursorShownTime = 0.0;      // monotonic seconds of the last cursor readout
    float ControlValue = 0.0f;         // strategy value of the raw responses, G: the servo's
    float SmoothedControlValue = 0.0f; // and of the smoothed ones, G: the alarms'

    // Limit channels (engine): the table opened and saved with the profile, the channel
    // the servo holds on its limit in this cycle (0 for none) and the channel of the last
    // limit abort.
    LimitTable Limits;
    int LimitingChannel = 0;
    int LimitAbortChannel = 0;
    // When a channel last limited, while the smoothed control value has not yet come back
    // into its band after the notch (negative: no notch to come back from).
    double NotchReleasedAt = -1.0;
    // Per limit channel 1..16 and of the control value: the response over the drive word
    // that made it, as of the last cycle (0: not known then), for the drive's prediction.
    std::array<float, 17> LimitTransferRatio{};
    float ControlTransferRatio = 0.0f;

    // Overload (board layer, alarms): the channels whose last block reached the
    // converter's full scale (bit k - 1 for channel k), those that did since the test
    // began, when each overloaded channel's unbroken run began (`TickMs`) and
    // the channel of the last overload abort.
    std::uint16_t OverloadMask = 0;
    std::uint16_t OverloadSeenMask = 0;
    std::array<std::int64_t, 17> OverloadSince{};
    int OverloadAbortChannel = 0;
    // The export's marks: for each history row, the channels that limited and that
    // overloaded in the cycles since the row before it; and those since the last row.
    std::array<ChannelMarks, HistoryTable::Rows> HistoryMarks{};
    ChannelMarks PendingMarks;

    // Where the test data and the report picture go; an automatic save or export the
    // operator declined at Servo On is not made at the end of that test.
    std::string ExportFileName;
    std::string ReportFileName;
    bool AutoExportArmed = true;
    bool AutoReportArmed = true;

    // Identification texts of the test, printed and exported with it.
    std::string AccelModel;
    std::string AccelSerial;
    std::string SubTitle1;
    std::string SubTitle2;

    // The test record (files/TestRecord.h): kept where the program asks for one (the
    // window and the runner), the folder of the test under way ("" for none) and its
    // CSV file while it is written.
    bool KeepTestRecord = false;
    std::string RecordFolder;
    std::shared_ptr<TestRecordFile> Record;
    // What happened, with the time of each (core/LogEvents.h), and what the log last
    // told: the one-way passes begun in this test and whether one is under way, the
    // limiting and overloaded channels, and the record folder whose file it took.
    EventLog Log;
    int LoggedPasses = 0;
    bool LoggedPassOpen = false;
    int LoggedLimitingChannel = 0;
    std::uint16_t LoggedOverloadMask = 0;
    std::string LoggedRecordFolder;

    // The program is ending; nothing may run a cycle or ask a question any more.
    bool Closing = false;
};

// The board path runs on the acquisition boards of the PCI item, or on what the program
// put behind the USB item; any other choice opens nothing and makes no input or output.
inline bool BoardPathActive(const Controller& c) {
    const float interface = c.P[Param::AcquisitionInterface];
    return IsOn(interface) || (interface == 2.0f && c.ports.usbDaq != nullptr);
}

// The channels the test reads: 4, 8 on the master board, or 16 with the slave's.
inline int ActiveChannelCount(const Controller& c) {
    return c.EightChannelMode == 0 ? 4 : c.SecondBoardActive == 0 ? 8 : 16;
}
