#pragma once

#include "core/BreakpointTable.h"
#include "core/Canvas.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/HistoryTable.h"
#include "core/Menus.h"
#include "core/Panel.h"
#include "core/ParameterTable.h"

#include <array>
#include <cstdint>
#include <string>

// What the controller talks to outside itself. The program that hosts the core
// fills these in before start-up; none may be left empty.
struct Ports {
    Clock* clock = nullptr;
    Dialogs* dialogs = nullptr;
    Canvas* plot = nullptr;
    Clipboard* clipboard = nullptr;
    Shell* shell = nullptr;
};

// Everything the controller knows, in one place and under its own names. Values are
// single precision unless a counter must keep counting for a whole endurance test.
class CycleObserver;

struct Controller {
    Ports ports;
    CycleObserver* cycleObserver = nullptr;

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
    std::string DecimalSeparator;
    std::string ProfileFileName;

    // Run time. Interval starts are monotonic seconds of the clock, so nothing
    // stalls or fires early at midnight.
    double ElapsedSeconds = 0.0;
    double RunSeconds = 0.0;
    double SegmentStartTime = 0.0;
    double StepStartTime = 0.0;
    double TestStartDate = 0.0;
    float DayRolloverSeconds = 0.0f;
    float ElapsedTimeValue = 0.0f; // fraction of a day
    std::string ElapsedTimePrefix;  // message prefix of the elapsed-time line

    // Control cycle.
    int CycleCounter = 0;
    double RunCycleCount = 0.0;
    std::int64_t CycleStartMs = 0;
    int TimerInterval = 100; // tmrUpdate's interval, ms: also the cycle period
    bool TimerEnabled = true;

    // Remote-control file.
    float RemoteCommandCode = 0.0f;
    float RemoteDriveOverride = 0.0f;
    float RemoteDriveLevel = 0.0f;
    float RemoteFrequencyOverride = 0.0f;
    float RemoteFrequency = 0.0f;

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

    // Display, picture and printing.
    int BannerSelector = 0;
    int PlotFrameStyle = 0;
    int ColorPrinting = 0;
    float PictureLoaded = 0.0f;
    std::array<float, 6> PlotPenPositions{}; // one horizontal, five vertical
    std::array<float, 5> PrintPenPositions{}; // one horizontal, four vertical

    // Board layer: handles, the acquisition arrays and the channel scales.
    std::int32_t BoardHandle = -1;
    std::int32_t MasterBoardHandle = -1;
    std::int32_t SlaveBoardHandle = -1;
    std::array<std::int16_t, 8193> AdcBuffer{}; // scan-interleaved, 8 samples per scan
    std::array<std::int32_t, 17> ScanGains{};   // element k = gain code of channel k + 1
    std::array<float, 17> ChannelScale{};       // counts per G of channel k at element k
    std::array<float, 17> ChannelSensitivity{}; // mV/G of channel k + 1 at element k
    float SampleRate = 10240.0f;                // scans per second

    // Signal-conditioning unit words last sent.
    int CurrentSourceWord = 0;
    int PortBWord = 0;
    float FrequencyWord = 0.0f; // consumed by SendFrequencyWord
    std::int16_t DriveWordLow = 0;
    std::int16_t DriveWordHigh = 0;

    // Sweep generator and reference profile (engine).

    // Response measurement and drive law (engine).
    std::int16_t DriveWord = 0;         // round(DriveOutput x 4000) of this cycle
    std::int16_t PreviousDriveWord = 0; // and of the cycle before

    // Alarms and status panel (engine).

    // The program is ending; nothing may run a cycle or ask a question any more.
    bool Closing = false;
};
