#pragma once

#include "hardware/DaqLibrary.h"

#include <string>

struct Controller;

// The acquisition boards: opening, programming, reading and making safe. The master
// board carries channels 1..8, the slave (16-channel operation) channels 9..16.
inline constexpr const char* MasterDeviceName = "DaqBoard1K0";
inline constexpr const char* SlaveDeviceName = "DaqBoard1K1";
constexpr int ScansPerBlock = 1024;
constexpr int ChannelsPerScan = 8;
constexpr float ScanRate = 10240.0f;
constexpr float CountsPerMillivolt = 13.108f; // at gain code 0

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
