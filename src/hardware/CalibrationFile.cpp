#include "hardware/CalibrationFile.h"

#include "core/Controller.h"
#include "core/FileErrors.h"
#include "core/NumberText.h"
#include "core/PromptNumber.h"

#include <cmath>
#include <optional>
#include <string>

namespace {

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

} // namespace

void LoadCalibrationFile(Controller& c) {
    const std::string path = c.CalibrationPath.empty() ? WorkingPath(c, CalibrationFileName) : c.CalibrationPath;
    std::string content;
    if (!RunWithFileErrorTrap(c, LoadErrorTitle, [&] { content = ReadDataFile(path); })) return;
    ReadCalibrationFactors(c, content);
}

void ReadCalibrationFactors(Controller& c, std::string_view text) {
    FieldReader reader(text);
    for (int k = 1; k <= CalibrationRecords; ++k) {
        float value = 0.0f;
        if (!RunWithFileErrorTrap(c, LoadErrorTitle, [&] { value = ReadFactor(reader); })) return;
        // A factor of 0 would silence the channel; the reader refuses non-finite ones.
        c.CalibrationFactor[static_cast<std::size_t>(k)] = value == 0.0f ? 1.0f : value;
    }
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
    if (*value < 0.75f || *value > 1.25f) {
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
