#pragma once

// The entries of the parameter table by name: `c.P[Param::SweepType]`. Limits are held in
// the units of UnitsSystem. Switches: on/off 0-1 (exactly 1 is on), check-mark 1-2 (2 is
// on). Per-channel entries are named by the first channel of each block; channel k of a
// block sits at the block's entry + (k - first channel).
// Entries not named here are read and written only by the profile file, which keeps them.
namespace Param {

inline constexpr int ControlStrategy = 0;       // 1 Manual, 2 Average, 3 Extremal
inline constexpr int LowerLimit = 1;            // sweep lower frequency limit, Hz
inline constexpr int UpperLimit = 2;            // sweep upper frequency limit, Hz
inline constexpr int SweepType = 3;             // 1 Logarithmic, 2 Linear, 3 MIL-167
inline constexpr int SweepRate = 4;             // octaves/min (Log), Hz/s (Linear), Hz per step (MIL-167)
inline constexpr int SweepCount = 5;            // number of sweeps in the test
inline constexpr int ServoRate = 6;             // compression rate: 1 Slow, 2 Medium, 3 Fast
inline constexpr int StepDwellMinutes = 7;      // MIL-167 dwell on each step, minutes
inline constexpr int AbortLimit = 8;            // uniform abort limit of the profile, dB
inline constexpr int SensitivityCh1 = 9;        // mV/G of channels 1, 2
inline constexpr int InputCurrentCh1 = 11;      // input current of channels 1, 2, check-mark
inline constexpr int MasterAddress = 15;        // board number of the master board (channels 1-8)
inline constexpr int UpdateRate = 16;           // nominal control updates per second
inline constexpr int ResponseDisplay = 17;      // status display: 1 Acceleration Only, 2 Controlled Response
inline constexpr int MaxDisplacement = 18;      // system displacement limit, peak-to-peak
inline constexpr int MaxVelocity = 19;          // system velocity limit, peak
inline constexpr int RemoteInputs = 20;         // external run push-buttons, check-mark
inline constexpr int MaxAcceleration = 21;      // system acceleration limit, peak
inline constexpr int UnitsSystem = 22;          // 0 English (mils, in/s, G), 1 Metric (mm, cm/s, m/s²), 2 Hybrid
inline constexpr int BannerCopy = 28;           // copy of the banner selector
inline constexpr int ManualStep = 29;           // Level spin step: drive (Manual) or fraction of the level
inline constexpr int RemoteControlFile = 30;    // software remote control through the control file, on/off
inline constexpr int AutoPrint = 33;            // print the report at the end of the test, on/off
inline constexpr int AutoSave = 34;             // save the report at the end of the test, on/off
inline constexpr int LowGainTrip = 37;          // low-gain trip point, dB
inline constexpr int OpenLoopTrip = 38;         // open-loop trip point (least compression), dB
inline constexpr int SensitivityCh3 = 39;       // mV/G of channels 3, 4
inline constexpr int InputCurrentCh3 = 41;      // input current of channels 3, 4, check-mark
inline constexpr int ControlCh1 = 43;           // channels 1..4 take part in control, check-mark
inline constexpr int ResponseShownCh1 = 47;     // response of channels 1..4 on the plot, check-mark
inline constexpr int FrequencyRange = 51;       // frequency axis: 1 to 100, 2 to 1000, 3 to 10000 Hz
inline constexpr int AmplitudeRange = 52;       // amplitude axis: 0 .01-20, 1 .1-2, 2 .1-20, 3 .1-200 G
inline constexpr int PlotBackground = 53;       // 0 Black, 1 White
inline constexpr int AverageMask = 55;          // channels k = 1..8 of the averaged trace as bits 2^(k-1)
inline constexpr int TransferOutput = 56;       // output channel of the transfer trace, 0 none
inline constexpr int TransferInput = 57;        // input channel of the transfer trace
inline constexpr int AutoExport = 60;           // export the data at the end of the test, on/off
inline constexpr int NumberSeparators = 62;     // 0 English (1,000.00), 1 Reversed (1.000,00)
inline constexpr int AcquisitionInterface = 65; // 0 digital I/O card, 1 PCI acquisition card (the one used), 2 USB
inline constexpr int CycleRate = 66;            // control cycles per second: the period is 1000 / rate ms
inline constexpr int AmplitudeDetector = 68;    // 0 mean of absolute values x 1.57, 1 peak, 2 tracking, 3 RMS
inline constexpr int SensitivityCh5 = 71;       // mV/G of channels 5..8
inline constexpr int InputCurrentCh5 = 75;      // input current of channels 5..8, check-mark
inline constexpr int ResponseShownCh5 = 80;     // response of channels 5..8 on the plot, check-mark
inline constexpr int ResonanceLower = 88;       // resonance search band lower limit, Hz
inline constexpr int ResonanceUpper = 89;       // resonance search band upper limit, Hz
inline constexpr int ResonanceSearch = 90;      // resonance search enabled, on/off
inline constexpr int SlaveAddress = 99;         // slave board (channels 9-16); 1 also refreshes the panel each cycle
inline constexpr int SensitivityCh9 = 101;      // mV/G of channels 9..16
inline constexpr int ChannelGroup = 109;        // channels on the plots: 0 all, 1 channels 1-8, 2 channels 9-16
inline constexpr int DwellPoints = 110;         // number of active dwell points, 0..10
inline constexpr int InputCurrentCh9 = 111;     // input current of channels 9..16, check-mark
inline constexpr int ChannelCount = 120;        // input channels: 0 four, 1 eight, 2 sixteen
inline constexpr int ResponseShownCh9 = 121;    // response of channels 9..16 on the plot, check-mark

} // namespace Param
