#pragma once

#include "hardware/DaqLibrary.h"

#include <cstdint>
#include <span>
#include <string>

struct Controller;

// The acquisition boards: opening, programming, reading and making safe. The master
// board carries channels 1..8, the slave (16-channel operation) channels 9..16.
inline constexpr const char* MasterDeviceName = "DaqBoard1K0";
inline constexpr const char* SlaveDeviceName = "DaqBoard1K1";
constexpr int ScansPerBlock = 1024;
constexpr int ChannelsPerScan = 8;
constexpr float CountsPerMillivolt = 13.108f; // at gain code 0

// The boards are talked to only on the board interface and outside demo mode: with
// another interface chosen the controller makes no input or output at all, even on
// boards it opened before the change.
bool BoardsInUse(const Controller& c);

void SetBoardParameters(Controller& c);
void OpenBoards(Controller& c);
DaqHandle OpenBoard(Controller& c, const std::string& deviceName);
void ConfigureBoard(Controller& c);
void RestartAcquisition(Controller& c);
void SelectChannelGains(Controller& c);
void ComputeChannelScales(Controller& c);
void UpdateChannelMenus(Controller& c);
// Stops outputs and acquisition and closes the board `BoardHandle`.
void ShutdownBoard(Controller& c);

// Accelerometer sensitivity entry of channel 1..16.
int SensitivityEntry(int channel);

// On the board path: the board parameters, the profile check, gains and scales, then
// the boards opened and programmed (the slave too when 16 channels are ticked); a
// board that cannot be opened leaves the controller in demo mode.
void InitialiseHardware(Controller& c);
// The drive and current sources off and port B to its resting value, on the master
// board and, with 16 channels, on the slave; `closeBoards` also shuts them down.
void MakeBoardsSafe(Controller& c, bool closeBoards);
// Servo On's part of the board work: gains and scales for the profile, and the
// input scan re-armed with them when a board is in use.
void RearmAcquisitionForServo(Controller& c);
// The newest 1024 scans of the board `BoardHandle` into `AdcBuffer`.
void ReadAdcBlock(Controller& c);
// Whether the input at `place` 0..7 of the first `scans` scans of `block` (8-sample
// scans) reached the converter's full-scale code, -32768 or 32767: a signal beyond the
// range reads as that code, so its amplitude reads low. Every backend gives a clipped
// input so: the boards' converters by their own rails, the audio interface by turning a
// sample at its float full scale into them.
bool ReachesFullScale(std::span<const std::int16_t> block, int place, int scans);
// After the block of the board whose first channel is `firstChannel` (1 or 9) was read:
// its channels' bits of `OverloadMask` from the block, and the start of the unbroken
// run of each channel that overloads anew; `OverloadSeenMask` keeps them.
void MarkOverloads(Controller& c, int firstChannel);

// Board-layer commands of the System menu.
void SetActiveChannels(Controller& c, int channels); // 4, 8 or 16
// The address of the master or slave board asked for, then the boards initialised anew.
void EnterMasterBoardAddress(Controller& c);
void EnterSlaveBoardAddress(Controller& c);
