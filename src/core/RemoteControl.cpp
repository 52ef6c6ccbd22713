#include "core/RemoteControl.h"

#include "core/CheckedConvert.h"
#include "core/Commands.h"
#include "core/Controller.h"
#include "core/FileErrors.h"
#include "core/LogEvents.h"
#include "core/MeasurableBand.h"
#include "core/NumberText.h"
#include "core/ParameterNames.h"
#include "core/RunCommands.h"
#include "core/Units.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace {

std::optional<Controller::FileIdentity> IdentityOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    Controller::FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    identity.size = static_cast<std::uint64_t>(info.st_size);
    identity.modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return identity;
}

// Every write replaces the whole file at once, so the outside program never reads
// half a record. A write that fails holds nothing up: the panel says so once, until a
// write succeeds again, and the outside program's record stays in the file.
void WriteRecord(Controller& c, const std::string& content) {
    try {
        ReplaceTextFile(c.RemoteControlPath, content);
    } catch (const FileError& error) {
        if (!c.RemoteWriteFailing) {
            c.RemoteWriteFailing = true;
            c.Indicators.SetText("lblRemote", " REMOTE FILE: " + error.description);
            c.Indicators.SetVisible("lblRemote", true);
        }
        return;
    }
    c.RemoteFileWritten = IdentityOf(c.RemoteControlPath);
    // The file is the controller's again: no outside record is left in it to pass over.
    c.RemoteRecordTaken.reset();
    if (c.RemoteWriteFailing) {
        c.RemoteWriteFailing = false;
        c.Indicators.SetVisible("lblRemote", false);
    }
}

// Read as every data file is: a named pipe or a device put in the file's place is
// passed over at once instead of holding the control loop.
std::optional<std::string> ReadHead(const std::string& path) {
    try {
        return ReadFileHead(path, RemoteFileReadLimit);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

} // namespace

// Line 1 must be a number; lines 2 to 4 are read while the file lasts. Nothing when
// a line that is there cannot be read.
std::optional<RemoteRecord> ParseRemoteRecord(std::string_view text) {
    FieldReader reader(text);
    RemoteRecord record;
    const auto command = reader.NextNumber();
    if (!command) return std::nullopt;
    record.command = *command;
    if (reader.AtEnd()) return record;
    record.key = reader.NextText().value_or("");
    if (reader.AtEnd()) return record;
    record.level = reader.NextNumber();
    if (!record.level) return std::nullopt;
    if (reader.AtEnd()) return record;
    record.frequency = reader.NextNumber();
    if (!record.frequency) return std::nullopt;
    return record;
}

bool RemoteLevelAllowed(const Controller& c, float level) {
    return std::isfinite(level) && level > 0.0f && level <= RemoteLevelLimit(c);
}

float RemoteLevelLimit(const Controller& c) {
    const float system = c.P[Param::UnitsSystem] == 1.0f
                             ? c.P[Param::MaxAcceleration] / Unit::MetresPerSecondSquaredPerGF
                             : c.P[Param::MaxAcceleration];
    if (c.PeakProfileAcceleration > 0.0f) return std::min(system, c.PeakProfileAcceleration);
    return system;
}

void ApplyRemoteDriveOverride(Controller& c) {
    // The limits may have moved since the level came: a level beyond them now leaves
    // the reference to the profile.
    if (IsOn(c.ServoOn) && IsOn(c.RemoteDriveOverride) && RemoteLevelAllowed(c, c.RemoteDriveLevel))
        c.ReferenceLevel = c.RemoteDriveLevel;
}

void ApplyRemoteFrequencyOverride(Controller& c) {
    if (!RemoteHoldsFrequency(c)) return;
    float f = c.RemoteFrequency;
    if (f < c.P[Param::LowerLimit]) f = c.P[Param::LowerLimit];
    if (f > c.P[Param::UpperLimit]) f = c.P[Param::UpperLimit];
    c.CurrentFrequency = f;
}

bool RemoteHoldsFrequency(const Controller& c) { return IsOn(c.RemoteFrequencyOverride); }

std::string DefaultRemoteControlPath() {
    std::filesystem::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
        data = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        data = std::filesystem::path(home) / ".local" / "share";
    } else {
        data = ".";
    }
    return (data / "ZEK8" / "ZEKControl.dat").string();
}

void PublishRunCommand(Controller& c) {
    if (c.RemoteControlPath.empty()) return;
    FieldWriter record;
    record.AddNumber(c.RemoteCommandCode);
    record.EndRecord();
    WriteRecord(c, record.Text());
}

void ExchangeRemoteControlFile(Controller& c) {
    if (c.RemoteControlPath.empty()) return;
    const auto identity = IdentityOf(c.RemoteControlPath);
    // The controller's own last record carries nothing new, nor does a record already
    // taken: each command, key and override the outside program writes acts once.
    if (!identity || identity == c.RemoteFileWritten || identity == c.RemoteRecordTaken) return;
    const auto text = ReadHead(c.RemoteControlPath);
    if (!text) return;
    // A record replaced while it was read is taken on the next cycle, whole.
    if (IdentityOf(c.RemoteControlPath) != identity) return;
    c.RemoteRecordTaken = identity;
    const auto record = ParseRemoteRecord(*text);
    if (!record) return;
    int word = RoundToInt<int>(static_cast<double>(record->command), 0);
    if (word < 0 || word > 65535) word = 0; // no command word at all
    // A level the drive must not be given refuses the whole record, its command too:
    // the outside program meant them together.
    const bool levelKnown = record->level.has_value() || c.RemoteDriveLevelReceived;
    const float level = record->level.value_or(c.RemoteDriveLevel);
    if ((word & 16) != 0 && levelKnown && !RemoteLevelAllowed(c, level)) return;

    c.RemoteCommandCode = record->command;
    c.RemoteKey = record->key;
    if (record->level) {
        c.RemoteDriveLevel = *record->level;
        c.RemoteDriveLevelReceived = true;
    }
    if (record->frequency) {
        c.RemoteFrequency = Band::Held(*record->frequency, c.RemoteFrequency);
        c.RemoteFrequencyReceived = true;
    }

    FieldWriter acknowledgement;
    acknowledgement.AddNumber(16.0f * c.RemoteDriveOverride + 32.0f * c.RemoteFrequencyOverride);
    acknowledgement.EndRecord();
    acknowledgement.AddText("");
    acknowledgement.EndRecord();
    for (const float value : {c.RemoteDriveLevel, c.RemoteFrequency, c.ControlResponse, c.CurrentFrequency}) {
        acknowledgement.AddNumber(value);
        acknowledgement.EndRecord();
    }
    WriteRecord(c, acknowledgement.Text());

    const EventSource remote(c.Log, "remote");
    switch (word & 7) {
    case 1:
        StartServo(c);
        break;
    case 2:
        StopTest(c);
        break;
    case 3:
        RunSweep(c);
        break;
    case 4:
        HoldSweep(c);
        break;
    default:
        break;
    }
    c.RemoteDriveOverride = (word & 16) != 0 && c.RemoteDriveLevelReceived ? 1.0f : 0.0f;
    c.RemoteFrequencyOverride = (word & 32) != 0 && c.RemoteFrequencyReceived ? 1.0f : 0.0f;
    if (!c.RemoteKey.empty()) HandleKey(c, static_cast<unsigned char>(c.RemoteKey[0]));
}

void ToggleSoftwareRemoteControl(Controller& c) {
    const bool checked = !c.Menu.Checked("mnuInputsDllControl");
    c.Menu.SetChecked("mnuInputsDllControl", checked);
    c.P[Param::RemoteControlFile] = checked ? 1.0f : 0.0f;
}

void ToggleRemoteRunInputs(Controller& c) {
    const bool checked = !c.Menu.Checked("mnuInputsRemote");
    c.Menu.SetChecked("mnuInputsRemote", checked);
    c.P[Param::RemoteInputs] = checked ? 2.0f : 1.0f;
}
