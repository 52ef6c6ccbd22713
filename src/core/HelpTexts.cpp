#include "core/HelpTexts.h"

#include "core/Banner.h"
#include "core/Commands.h"
#include "core/Controller.h"
#include "core/OperatorsGuide.h"

#include <array>
#include <cctype>

namespace {
struct VersionNotes {
    const char* version;
    const char* notes;
};

// Newest first. A new version of the build adds its entry here: a test holds the
// newest entry to the version the program reports.
constexpr std::array<VersionNotes, 1> Versions = {{
    {"0.1.0", "The first release.\n"
              "- Swept-sine and dwell tests: logarithmic, linear and Mil-167 sweeps, up to ten dwell\n"
              "  points, resonance search, Manual, Average and Extremal control of up to 16 channels.\n"
              "- Aborts on open loop, low gain, under- and over-test and the system's displacement,\n"
              "  velocity and acceleration limits.\n"
              "- Live log-log plot of the channels, the average, the drive and the reference with\n"
              "  its abort limits; zoom, cursor readout and copy to the clipboard.\n"
              "- Profiles (also those of the ZEK-4), calibration file, test reports as bitmaps,\n"
              "  exported test data, printed reports on the desktop's printer or as PDF.\n"
              "- Remote control by another program through the remote-control file.\n"
              "- Demo mode without a board, the simulated test bench (--bench) and whole tests\n"
              "  without a window (zek8-run).\n"},
}};

std::string KeyLabel(const KeyCommand& command) {
    const auto key = static_cast<unsigned char>(command.key);
    std::string label(1, command.key);
    if (!command.exactCase && std::isupper(key) != 0) label += std::string(" ") + static_cast<char>(std::tolower(key));
    return label;
}

void Show(Controller& c, const std::string& title, const std::string& text, TextFormat format) {
    c.ports.dialogs->ShowText(title, text, format);
}
} // namespace

const char* ProgramVersion() { return ZEK8_VERSION; }

std::string KeyboardHelpText() {
    std::string text = "Keys of the main window. A letter shown in both cases acts in either.\n\n";
    for (const KeyCommand& command : KeyCommands()) {
        std::string label = KeyLabel(command);
        label.resize(6, ' ');
        text += "  " + label + command.description + "\n";
    }
    text += "\nThe key line of the remote-control file acts as the same key.\n";
    return text;
}

std::string VersionHistoryText() {
    std::string text = "ZEK-8 version history\n";
    for (const VersionNotes& entry : Versions) text += std::string("\nVersion ") + entry.version + "\n" + entry.notes;
    return text;
}

std::string AboutText(const Controller& c) {
    std::string text = std::string("ZEK-8 Digital Sine Controller\nVersion ") + ProgramVersion() +
                       "\n\nSwept-sine and dwell control of electrodynamic shakers.\n";
    if (const auto banner = BannerLine(c.BannerSelector)) text += "\n" + *banner + "\n";
    return text;
}

void ShowOperatorsGuide(Controller& c) {
    Show(c, "ZEK-8 Operator's Guide", std::string(OperatorsGuideText()), TextFormat::Markdown);
}
void ShowKeyboardHelp(Controller& c) { Show(c, "ZEK-8 Keyboard Help", KeyboardHelpText(), TextFormat::Plain); }
void ShowVersionHistory(Controller& c) { Show(c, "ZEK-8 Version History", VersionHistoryText(), TextFormat::Plain); }
void ShowAbout(Controller& c) { Show(c, "About ZEK-8", AboutText(c), TextFormat::Plain); }
