#pragma once

#include "core/BreakpointTable.h"
#include "core/ParameterTable.h"

#include <optional>
#include <string>
#include <string_view>

struct Controller;

// Everything a profile file holds: P[1]..P[200], breakpoint rows 1..200 and the five
// identification texts.
struct ProfileSetUp {
    ParameterTable P;
    BreakpointTable Breakpoints;
    std::optional<std::string> title; // none when the file ended before it
    std::string accelModel;
    std::string accelSerial;
    std::string subTitle1;
    std::string subTitle2;
};

ProfileSetUp CurrentSetUp(const Controller& c);

// The 205 records of the current layout.
std::string WriteProfile(const ProfileSetUp& setUp);
// Reads over `setUp`, which keeps whatever the file does not reach. The current layout
// may end anywhere; a legacy file (64 records, three texts) must hold its 64 records.
// Throws FileError (13 for a field that is no number, 62 for a legacy file cut short).
void ReadProfile(std::string_view text, bool legacy, ProfileSetUp& setUp);

inline constexpr const char* DefaultProfileName = "ZEKFileS.000";
inline constexpr const char* ProposedProfileName = "ZEKFileS.*";

// The default profile of the working folder (or the one given at start-up), read
// whole or not at all.
void LoadDefaultProfile(Controller& c);

// The profile commands of the File menu.
void SaveProfile(Controller& c);
void OpenProfile(Controller& c);
void OpenLegacyProfile(Controller& c);
void NewProfile(Controller& c);
