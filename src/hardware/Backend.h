#pragma once

#include "hardware/DaqLibrary.h"
#include "hardware/TestBench.h"
#include "hardware/jack/AudioInterfaceSettings.h"
#include "hardware/sim/BenchSetup.h"

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

class AudioInterface;
class StreamHealth;
class Clock;

// The one place that knows every backend behind DaqLibrary: the absent library (no
// acquisition library on this system), the simulated bench built in or read from a bench
// file. A new backend (an audio interface, real boards) is one more choice here.

// What the operator asked for, with a bench file already read: the file is read where
// the operator named it, before the program changes its working folder.
struct BackendChoice {
    // Without a bench, the absent library.
    std::optional<sim::BenchModel> bench;
    // The audio interface behind the USB interface item; left out when a bench was asked
    // for (the bench is a board, and that item then opens nothing).
    std::optional<AudioInterfaceSettings> audio;
    // Why the interface's settings file was refused; the interface then opens nothing.
    std::string audioSettingsFault;
};

// A bench file that cannot be read; the text names the file and the fault.
struct BackendChoiceError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "none" the absent library, "sim" the built-in simulated bench, anything else a bench
// file. Throws BackendChoiceError.
BackendChoice ChooseBackend(std::string_view text);

struct Backend {
    std::unique_ptr<DaqLibrary> library;
    // What stands behind the USB interface item, or null.
    std::unique_ptr<DaqLibrary> usbInterface;
    // What the backend offers as a test bench, owned by `library`; null when it has none.
    TestBench* bench = nullptr;
    // The audio interface that is `usbInterface`, for its stream's counts, settings and calibration;
    // or null.
    AudioInterface* audio = nullptr;
    // The same as the status panel sees it.
    const StreamHealth* usbStream = nullptr;
};

Backend MakeBackend(const BackendChoice& choice, const Clock& clock);
