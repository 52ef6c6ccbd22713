#include "core/RemoteControl.h"

#include "core/CheckedConvert.h"
#include "core/Commands.h"
#include "core/Controller.h"
#include "core/FileErrors.h"
#include "core/NumberText.h"
#include "core/RunCommands.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
// half a record; a failure is passed over in silence.
void WriteRecord(Controller& c, const std::string& content) {
    try {
        ReplaceTextFile(c.RemoteControlPath, content);
        c.RemoteFileWritten = IdentityOf(c.RemoteControlPath);
    } catch (const FileError&) {
    }
}

std::optional<std::string> ReadHead(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string head(RemoteFileReadLimit, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
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
    // The controller's own last record carries nothing new: each command, key and
    // override the outside program writes acts once.
    if (!identity || identity == c.RemoteFileWritten) return;
    const auto text = ReadHead(c.RemoteControlPath);
    if (!text) return;
    const auto record = ParseRemoteRecord(*text);
    if (!record) return;
    c.RemoteCommandCode = record->command;
    c.RemoteKey = record->key;
    if (record->level) c.RemoteDriveLevel = *record->level;
    if (record->frequency) c.RemoteFrequency = std::clamp(*record->frequency, 0.1f, 10000.0f);

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

    int word = RoundToInt<int>(static_cast<double>(c.RemoteCommandCode), 0);
    if (word < 0 || word > 65535) word = 0; // no command word at all
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
    c.RemoteDriveOverride = (word & 16) != 0 ? 1.0f : 0.0f;
    c.RemoteFrequencyOverride = (word & 32) != 0 ? 1.0f : 0.0f;
    if (!c.RemoteKey.empty()) HandleKey(c, static_cast<unsigned char>(c.RemoteKey[0]));
}

void ToggleSoftwareRemoteControl(Controller& c) {
    const bool checked = !c.Menu.Checked("mnuInputsDllControl");
    c.Menu.SetChecked("mnuInputsDllControl", checked);
    c.P[30] = checked ? 1.0f : 0.0f;
}

void ToggleRemoteRunInputs(Controller& c) {
    const bool checked = !c.Menu.Checked("mnuInputsRemote");
    c.Menu.SetChecked("mnuInputsRemote", checked);
    c.P[20] = checked ? 2.0f : 1.0f;
}
