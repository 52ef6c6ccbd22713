// The calibration file reader over a controller with its defaults; its file error
// boxes are answered Cancel, as a run without an operator answers them.
#include "FuzzSupport.h"

#include "hardware/CalibrationFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzController* const controller = new FuzzController;
    static const auto defaults = controller->c.CalibrationFactor;
    Controller& c = controller->c;
    ScriptedDialogs dialogs; // a fresh record of boxes for each input
    c.ports.dialogs = &dialogs;
    c.CalibrationFactor = defaults;
    ReadCalibrationFactors(c, std::string_view(reinterpret_cast<const char*>(data), size));
    // A factor of 0 read from the file would silence its channel; the defaults leave the
    // channels above 16 at 0, which the measurement reads as 1.
    for (std::size_t k = 1; k <= CalibrationRecords; ++k) {
        const float factor = c.CalibrationFactor[k];
        Check(std::isfinite(factor), "a channel's factor is not finite");
        Check(factor != 0.0f || defaults[k] == 0.0f, "a channel's factor read as 0");
        if (k <= 16) Check(factor >= 0.75f && factor <= 1.25f, "a channel's factor outside what its prompt allows");
    }
    c.ports.dialogs = &controller->dialogs;
    return 0;
}
