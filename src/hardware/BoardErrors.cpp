#include "hardware/BoardErrors.h"

#include "core/AfterCycle.h"
#include "core/Controller.h"
#include "hardware/DaqLibrary.h"

#include <array>
#include <cstring>

DaqLibrary& Daq(Controller& c) {
    if (c.P[Param::AcquisitionInterface] == 2.0f && c.ports.usbDaq != nullptr) return *c.ports.usbDaq;
    if (c.ports.daq == nullptr) throw DaqLibraryUnavailable{"No acquisition library"};
    return *c.ports.daq;
}

int CheckDaq(Controller& c, int result) {
    c.LastDaqError = result;
    if (result != 0 && c.DaqErrorRaiseCode != 0) throw BoardProgramError{c.DaqErrorRaiseCode, ""};
    return result;
}

void SetDaqErrorRaiseCode(Controller& c, int code) {
    c.DaqErrorRaiseCode = code;
    c.LastDaqError = 0;
}

void ReportBoardError(Controller& c, const BoardProgramError& error) {
    if (error.number < 1 && c.LastDaqError < 1) return;
    std::string text;
    if (error.number == DaqErrorNumber) {
        std::array<char, 256> libraryText{};
        try {
            Daq(c).daqFormatError(c.LastDaqError, libraryText);
        } catch (const DaqLibraryUnavailable&) {
        }
        libraryText.back() = '\0';
        text = "DaqX Error : " + std::to_string(c.LastDaqError) + "\n" + libraryText.data();
    } else {
        text = "VB Error : " + std::to_string(error.number) + "\n" + error.description;
    }
    DoAfterCycle(c, [text](Controller& c) {
        c.ports.dialogs->MessageBox(text, "Error!", MessageButtons::Ok, MessageIcon::None);
    });
}
