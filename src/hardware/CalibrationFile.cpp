#include "hardware/CalibrationFile.h"

#include "core/Controller.h"
#include "core/FileErrors.h"
#include "core/NumberText.h"
#include "core/PromptNumber.h"

#include <cmath>
#include <optional>
#include <string>

namespace {

constexpr int Channels = 16;

std::string LoadErrorTitle(int number) {
    return "Error Loading Calibration Factors File (Zek8Cal.Dat)\r\n Error # " + std::to_string(number) + " Occured";
}

// One record read; a reader at the end of the file or on a field that is no number
// fails as reading past the end or a type mismatch would.
float ReadFactor(FieldReader& reader) {
    const std::optional<float> value = reader.NextNumber();
    if (!value) {
        throw MakeFileError(reader.LastStatus() == FieldReader::Status::EndOfInput ? FileErrorNumber::InputPastEnd
                                                                                   : FileErrorNumber::TypeMismatch);
    }
    return *value;
}

// A channel's factor as the operator may enter it.
bool WithinPromptBand(float factor) { return factor >= 0.75f && factor <= 1.25f; }

// The factors of channels 1..16 the load did not use, told once.
void TellRefusedFactors(Controller& c, const std::string& refused) {
    if (refused.empty()) return;
    const std::string text =
        "Calibration factors must be between 0.75 and 1.25; these were not used and their channels keep 1: " + refused +
        ".";
    c.ports.dialogs->MessageBox(text, "Out Of Bounds", MessageButtons::Ok, MessageIcon::None);
}

} // namespace

void LoadCalibrationFile(Controller& c) {
    const std::string path = c.CalibrationPath.empty() ? WorkingPath(c, CalibrationFileName) : c.CalibrationPath;
    std::string content;
    if (!RunWithFileErrorTrap(c, LoadErrorTitle, [&] { content = ReadDataFile(path); })) return;
    ReadCalibrationFactors(c, content);
}

void ReadCalibrationFactors(Controller& c, std::string_view text) {
    FieldReader reader(text);
    std::string refused;
    for (int k = 1; k <= CalibrationRecords; ++k) {
        float value = 0.0f;
        if (!RunWithFileErrorTrap(c, LoadErrorTitle, [&] { value = ReadFactor(reader); })) break;
        // A factor of 0 stands for 1. Any other factor of a channel that the prompt
        // would refuse would make the channel's response wrong by as much, and with it
        // the drive and the aborts; records beyond the channels are kept as they are
        // for the file's sake.
        if (value == 0.0f) value = 1.0f;
        if (k <= Channels && !WithinPromptBand(value)) {
            refused += (refused.empty() ? "record " : ", record ") + std::to_string(k) + " = " + GeneralNumber(value);
            value = 1.0f;
        }
        c.CalibrationFactor[static_cast<std::size_t>(k)] = value;
    }
    TellRefusedFactors(c, refused);
}

void SaveCalibrationFile(Controller& c) {
    FieldWriter writer;
    for (int k = 1; k <= CalibrationRecords; ++k) {
        writer.AddNumber(c.CalibrationFactor[static_cast<std::size_t>(k)]);
        writer.EndRecord();
    }
    const std::string path = c.CalibrationPath.empty() ? WorkingPath(c, CalibrationFileName) : c.CalibrationPath;
    RunWithFileErrorTrap(c, FileErrorTitle, [&] { ReplaceTextFile(path, writer.Text()); });
}

void EnterCalibrationFactor(Controller& c, int item) {
    if (item < 0 || item > 15) return;
    const int channel = item + 1;
    float& factor = c.CalibrationFactor[static_cast<std::size_t>(channel)];
    const std::string answer = c.ports.dialogs->InputBox("Enter Channel #" + std::to_string(channel) +
                                                             " calibration factor between 0.75 and 1.25",
                                                         "Setup Calibration Factors", PromptDefault(c, factor));
    const auto value = ReadPromptNumber(c, answer);
    if (!value) return;
    if (!WithinPromptBand(*value)) {
        c.ports.dialogs->MessageBox("The Number must be between 0.75 and 1.25.", "Out Of Bounds", MessageButtons::Ok,
                                    MessageIcon::None);
        return;
    }
    factor = *value;
}

void UpdateCalibrationFactors(Controller& c) {
    const MessageAnswer answer =
        c.ports.dialogs->MessageBox("This will alter the QMS calibration file; do you want to alter the file?", "",
                                    MessageButtons::YesNo, MessageIcon::Critical);
    if (answer != MessageAnswer::No) SaveCalibrationFile(c);
}
