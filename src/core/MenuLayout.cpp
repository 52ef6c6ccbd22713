#include "core/MenuLayout.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The menu bar of frmQMS. Each block below is one menu, written top to bottom as
// the operator sees it. Item arrays (one item per channel or per dwell point) are
// built by Array() with index 0 for the first element; every other item has index -1.
//
// The initial state is what the window shows before SyncMenusToTable first runs:
// check marks mirror the defaults of the parameter table and the start-up run state
// (servo off, sweep held, sweeping up), so the window looks right even before the
// first sync. Items that no sync ever touches (run state, sweep direction, channel
// view, drive and abort traces, print colour, channel count) keep this state until
// the operator or a command changes it, so for them it is the real start value.

namespace {

constexpr int kChannelCount = 16;
constexpr int kFirstSlaveChannel = 9; // channels 9..16 are measured by the slave board
constexpr int kAverageChannelCount = 8;
constexpr int kTransferSourceCount = 10; // channels 1..8, the drive and the test reference
constexpr int kDwellPointCount = 10;

struct Initial {
    bool checked = false;
    bool enabled = true;
};
constexpr Initial kOff{};
constexpr Initial kTicked{true, true};
constexpr Initial kGreyed{false, false};

// Channels 9..16 stay greyed until "16 Input Channels" brings the slave board in:
// the default set-up is 8 channels on the master board only, and the channel-menu
// update after board start-up enables them only with the second board active.
Initial SlaveChannelsGreyed(int index) { return index + 1 >= kFirstSlaveChannel ? kGreyed : kOff; }

std::string ChannelCaption(int index, const std::string& suffix) { return "Ch#" + std::to_string(index + 1) + suffix; }

class LayoutBuilder {
public:
    void Menu(const std::string& name, const std::string& caption) { Add({name, -1}, "", caption, kOff); }

    void Item(const std::string& parent, const std::string& name, const std::string& caption, Initial initial = kOff) {
        Add({name, -1}, parent, caption, initial);
    }

    // Separator lines are named after their menu: mnuFileSep1, mnuFileSep2, ...
    void Separator(const std::string& parent) {
        const int number = ++separatorCount_[parent];
        Add({parent + "Sep" + std::to_string(number), -1}, parent, "-", kOff);
    }

    void Array(
        const std::string& parent, const std::string& name, int count, const std::function<std::string(int)>& caption,
        const std::function<Initial(int)>& initial = [](int) { return kOff; }) {
        for (int index = 0; index < count; ++index) Add({name, index}, parent, caption(index), initial(index));
    }

    std::vector<MenuEntry> Take() { return std::move(entries_); }

private:
    void Add(MenuKey key, const std::string& parent, const std::string& caption, Initial initial) {
        MenuEntry entry;
        entry.key = std::move(key);
        entry.parent = MenuKey{parent, -1};
        entry.caption = caption;
        entry.enabled = initial.enabled;
        entry.checked = initial.checked;
        entries_.push_back(std::move(entry));
    }

    std::vector<MenuEntry> entries_;
    std::map<std::string, int> separatorCount_;
};

} // namespace

std::vector<MenuEntry> MainMenuLayout() {
    LayoutBuilder m;
    const auto perChannel = [](const std::string& suffix) {
        return [suffix](int index) { return ChannelCaption(index, suffix); };
    };

    m.Menu("mnuFile", "&File");
    m.Item("mnuFile", "mnuFileNew", "&New Profile");
    m.Item("mnuFile", "mnuFileOpenProfile", "&Open Profile");
    m.Item("mnuFile", "mnuFileOpenLegacyProfile", "Open ZEK-4 Profile");
    m.Item("mnuFile", "mnuFileSaveProfile", "&Save Profile");
    m.Separator("mnuFile");
    m.Item("mnuFile", "mnuFileOpenReport", "Open &Report");
    m.Item("mnuFile", "mnuFileSaveReport", "Save Report");
    m.Item("mnuFile", "mnuFileExport", "Export Test Data");
    m.Item("mnuFile", "mnuFileExportRecord", "Export Test Record...");
    m.Separator("mnuFile");
    m.Item("mnuFile", "mnuFilePrint", "&Print Report");
    m.Item("mnuFile", "mnuFilePrinterSetup", "Printer Setup");
    m.Item("mnuFile", "mnuFileColor", "Print &Color");
    // Both colour items invert both ticks, so exactly one must start ticked: the
    // defaults choose monochrome printing.
    m.Item("mnuFileColor", "mnuFileColorColors", "Colors");
    m.Item("mnuFileColor", "mnuFileColorMono", "Monochrome", kTicked);
    m.Separator("mnuFile");
    m.Item("mnuFile", "mnuExit", "E&xit");

    m.Menu("mnuRun", "&Run");
    m.Item("mnuRun", "mnuRunServoOn", "&Servo On");
    m.Item("mnuRun", "mnuRunServoOff", "Servo &Off", kTicked);
    m.Separator("mnuRun");
    m.Item("mnuRun", "mnuRunRun", "Sweep &Run");
    m.Item("mnuRun", "mnuRunHold", "Sweep &Hold", kTicked);
    m.Item("mnuRun", "mnuRunAbort", "&Abort");
    m.Separator("mnuRun");
    m.Item("mnuRun", "mnuRunLL", "&Lower Limit");
    m.Item("mnuRun", "mnuRunUL", "&Upper Limit");
    m.Item("mnuRun", "mnuRunDir", "Sweep &Direction");
    m.Item("mnuRunDir", "mnuRunDirDown", "&Down");
    m.Item("mnuRunDir", "mnuRunDirUp", "&Up", kTicked); // the sweep starts upwards
    m.Separator("mnuRun");
    m.Item("mnuRun", "mnuRunToggle", "&Toggle Ch#1-Ch#4/8/16");
    m.Item("mnuRun", "mnuRunDemo", "Demo Routine");

    // The prompts of the MIL-167 rate commands send the operator to
    // "SWEEP SETUP|RATE|...", so the menu carries that name.
    m.Menu("mnuSweep", "&Sweep Setup");
    m.Item("mnuSweep", "mnuSweepLL", "&Lower Limit");
    m.Item("mnuSweep", "mnuSweepUL", "&Upper Limit");
    m.Item("mnuSweep", "mnuSweepNo", "# of &Sweeps");
    m.Separator("mnuSweep");
    m.Item("mnuSweep", "mnuSweepType", "&Type");
    m.Item("mnuSweepType", "mnuSweepTypeLog", "Logarithmic", kTicked);
    m.Item("mnuSweepType", "mnuSweepTypeLinear", "Linear");
    m.Item("mnuSweepType", "mnuSweepTypeMIL167", "Mil-167");
    m.Item("mnuSweep", "mnuSweepRate", "&Rate");
    m.Item("mnuSweepRate", "mnuSweepRateRate", "Enter Rate");
    m.Item("mnuSweepRate", "mnuSweepRateTime", "Enter Time");
    m.Item("mnuSweep", "mnuSweepServoRate", "Ser&vo Rate");
    m.Item("mnuSweepServoRate", "mnuSweepServoRateSlow", "Slow");
    m.Item("mnuSweepServoRate", "mnuSweepServoRateMedium", "Medium", kTicked);
    m.Item("mnuSweepServoRate", "mnuSweepServoRateFast", "Fast");
    m.Separator("mnuSweep");
    m.Item("mnuSweep", "mnuSweepResonance", "Reso&nance Search");
    m.Item("mnuSweepResonance", "mnuSweepResonanceEnabled", "Resonance Search Enabled");
    m.Separator("mnuSweepResonance");
    m.Item("mnuSweepResonance", "mnuSweepResonanceLL", "Lower Search Frequency Limit");
    m.Item("mnuSweepResonance", "mnuSweepResonanceUL", "Upper Search Frequency Limit");
    m.Item("mnuSweep", "mnuSweepDwell", "&Dwell Points");
    m.Item("mnuSweepDwell", "mnuSweepDwellActive", "# Active Dwell Points");
    // No dwell point is active by default; the dwell count enables the first items.
    const auto dwellGreyed = [](int) { return kGreyed; };
    m.Separator("mnuSweepDwell");
    m.Array(
        "mnuSweepDwell", "mnuSweepDwellFreq", kDwellPointCount,
        [](int index) { return "Dwell Frequency #" + std::to_string(index + 1); }, dwellGreyed);
    m.Separator("mnuSweepDwell");
    m.Array(
        "mnuSweepDwell", "mnuSweepDwellTime", kDwellPointCount,
        [](int index) { return "Dwell Time Duration #" + std::to_string(index + 1); }, dwellGreyed);

    m.Menu("mnuSystem", "S&ystem");
    m.Item("mnuSystem", "mnuSystemUpdate", "Update &Rate");
    m.Item("mnuSystem", "mnuSystemMaxD", "Max. &Displacement");
    m.Item("mnuSystem", "mnuSystemMaxV", "Max. &Velocity");
    m.Item("mnuSystem", "mnuSystemMaxA", "Max. &Acceleration");
    m.Separator("mnuSystem");
    m.Item("mnuSystem", "mnuSystemLowGain", "&Low Gain Trip Point");
    m.Item("mnuSystem", "mnuSystemOpenLoop", "&Open Loop Trip Point");
    m.Item("mnuSystem", "mnuSystemManualSteps", "Manual Mode Steps");
    m.Separator("mnuSystem");
    m.Item("mnuSystem", "mnuSystemAddress", "&Board Address");
    m.Item("mnuSystemAddress", "mnuSystemAddressMaster", "Master");
    m.Item("mnuSystemAddress", "mnuSystemAddressSlave", "Slave");
    m.Item("mnuSystem", "mnuSystemActiveChannels", "Active Cha&nnels");
    m.Item("mnuSystemActiveChannels", "mnuSystemActiveChannels4", "4 Input Channels");
    m.Item("mnuSystemActiveChannels", "mnuSystemActiveChannels8", "8 Input Channels", kTicked);
    m.Item("mnuSystemActiveChannels", "mnuSystemActiveChannels16", "16 Input Channels");
    m.Item("mnuSystem", "mnuSystemInterface", "&Interface");
    m.Item("mnuSystemInterface", "mnuSystemInterfaceDIO", "DIO-24 PCI Card");
    m.Item("mnuSystemInterface", "mnuSystemInterfacePCI", "Daq1000 PCI Card", kTicked);
    m.Item("mnuSystemInterface", "mnuSystemInterfaceUSB", "USB");
    // How a channel's block becomes its amplitude (AmplitudeDetector).
    m.Item("mnuSystem", "mnuSystemDetector", "De&tector");
    m.Item("mnuSystemDetector", "mnuSystemDetectorMean", "Rectified Mean", kTicked);
    m.Item("mnuSystemDetector", "mnuSystemDetectorPeak", "Peak");
    m.Item("mnuSystemDetector", "mnuSystemDetectorTracking", "Tracking Filter");
    m.Item("mnuSystemDetector", "mnuSystemDetectorRms", "RMS x 1.414");
    m.Separator("mnuSystem");
    m.Item("mnuSystem", "mnuSystemUnits", "&Units");
    m.Item("mnuSystemUnits", "mnuSystemUnitsEnglish", "&English", kTicked);
    m.Item("mnuSystemUnits", "mnuSystemUnitsMetric", "&Metric");
    m.Item("mnuSystemUnits", "mnuSystemUnitsHybrid", "&Hybrid ( MM And G's )");
    m.Item("mnuSystem", "mnuSystemSeps", "Number &Separators");
    m.Item("mnuSystemSeps", "mnuSystemSepsEnglish", "English ( 1,000.00 )", kTicked);
    m.Item("mnuSystemSeps", "mnuSystemSepsReversed", "Reversed ( 1.000,00 )");
    m.Separator("mnuSystem");
    m.Item("mnuSystem", "mnuSystemCal", "&Calibration");
    m.Array("mnuSystemCal", "mnuSystemCalGain", kChannelCount, perChannel(" Gain"), SlaveChannelsGreyed);
    m.Separator("mnuSystemCal");
    m.Item("mnuSystemCal", "mnuSystemCalUpdate", "Update Calibration Factors");

    m.Menu("mnuInputs", "&Inputs");
    m.Item("mnuInputs", "mnuInputsSensitivity", "&Sensitivity");
    m.Array("mnuInputsSensitivity", "mnuInputsSens", kChannelCount, perChannel(" Sensitivity"), SlaveChannelsGreyed);
    m.Item("mnuInputs", "mnuInputsCurrentSources", "Input &Current");
    m.Array("mnuInputsCurrentSources", "mnuInputsCurrent", kChannelCount, perChannel(" Current"), SlaveChannelsGreyed);
    m.Item("mnuInputs", "mnuInputsAccel", "&Accelerometer");
    m.Item("mnuInputsAccel", "mnuInputsAccelModel", "Model #");
    m.Item("mnuInputsAccel", "mnuInputsAccelSerial", "Serial #");
    m.Item("mnuInputs", "mnuInputsLimits", "&Limit Channels...");
    m.Separator("mnuInputs");
    m.Item("mnuInputs", "mnuInputsRemote", "&Remote Controls");
    m.Item("mnuInputs", "mnuInputsDllControl", "Software Remote Control");

    m.Menu("mnuTest", "&Test Setup");
    m.Item("mnuTest", "mnuTestTitle", "&Title");
    m.Item("mnuTest", "mnuTestSubTitle1", "Sub Title #1");
    m.Item("mnuTest", "mnuTestSubTitle2", "Sub Title 2");
    m.Separator("mnuTest");
    m.Item("mnuTest", "mnuTestModify", "&Modify Profile");
    m.Item("mnuTest", "mnuTestAlarm", "Abort &Limits");
    m.Item("mnuTest", "mnuTestControl", "&Control");
    m.Item("mnuTestControl", "mnuTestControlManual", "Manual");
    m.Item("mnuTestControl", "mnuTestControlAverage", "Average", kTicked);
    m.Item("mnuTestControl", "mnuTestControlExtremal", "Extremal");
    m.Separator("mnuTestControl");
    m.Item("mnuTestControl", "mnuTestControlCh1", "Ch#1", kTicked); // channel 1 alone controls by default
    m.Item("mnuTestControl", "mnuTestControlCh2", "Ch#2");
    m.Item("mnuTestControl", "mnuTestControlCh3", "Ch#3");
    m.Item("mnuTestControl", "mnuTestControlCh4", "Ch#4");
    m.Separator("mnuTest");
    m.Item("mnuTest", "mnuTestAutoPrint", "Auto Print");
    m.Item("mnuTest", "mnuTestAutoSave", "Auto Save Report");
    m.Item("mnuTest", "mnuTestAutoExport", "Auto Export Data");

    m.Menu("mnuView", "&View");
    m.Item("mnuView", "mnuViewDisplay", "Display &Mode");
    m.Item("mnuViewDisplay", "mnuViewDisplayAcc", "Acceleration Only", kTicked);
    m.Item("mnuViewDisplay", "mnuViewDisplayControl", "Controlled Response");
    m.Item("mnuView", "mnuViewPlotColor", "&Plot Background");
    m.Item("mnuViewPlotColor", "mnuViewPlotColorBlack", "&Black", kTicked);
    m.Item("mnuViewPlotColor", "mnuViewPlotColorWhite", "&White");
    m.Separator("mnuView");
    // The two halves of the channel range only make sense with the slave board in.
    m.Item("mnuView", "mnuViewChannels", "&Channels");
    m.Item("mnuViewChannels", "mnuViewChannelsAll", "All Channels", kTicked);
    m.Item("mnuViewChannels", "mnuViewChannelsLower", "Channels #1-8", kGreyed);
    m.Item("mnuViewChannels", "mnuViewChannelsUpper", "Channels #9-16", kGreyed);
    m.Item("mnuView", "mnuViewChannelResponse", "&Response");
    m.Array("mnuViewChannelResponse", "mnuViewResponse", kChannelCount, perChannel(" Response"), [](int index) {
        return index == 0 ? kTicked : SlaveChannelsGreyed(index); // only channel 1 is drawn by default
    });
    m.Item("mnuView", "mnuViewAverage", "A&verage Response");
    m.Array("mnuViewAverage", "mnuViewAveResponse", kAverageChannelCount, perChannel(""));
    m.Item("mnuView", "mnuViewDrive", "&Drive Amplitude", kTicked);
    // Output and input sources: channels 1..8, then the drive and the test reference.
    // The default input source is entry 9 of the table, the drive.
    const auto transferCaption = [](const std::string& driveCaption) {
        return [driveCaption](int index) -> std::string {
            if (index < kAverageChannelCount) return "Channel #" + std::to_string(index + 1);
            return index == kAverageChannelCount ? driveCaption : "Test";
        };
    };
    m.Item("mnuView", "mnuViewTransfer", "&Transfer Function");
    m.Item("mnuViewTransfer", "mnuViewTransferOutput", "&Output");
    m.Array("mnuViewTransferOutput", "mnuViewTransferOut", kTransferSourceCount, transferCaption("Drive "));
    m.Item("mnuViewTransfer", "mnuViewTransferInput", "&Input");
    m.Array("mnuViewTransferInput", "mnuViewTransferIn", kTransferSourceCount, transferCaption("Drive Amplitude"),
            [](int index) { return index == kAverageChannelCount ? kTicked : kOff; });
    m.Item("mnuView", "mnuViewAbort", "&Abort Limits", kTicked);
    m.Separator("mnuView");
    m.Item("mnuView", "mnuViewXaxis", "&X-Axis");
    m.Item("mnuViewXaxis", "mnuViewXaxisIn", "Zoom In");
    m.Item("mnuViewXaxis", "mnuViewXaxisOut", "Zoom Out");
    m.Item("mnuView", "mnuViewYaxis", "&Y-Axis");
    m.Item("mnuViewYaxis", "mnuViewYaxisIn", "Zoom In");
    m.Item("mnuViewYaxis", "mnuViewYaxisOut", "Zoom Out");
    m.Separator("mnuView");
    m.Item("mnuView", "mnuViewTestLog", "Test &Log");
    m.Separator("mnuView");
    m.Item("mnuView", "mnuViewRefresh", "Refresh Screen");

    m.Menu("mnuTools", "T&ools");
    m.Item("mnuTools", "mnuCut", "&Copy Plot to Clipboard");
    m.Item("mnuTools", "mnuToolsCopyData", "Copy &Data to Clipboard");

    m.Menu("mnuHelp", "&Help");
    m.Item("mnuHelp", "mnuHelpContents", "&Contents");
    m.Item("mnuHelp", "mnuHelpKeyboard", "&Keyboard Help");
    m.Item("mnuHelp", "mnuHelpVersion", "&Version History");
    m.Separator("mnuHelp");
    m.Item("mnuHelp", "mnuHelpAbout", "&About ZEK-8");

    return m.Take();
}
