#include "hardware/BoardLayer.h"

#include "core/ChannelMarks.h"
#include "core/CheckedConvert.h"
#include "core/Controller.h"
#include "core/NumberText.h"
#include "core/ParameterNames.h"
#include "core/PromptNumber.h"
#include "core/Units.h"
#include "engine/LimitChannels.h"
#include "engine/ReferenceProfile.h"
#include "hardware/BoardErrors.h"
#include "hardware/ConditioningUnit.h"
#include "hardware/jack/AudioInterface.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

namespace {

constexpr int OptionOutputLevel = 16385;  // 0x4001
constexpr int OptionOutputEnable = 16387; // 0x4003
constexpr int MasterReadFaultSlot = 0;
constexpr int SlaveReadFaultSlot = 4;

void ProgramOutputs(Controller& c) {
    DaqLibrary& daq = Daq(c);
    const DaqHandle h = c.BoardHandle;
    CheckDaq(c, daq.daqSetOption(h, 0, 0, OptionOutputLevel, 0.0f));
    CheckDaq(c, daq.daqSetOption(h, 1, 0, OptionOutputLevel, 3.0f));
    CheckDaq(c, daq.daqSetOption(h, 1, 1, OptionOutputEnable, 1.0f));
    for (const int output : {0, 1}) {
        const int transferMask = output == 0 ? 1 : 3;
        CheckDaq(c, daq.daqDacSetOutputMode(h, 0, output, 2));
        CheckDaq(c, daq.daqDacWaveSetTrig(h, 0, output, 2, 0));
        CheckDaq(c, daq.daqDacWaveSetClockSource(h, 0, output, 2));
        CheckDaq(c, daq.daqDacWaveSetFreq(h, 0, output, Unit::ScanRate));
        CheckDaq(c, daq.daqDacWaveSetMode(h, 0, output, 2, 0));
        CheckDaq(c, daq.daqDacWaveSetBuffer(h, 0, output, c.DacBuffer, 4096, transferMask));
        CheckDaq(c, daq.daqDacWaveSetUserWave(h, 0, output));
    }
    CheckDaq(c, daq.daqDacTransferStart(h, 0, 0));
    CheckDaq(c, daq.daqDacTransferStart(h, 0, 1));
    CheckDaq(c, daq.daqDacWaveArm(h, 0));
}

void ProgramDigitalPorts(Controller& c) {
    DaqLibrary& daq = Daq(c);
    int configuration = 0;
    // Port A out, port B out, both halves of port C in.
    CheckDaq(c, daq.daqIOGet8255Conf(c.BoardHandle, 0, 0, 1, 1, configuration));
    CheckDaq(c, daq.daqIOWrite(c.BoardHandle, 1, PortNumber::Configuration, 0, 1, configuration));
    WritePort(c, PortNumber::B, c.PortBValue);
    ShiftOutFrequencyWord(c);
    SendCurrentSourceWord(c, c.CurrentSourceWord);
    ShiftOutDriveWord(c, c.DriveWordLow, c.DriveWordHigh);
}

// The gain codes of the channels a board carries: the slave's eight inputs are
// channels 9..16 and are scaled with their codes, so it must scan with them too.
std::span<const std::int32_t> BoardScanGains(const Controller& c) {
    const bool slave =
        c.BoardHandle != NoDaqHandle && c.BoardHandle == c.SlaveBoardHandle && c.BoardHandle != c.MasterBoardHandle;
    return std::span(c.ScanGains).subspan(slave ? ChannelsPerScan : 0, ChannelsPerScan);
}

void ProgramAcquisition(Controller& c) {
    DaqLibrary& daq = Daq(c);
    const DaqHandle h = c.BoardHandle;
    const std::span<const std::int32_t> gains = BoardScanGains(c);
    CheckDaq(c, daq.daqAdcSetAcq(h, 2, 0, ScansPerBlock));
    CheckDaq(c, daq.daqAdcSetScan(h, std::span(c.ScanChannels).first(ChannelsPerScan), gains,
                                  std::span(c.ScanFlags).first(ChannelsPerScan), ChannelsPerScan));
    CheckDaq(c, daq.daqAdcSetClockSource(h, 0));
    CheckDaq(c, daq.daqAdcTransferSetBuffer(h, c.AdcBuffer, ScansPerBlock, 27));
    const int channel = c.ScanChannels[0];
    const int gain = gains[0];
    const int flags = c.ScanFlags[0];
    CheckDaq(c, daq.daqSetTriggerEvent(h, 0, 0, channel, gain, flags, 0, 0.0f, 0.0f, 0));
    CheckDaq(c, daq.daqSetTriggerEvent(h, 10, 0, channel, gain, flags, 0, 0.0f, 0.0f, 1));
    CheckDaq(c, daq.daqAdcSetFreq(h, Unit::ScanRate));
    CheckDaq(c, daq.daqAdcTransferStart(h));
    CheckDaq(c, daq.daqAdcArm(h));
}

// A board opened before is made safe and closed before it is opened again.
void CloseIfOpen(Controller& c, DaqHandle& handle) {
    if (handle == NoDaqHandle) return;
    const DaqHandle current = c.BoardHandle;
    c.BoardHandle = handle;
    const int raiseCode = c.DaqErrorRaiseCode;
    SetDaqErrorRaiseCode(c, 0);
    try {
        if (BoardPathActive(c)) {
            SendCurrentSourceWord(c, 0);
            ShiftOutDriveWord(c, 0, 0);
            WritePort(c, PortNumber::B, PortBLevel::AtExit);
        }
        ShutdownBoard(c);
    } catch (const DaqLibraryUnavailable&) {
    }
    SetDaqErrorRaiseCode(c, raiseCode);
    c.BoardHandle = current == handle ? NoDaqHandle : current;
    handle = NoDaqHandle;
}

void EnterBoardAddress(Controller& c, int entry, const std::string& prompt) {
    const std::string answer =
        c.ports.dialogs->InputBox(prompt + "\r\n", " QMS System Setup", PromptDefault(c, c.P[entry]));
    const auto value = ReadPromptNumber(c, answer);
    if (!value) return;
    c.P[entry] = *value;
    InitialiseHardware(c);
    if (!IsOn(c.DemoMode)) {
        c.DemoMode = 0.0f;
        c.Menu.SetChecked("mnuRunDemo", false);
    }
}

} // namespace

int SensitivityEntry(int channel) {
    if (channel <= 2) return Param::SensitivityCh1 + (channel - 1);
    if (channel <= 4) return Param::SensitivityCh3 + (channel - 3);
    if (channel <= 8) return Param::SensitivityCh5 + (channel - 5);
    return Param::SensitivityCh9 + (channel - 9);
}

void InitialiseHardware(Controller& c) {
    c.BoardFaultReported = {};
    if (BoardPathActive(c)) {
        SetBoardParameters(c);
        CheckProfile(c);
        SelectChannelGains(c);
        ComputeChannelScales(c);
        if (IsOn(c.DemoMode)) return;
        OpenBoards(c);
        if (IsOn(c.DemoMode)) return;
        c.BoardHandle = c.MasterBoardHandle;
        ConfigureBoard(c);
        if (IsChecked(c.P[Param::ChannelCount])) {
            c.SecondBoardActive = 1;
            c.BoardHandle = c.SlaveBoardHandle;
            ConfigureBoard(c);
            c.BoardHandle = c.MasterBoardHandle;
        }
    }
    c.EightChannelMode = 1;
    c.DemoMode = 0.0f;
    c.Menu.SetChecked("mnuRunDemo", false);
    UpdateChannelMenus(c);
}

void SetBoardParameters(Controller& c) {
    c.P[Param::UpdateRate] = 20.0f;
    c.SampleRate = Unit::ScanRate;
    c.AdcBuffer.fill(0);
    c.DacBuffer.fill(0);
    for (int i = 0; i <= 4096; ++i) c.DacBuffer[static_cast<std::size_t>(i)] = 32767;
    for (std::size_t i = 0; i <= 8; ++i) {
        c.ScanGains[i] = 2;
        c.ScanFlags[i] = 6;
        c.ScanChannels[i] = static_cast<std::int32_t>(i);
        c.ChannelScale[i] = 1000.0f;
    }
    c.DriveWordLow = 0;
    c.DriveWordHigh = 0;
}

DaqHandle OpenBoard(Controller& c, const std::string& deviceName) {
    DaqLibrary& daq = Daq(c);
    daq.daqSetDefaultErrorHandler(0);
    const DaqHandle handle = daq.daqOpen(deviceName);
    int error = 0;
    daq.daqGetLastError(handle, error);
    c.LastDaqError = error;
    if (c.LastDaqError != 0 && c.DaqErrorRaiseCode != 0) throw BoardProgramError{c.DaqErrorRaiseCode, ""};
    return handle;
}

namespace {

// Why the USB interface refused its settings, in its own words.
std::string UsbInterfaceRefusal(Controller& c) {
    std::array<char, 512> text{};
    Daq(c).daqFormatError(c.LastDaqError, text);
    text.back() = '\0';
    return text.data();
}

} // namespace

void OpenBoards(Controller& c) {
    const auto installError = [&](const std::string& text) {
        c.ports.dialogs->MessageBox(text, "Install Error", MessageButtons::Ok, MessageIcon::None);
        c.DemoMode = 1.0f;
    };
    try {
        CloseIfOpen(c, c.SlaveBoardHandle);
        CloseIfOpen(c, c.MasterBoardHandle);
        c.SecondBoardActive = 0;
        c.BoardHandle = NoDaqHandle;
        c.MasterBoardHandle = NoDaqHandle;
        c.MasterBoardHandle = OpenBoard(c, MasterDeviceName);
        if (c.MasterBoardHandle == NoDaqHandle) {
            installError(c.P[Param::AcquisitionInterface] != 2.0f
                             ? " Daq1000 installed, but not connected to computer or not turned on!"
                         : c.LastDaqError == AudioInterface::SettingsRefused
                             ? " " + UsbInterfaceRefusal(c) +
                                   "\nThe USB interface drives nothing until its settings "
                                   "are mended (System / USB Interface Setup...)."
                             : " No audio server answers: the USB interface cannot be opened.");
            return;
        }
        if (IsChecked(c.P[Param::ChannelCount])) {
            c.SlaveBoardHandle = NoDaqHandle;
            c.SlaveBoardHandle = OpenBoard(c, SlaveDeviceName);
            if (c.SlaveBoardHandle == NoDaqHandle) {
                installError(" Second Daq1000 installed, but not connected to computer or not turned on!");
                c.BoardHandle = c.MasterBoardHandle;
                return;
            }
        }
        c.BoardHandle = c.MasterBoardHandle;
    } catch (const BoardProgramError&) {
        c.DemoMode = 1.0f;
    } catch (const DaqLibraryUnavailable&) {
        c.DemoMode = 1.0f;
    }
    if (IsOn(c.DemoMode)) {
        c.EightChannelMode = 1;
        UpdateChannelMenus(c);
        c.ports.dialogs->MessageBox(" No hardware was detected. The Software has been put in the Demo Mode",
                                    "Install Error", MessageButtons::Ok, MessageIcon::None);
    }
}

bool BoardsInUse(const Controller& c) { return BoardPathActive(c) && !IsOn(c.DemoMode); }

void ConfigureBoard(Controller& c) {
    if (!BoardsInUse(c)) return;
    SetDaqErrorRaiseCode(c, DaqErrorNumber);
    RunTrapped(c, [&] {
        ProgramOutputs(c);
        ProgramDigitalPorts(c);
        ProgramAcquisition(c);
    });
}

void RestartAcquisition(Controller& c) {
    if (!BoardsInUse(c)) return;
    SetDaqErrorRaiseCode(c, DaqErrorNumber);
    RunTrapped(c, [&] { ProgramAcquisition(c); });
}

void ReadAdcBlock(Controller& c) {
    c.AdcScansRead = 0;
    // Each board's reads are an episode of their own: a slave that fails every cycle
    // beside a master that reads well is told once, not once a cycle.
    const int slot = c.BoardHandle == c.MasterBoardHandle ? MasterReadFaultSlot : SlaveReadFaultSlot;
    RunTrappedOncePerEpisode(c, slot, [&] {
        DaqLibrary& daq = Daq(c);
        int active = 0;
        int count = 0;
        CheckDaq(c, daq.daqAdcTransferGetStat(c.BoardHandle, active, count));
        int scans = 0;
        // Without a raise code a failure passes silently; the block then counts as empty.
        if (CheckDaq(c, daq.daqAdcTransferBufData(c.BoardHandle, c.AdcBuffer, ScansPerBlock, 1, scans)) == 0)
            c.AdcScansRead = scans;
    });
}

bool ReachesFullScale(std::span<const std::int16_t> block, int place, int scans) {
    for (std::size_t i = static_cast<std::size_t>(place),
                     end = std::min<std::size_t>(block.size(), static_cast<std::size_t>(scans) * ChannelsPerScan);
         i < end; i += ChannelsPerScan) {
        if (block[i] == INT16_MAX || block[i] == INT16_MIN) return true;
    }
    return false;
}

void MarkOverloads(Controller& c, int firstChannel) {
    const std::int64_t now = c.ports.clock->TickMs();
    for (int place = 0; place < ChannelsPerScan; ++place) {
        const int channel = firstChannel + place;
        const std::uint16_t bit = ChannelBit(channel);
        const bool overloaded = ReachesFullScale(c.AdcBuffer, place, c.AdcScansRead);
        if (overloaded && (c.OverloadMask & bit) == 0) c.OverloadSince[static_cast<std::size_t>(channel)] = now;
        c.OverloadMask = static_cast<std::uint16_t>(overloaded ? c.OverloadMask | bit : c.OverloadMask & ~bit);
    }
    c.OverloadSeenMask |= c.OverloadMask;
}

void SelectChannelGains(Controller& c) {
    for (int k = 0; k < 16; ++k) {
        const auto index = static_cast<std::size_t>(k);
        c.ChannelSensitivity[index] = c.P[SensitivityEntry(k + 1)];
        const float expected = LimitAbortPeak(c, k + 1).value_or(c.PeakProfileAcceleration);
        const float expectedMillivolts = expected * c.ChannelSensitivity[index];
        int code = 4;
        if (expectedMillivolts >= 1000.0f) {
            code = 0;
        } else if (expectedMillivolts >= 500.0f) {
            code = 1;
        } else if (expectedMillivolts >= 250.0f) {
            code = 2;
        } else if (expectedMillivolts >= 125.0f) {
            code = 3;
        }
        // Comparisons with NaN are all false, so a value that is not finite takes
        // the most sensitive range, code 4, as a small one would.
        c.ScanGains[index] = code;
    }
}

void ComputeChannelScales(Controller& c) {
    for (int k = 1; k <= 16; ++k) {
        const auto index = static_cast<std::size_t>(k);
        const float gain = std::ldexp(1.0f, c.ScanGains[index - 1]);
        float scale = gain * CountsPerMillivolt * c.P[SensitivityEntry(k)];
        if (!(scale >= 1.0f) || !std::isfinite(scale)) scale = 1.0f;
        c.ChannelScale[index] = scale;
    }
}

void UpdateChannelMenus(Controller& c) {
    const auto enable = [&](const char* name, int first, int last, bool enabled) {
        for (int i = first; i <= last; ++i)
            if (c.Menu.Has(name, i)) c.Menu.SetEnabled(name, i, enabled);
    };
    const bool eight = c.EightChannelMode == 1;
    const bool sixteen = c.SecondBoardActive == 1;
    c.Menu.SetChecked("mnuSystemActiveChannels4", !eight && !sixteen);
    c.Menu.SetChecked("mnuSystemActiveChannels8", eight && !sixteen);
    c.Menu.SetChecked("mnuSystemActiveChannels16", sixteen);
    for (const char* name : {"mnuInputsSens", "mnuInputsCurrent", "mnuSystemCalGain", "mnuViewResponse",
                             "mnuViewAveResponse", "mnuViewTransferIn", "mnuViewTransferOut"})
        enable(name, 4, 7, eight);
    for (const char* name : {"mnuInputsSens", "mnuInputsCurrent", "mnuSystemCalGain", "mnuViewResponse"})
        enable(name, 8, 15, sixteen);
    c.Menu.SetEnabled("mnuViewChannelsLower", -1, sixteen);
    c.Menu.SetEnabled("mnuViewChannelsUpper", -1, sixteen);
}

void ShutdownBoard(Controller& c) {
    DaqLibrary& daq = Daq(c);
    const DaqHandle h = c.BoardHandle;
    CheckDaq(c, daq.daqSetOption(h, 1, 1, OptionOutputEnable, 0.0f));
    CheckDaq(c, daq.daqDacWaveDisarm(h, 0));
    CheckDaq(c, daq.daqAdcDisarm(h));
    CheckDaq(c, daq.daqAdcTransferStop(h));
    if (h != NoDaqHandle) CheckDaq(c, daq.daqClose(h));
    c.BoardHandle = NoDaqHandle;
}

void RearmAcquisitionForServo(Controller& c) {
    SelectChannelGains(c);
    ComputeChannelScales(c);
    if (!BoardsInUse(c)) return;
    const auto rearm = [&] {
        RunTrapped(c, [&] {
            CheckDaq(c, Daq(c).daqAdcTransferStop(c.BoardHandle));
            CheckDaq(c, Daq(c).daqAdcDisarm(c.BoardHandle));
        });
        RestartAcquisition(c);
    };
    rearm();
    // The slave's channels were just scaled for the new codes too: it takes them up now,
    // or channels 9..16 would read through ranges their scales do not describe. A slave
    // that was never opened has nothing to re-arm; its reads say so.
    if (c.SecondBoardActive == 1 && c.SlaveBoardHandle != NoDaqHandle) {
        c.BoardHandle = c.SlaveBoardHandle;
        rearm();
        c.BoardHandle = c.MasterBoardHandle;
    }
}

void MakeBoardsSafe(Controller& c, bool closeBoards) {
    if (!BoardPathActive(c)) return;
    const auto makeSafe = [&](DaqHandle handle) {
        if (handle == NoDaqHandle) return;
        c.BoardHandle = handle;
        // Each step on its own: a failed write must not keep the others from running.
        const auto regardless = [&](auto step) {
            try {
                step();
            } catch (const BoardProgramError&) {
            } catch (const DaqLibraryUnavailable&) {
            }
        };
        regardless([&] { SendCurrentSourceWord(c, 0); });
        regardless([&] { ShiftOutDriveWord(c, 0, 0); });
        regardless([&] { WritePort(c, PortNumber::B, PortBLevel::AtExit); });
        if (closeBoards) regardless([&] { ShutdownBoard(c); });
    };
    const DaqHandle master = c.MasterBoardHandle;
    const DaqHandle slave = c.SecondBoardActive == 1 ? c.SlaveBoardHandle : NoDaqHandle;
    SetDaqErrorRaiseCode(c, 0);
    makeSafe(master);
    makeSafe(slave);
    c.BoardHandle = closeBoards ? NoDaqHandle : master;
    if (closeBoards) {
        c.MasterBoardHandle = NoDaqHandle;
        c.SlaveBoardHandle = NoDaqHandle;
    }
}

void SetActiveChannels(Controller& c, int channels) {
    c.P[Param::ChannelCount] = channels == 16 ? 2.0f : channels == 8 ? 1.0f : 0.0f;
    c.EightChannelMode = channels == 4 ? 0 : 1;
    c.SecondBoardActive = channels == 16 ? 1 : 0;
    UpdateChannelMenus(c);
}

void EnterMasterBoardAddress(Controller& c) {
    EnterBoardAddress(c, Param::MasterAddress,
                      "Enter the board address; board #0 is the default setting for Master operation (Ch#1-8) and 1 "
                      "is the setting for Slave operation (Ch#9-16).");
}

void EnterSlaveBoardAddress(Controller& c) {
    EnterBoardAddress(c, Param::SlaveAddress,
                      "Enter the board address; board #1 is the default setting for Slave operation (Ch#9-16) and 1 "
                      "is the setting for Master operation (Ch#1-8).");
}
