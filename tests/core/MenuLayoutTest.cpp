#include "core/MenuLayout.h"
#include "core/Menus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The items the controller's commands, check-mark sync and channel updates address.
// Count 0 is a plain item (index -1); otherwise the item array's element count.
struct NamedItem {
    const char* name;
    int count;
};
// clang-format off
const std::vector<NamedItem> kCommandItems = {
    {"mnuFileNew", 0}, {"mnuFileOpenProfile", 0}, {"mnuFileOpenLegacyProfile", 0}, {"mnuFileSaveProfile", 0},
    {"mnuFileOpenReport", 0}, {"mnuFileSaveReport", 0}, {"mnuFileExport", 0}, {"mnuFileExportRecord", 0}, {"mnuFilePrint", 0},
    {"mnuFilePrinterSetup", 0}, {"mnuFileColorColors", 0}, {"mnuFileColorMono", 0}, {"mnuExit", 0},
    {"mnuRunServoOn", 0}, {"mnuRunServoOff", 0}, {"mnuRunRun", 0}, {"mnuRunHold", 0}, {"mnuRunAbort", 0},
    {"mnuRunLL", 0}, {"mnuRunUL", 0}, {"mnuRunDirDown", 0}, {"mnuRunDirUp", 0}, {"mnuRunToggle", 0},
    {"mnuRunDemo", 0},
    {"mnuSweepLL", 0}, {"mnuSweepUL", 0}, {"mnuSweepNo", 0}, {"mnuSweepRateRate", 0}, {"mnuSweepRateTime", 0},
    {"mnuSweepTypeLog", 0}, {"mnuSweepTypeLinear", 0}, {"mnuSweepTypeMIL167", 0}, {"mnuSweepServoRateSlow", 0},
    {"mnuSweepServoRateMedium", 0}, {"mnuSweepServoRateFast", 0}, {"mnuSweepResonanceEnabled", 0},
    {"mnuSweepResonanceLL", 0}, {"mnuSweepResonanceUL", 0}, {"mnuSweepDwellActive", 0},
    {"mnuSweepDwellFreq", 10}, {"mnuSweepDwellTime", 10},
    {"mnuSystemUpdate", 0}, {"mnuSystemMaxD", 0}, {"mnuSystemMaxV", 0}, {"mnuSystemMaxA", 0},
    {"mnuSystemLowGain", 0}, {"mnuSystemOpenLoop", 0}, {"mnuSystemManualSteps", 0},
    {"mnuSystemAddressMaster", 0}, {"mnuSystemAddressSlave", 0}, {"mnuSystemActiveChannels4", 0},
    {"mnuSystemActiveChannels8", 0}, {"mnuSystemActiveChannels16", 0}, {"mnuSystemInterfaceDIO", 0},
    {"mnuSystemInterfacePCI", 0}, {"mnuSystemInterfaceUSB", 0}, {"mnuSystemSepsEnglish", 0},
    {"mnuSystemDetectorMean", 0}, {"mnuSystemDetectorPeak", 0}, {"mnuSystemDetectorTracking", 0},
    {"mnuSystemDetectorRms", 0},
    {"mnuSystemSepsReversed", 0}, {"mnuSystemUnitsEnglish", 0}, {"mnuSystemUnitsMetric", 0},
    {"mnuSystemUnitsHybrid", 0}, {"mnuSystemCalGain", 16}, {"mnuSystemCalUpdate", 0},
    {"mnuInputsSens", 16}, {"mnuInputsCurrent", 16}, {"mnuInputsAccelModel", 0}, {"mnuInputsAccelSerial", 0},
    {"mnuInputsRemote", 0}, {"mnuInputsDllControl", 0},
    {"mnuTestAlarm", 0}, {"mnuTestTitle", 0}, {"mnuTestSubTitle1", 0}, {"mnuTestSubTitle2", 0},
    {"mnuTestModify", 0}, {"mnuTestAutoPrint", 0}, {"mnuTestAutoSave", 0}, {"mnuTestAutoExport", 0},
    {"mnuTestControlManual", 0}, {"mnuTestControlAverage", 0}, {"mnuTestControlExtremal", 0},
    {"mnuTestControlCh1", 0}, {"mnuTestControlCh2", 0}, {"mnuTestControlCh3", 0}, {"mnuTestControlCh4", 0},
    {"mnuViewDisplayAcc", 0}, {"mnuViewDisplayControl", 0}, {"mnuViewPlotColorBlack", 0},
    {"mnuViewPlotColorWhite", 0}, {"mnuViewChannelsAll", 0}, {"mnuViewChannelsLower", 0},
    {"mnuViewChannelsUpper", 0}, {"mnuViewResponse", 16}, {"mnuViewAveResponse", 8}, {"mnuViewDrive", 0},
    {"mnuViewTransferOut", 10}, {"mnuViewTransferIn", 10}, {"mnuViewAbort", 0}, {"mnuViewRefresh", 0},
    {"mnuViewXaxisIn", 0}, {"mnuViewXaxisOut", 0}, {"mnuViewYaxisIn", 0}, {"mnuViewYaxisOut", 0},
    {"mnuToolsCopyData", 0}, {"mnuCut", 0},
};
// clang-format on

std::map<std::string, std::vector<int>> IndicesByName(const std::vector<MenuEntry>& entries) {
    std::map<std::string, std::vector<int>> indices;
    for (const MenuEntry& e : entries) indices[e.key.name].push_back(e.key.index);
    return indices;
}

const MenuEntry& EntryOf(const Menus& menus, const std::string& name, int index = -1) {
    for (const MenuEntry& e : menus.Entries())
        if (e.key == MenuKey{name, index}) return e;
    static const MenuEntry missing{{"<missing " + name + ">", index}, {"", -1}, "", false, false, false};
    return missing;
}

// The menu of the bar an entry finally sits in.
std::string TopMenuOf(const Menus& menus, const MenuEntry& entry) {
    MenuKey key = entry.key;
    for (int depth = 0; depth < 10; ++depth) {
        const MenuEntry& e = EntryOf(menus, key.name, key.index);
        if (e.parent.name.empty()) return e.key.name;
        key = e.parent;
    }
    return "<cycle>";
}

bool IsSeparator(const MenuEntry& e) { return e.caption == "-"; }

} // namespace

TEST(MenuLayout, HoldsEveryCommandItemWithItsArraySize) {
    const auto indices = IndicesByName(MainMenuLayout());
    for (const NamedItem& item : kCommandItems) {
        SCOPED_TRACE(item.name);
        const auto found = indices.find(item.name);
        ASSERT_NE(found, indices.end());
        std::vector<int> expected;
        if (item.count == 0) expected.push_back(-1);
        for (int i = 0; i < item.count; ++i) expected.push_back(i);
        EXPECT_EQ(found->second, expected); // in display order, index 0 first
    }
}

TEST(MenuLayout, BarHoldsTheNineMenusInOrder) {
    std::vector<std::string> top;
    for (const MenuEntry& e : MainMenuLayout())
        if (e.parent.name.empty()) top.push_back(e.key.name + "=" + e.caption);
    const std::vector<std::string> expected = {"mnuFile=&File",     "mnuRun=&Run",       "mnuSweep=&Sweep Setup",
                                               "mnuSystem=S&ystem", "mnuInputs=&Inputs", "mnuTest=&Test Setup",
                                               "mnuView=&View",     "mnuTools=T&ools",   "mnuHelp=&Help"};
    EXPECT_EQ(top, expected);
}

TEST(MenuLayout, TreeIsWellFormed) {
    const std::vector<MenuEntry> entries = MainMenuLayout();
    std::set<MenuKey> seen;
    std::set<MenuKey> separators;
    std::map<MenuKey, int> childCount;
    for (const MenuEntry& e : entries) {
        SCOPED_TRACE(e.key.name + "[" + std::to_string(e.key.index) + "]");
        EXPECT_TRUE(seen.insert(e.key).second) << "duplicate key";
        EXPECT_EQ(e.key.name.rfind("mnu", 0), 0u);
        if (e.parent.name.empty()) continue;
        EXPECT_EQ(e.parent.index, -1) << "an array element cannot hold items";
        EXPECT_TRUE(seen.count(e.parent) == 1) << "parent missing or after its child";
        EXPECT_FALSE(separators.count(e.parent) == 1) << "a separator holds items";
        if (IsSeparator(e))
            separators.insert(e.key);
        else
            ++childCount[e.parent];
    }
    // Every menu and sub-menu offers at least one real item.
    for (const MenuEntry& e : entries)
        if (e.parent.name.empty()) {
            EXPECT_GT(childCount[e.key], 0) << e.key.name;
        }
}

TEST(MenuLayout, ArrayElementsShareOneParentAndStayTogether) {
    const std::vector<MenuEntry> entries = MainMenuLayout();
    for (const NamedItem& item : kCommandItems) {
        if (item.count == 0) continue;
        SCOPED_TRACE(item.name);
        std::vector<std::size_t> positions;
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i].key.name == item.name) positions.push_back(i);
        ASSERT_EQ(positions.size(), static_cast<std::size_t>(item.count));
        EXPECT_EQ(positions.back() - positions.front() + 1, positions.size());
        for (std::size_t p : positions) EXPECT_EQ(entries[p].parent, entries[positions.front()].parent);
    }
}

TEST(MenuLayout, ItemsSitUnderTheMenuTheirNameNames) {
    const Menus menus;
    const std::vector<std::pair<std::string, std::string>> prefixes = {
        {"mnuFile", "mnuFile"},     {"mnuRun", "mnuRun"},   {"mnuSweep", "mnuSweep"}, {"mnuSystem", "mnuSystem"},
        {"mnuInputs", "mnuInputs"}, {"mnuTest", "mnuTest"}, {"mnuView", "mnuView"},   {"mnuTools", "mnuTools"},
        {"mnuHelp", "mnuHelp"},     {"mnuExit", "mnuFile"}, {"mnuCut", "mnuTools"}};
    for (const MenuEntry& e : menus.Entries()) {
        std::string expected;
        for (const auto& [prefix, top] : prefixes)
            if (e.key.name.rfind(prefix, 0) == 0) expected = top;
        EXPECT_EQ(TopMenuOf(menus, e), expected) << e.key.name;
    }
    // Sub-menus that the item names imply.
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> parents = {
        {"mnuSweepTypeLog", "mnuSweepType"},         {"mnuSweepTypeMIL167", "mnuSweepType"},
        {"mnuSweepRateRate", "mnuSweepRate"},        {"mnuSweepRateTime", "mnuSweepRate"},
        {"mnuSweepServoRateFast", "mnuSweepServoRate"}, {"mnuSweepResonanceUL", "mnuSweepResonance"},
        {"mnuSweepDwellActive", "mnuSweepDwell"},    {"mnuSystemUnitsHybrid", "mnuSystemUnits"},
        {"mnuSystemSepsReversed", "mnuSystemSeps"},  {"mnuSystemInterfaceUSB", "mnuSystemInterface"},
        {"mnuSystemActiveChannels16", "mnuSystemActiveChannels"}, {"mnuSystemAddressSlave", "mnuSystemAddress"},
        {"mnuSystemCalUpdate", "mnuSystemCal"},      {"mnuInputsAccelSerial", "mnuInputsAccel"},
        {"mnuRunDirUp", "mnuRunDir"},                {"mnuFileColorMono", "mnuFileColor"},
        {"mnuTestControlCh4", "mnuTestControl"},     {"mnuViewDisplayControl", "mnuViewDisplay"},
        {"mnuViewPlotColorWhite", "mnuViewPlotColor"}, {"mnuViewChannelsUpper", "mnuViewChannels"},
        {"mnuViewXaxisOut", "mnuViewXaxis"},         {"mnuViewYaxisIn", "mnuViewYaxis"}};
    // clang-format on
    for (const auto& [child, parent] : parents) EXPECT_EQ(EntryOf(menus, child).parent.name, parent) << child;
    EXPECT_EQ(EntryOf(menus, "mnuSystemCalGain", 15).parent.name, "mnuSystemCal");
    EXPECT_EQ(EntryOf(menus, "mnuSweepDwellTime", 9).parent.name, "mnuSweepDwell");
    EXPECT_EQ(TopMenuOf(menus, EntryOf(menus, "mnuViewTransferOut", 0)), "mnuView");
    EXPECT_NE(EntryOf(menus, "mnuViewTransferOut", 0).parent, EntryOf(menus, "mnuViewTransferIn", 0).parent);
}

TEST(MenuLayout, CaptionsAsTheOperatorKnowsThem) {
    const Menus menus;
    const std::vector<std::tuple<std::string, int, std::string>> captions = {
        {"mnuExit", -1, "E&xit"},
        {"mnuRunServoOn", -1, "&Servo On"},
        {"mnuRunServoOff", -1, "Servo &Off"},
        {"mnuRunToggle", -1, "&Toggle Ch#1-Ch#4/8/16"},
        {"mnuRunDemo", -1, "Demo Routine"},
        {"mnuFileOpenLegacyProfile", -1, "Open ZEK-4 Profile"},
        {"mnuFileOpenReport", -1, "Open &Report"},
        {"mnuSweepNo", -1, "# of &Sweeps"},
        {"mnuSweepTypeMIL167", -1, "Mil-167"},
        {"mnuSweepDwellActive", -1, "# Active Dwell Points"},
        {"mnuSweepDwellFreq", 0, "Dwell Frequency #1"},
        {"mnuSweepDwellTime", 9, "Dwell Time Duration #10"},
        {"mnuSystemUnitsHybrid", -1, "&Hybrid ( MM And G's )"},
        {"mnuSystemSepsReversed", -1, "Reversed ( 1.000,00 )"},
        {"mnuSystemMaxA", -1, "Max. &Acceleration"},
        {"mnuSystemCalGain", 15, "Ch#16 Gain"},
        {"mnuInputsSens", 0, "Ch#1 Sensitivity"},
        {"mnuInputsCurrent", 9, "Ch#10 Current"},
        {"mnuTestSubTitle2", -1, "Sub Title 2"},
        {"mnuTestControlCh3", -1, "Ch#3"},
        {"mnuViewResponse", 15, "Ch#16 Response"},
        {"mnuViewAveResponse", 7, "Ch#8"},
        {"mnuViewTransferOut", 0, "Channel #1"},
        {"mnuViewTransferOut", 7, "Channel #8"},
        {"mnuViewTransferOut", 8, "Drive "},
        {"mnuViewTransferIn", 8, "Drive Amplitude"},
        {"mnuViewTransferIn", 9, "Test"},
        {"mnuViewChannelsUpper", -1, "Channels #9-16"},
        {"mnuViewYaxisOut", -1, "Zoom Out"},
        {"mnuCut", -1, "&Copy Plot to Clipboard"},
        {"mnuToolsCopyData", -1, "Copy &Data to Clipboard"},
    };
    for (const auto& [name, index, caption] : captions) EXPECT_EQ(menus.Caption(name, index), caption) << name;
}

TEST(MenuLayout, SeparatorsAndAccessKeysWithinEachMenu) {
    const std::vector<MenuEntry> entries = MainMenuLayout();
    std::map<std::string, std::vector<const MenuEntry*>> children;
    for (const MenuEntry& e : entries) children[e.parent.name].push_back(&e);
    for (const auto& [parent, items] : children) {
        SCOPED_TRACE(parent.empty() ? "menu bar" : parent);
        EXPECT_FALSE(IsSeparator(*items.front()));
        EXPECT_FALSE(IsSeparator(*items.back()));
        std::set<char> keys;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (i > 0) {
                EXPECT_FALSE(IsSeparator(*items[i]) && IsSeparator(*items[i - 1])) << "double separator";
            }
            const std::string& caption = items[i]->caption;
            const std::size_t amp = caption.find('&');
            if (amp == std::string::npos || amp + 1 >= caption.size()) continue;
            const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(caption[amp + 1])));
            EXPECT_TRUE(keys.insert(key).second) << "access key " << key << " twice, at " << caption;
        }
    }
}

TEST(MenuLayout, InitialStateMatchesTheDefaultSetUp) {
    const Menus menus;
    // Eight channels on the master board: channels 9..16 greyed, 5..8 available.
    for (const char* name : {"mnuInputsSens", "mnuInputsCurrent", "mnuSystemCalGain", "mnuViewResponse"})
        for (int i = 0; i < 16; ++i) EXPECT_EQ(menus.Enabled(name, i), i < 8) << name << i;
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(menus.Enabled("mnuViewAveResponse", i));
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(menus.Enabled("mnuViewTransferOut", i) && menus.Enabled("mnuViewTransferIn", i));
    EXPECT_FALSE(menus.Enabled("mnuViewChannelsLower"));
    EXPECT_FALSE(menus.Enabled("mnuViewChannelsUpper"));
    // No dwell point active.
    EXPECT_TRUE(menus.Enabled("mnuSweepDwellActive"));
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(menus.Enabled("mnuSweepDwellFreq", i) || menus.Enabled("mnuSweepDwellTime", i));

    // Each choice group has exactly its default ticked.
    const std::vector<std::pair<std::vector<std::string>, std::string>> groups = {
        {{"mnuSweepTypeLog", "mnuSweepTypeLinear", "mnuSweepTypeMIL167"}, "mnuSweepTypeLog"},
        {{"mnuSweepServoRateSlow", "mnuSweepServoRateMedium", "mnuSweepServoRateFast"}, "mnuSweepServoRateMedium"},
        {{"mnuTestControlManual", "mnuTestControlAverage", "mnuTestControlExtremal"}, "mnuTestControlAverage"},
        {{"mnuSystemUnitsEnglish", "mnuSystemUnitsMetric", "mnuSystemUnitsHybrid"}, "mnuSystemUnitsEnglish"},
        {{"mnuSystemSepsEnglish", "mnuSystemSepsReversed"}, "mnuSystemSepsEnglish"},
        {{"mnuSystemInterfaceDIO", "mnuSystemInterfacePCI", "mnuSystemInterfaceUSB"}, "mnuSystemInterfacePCI"},
        {{"mnuSystemDetectorMean", "mnuSystemDetectorPeak", "mnuSystemDetectorTracking", "mnuSystemDetectorRms"},
         "mnuSystemDetectorMean"},
        {{"mnuSystemActiveChannels4", "mnuSystemActiveChannels8", "mnuSystemActiveChannels16"},
         "mnuSystemActiveChannels8"},
        {{"mnuViewDisplayAcc", "mnuViewDisplayControl"}, "mnuViewDisplayAcc"},
        {{"mnuViewPlotColorBlack", "mnuViewPlotColorWhite"}, "mnuViewPlotColorBlack"},
        {{"mnuViewChannelsAll", "mnuViewChannelsLower", "mnuViewChannelsUpper"}, "mnuViewChannelsAll"},
        {{"mnuRunServoOn", "mnuRunServoOff"}, "mnuRunServoOff"},
        {{"mnuRunRun", "mnuRunHold"}, "mnuRunHold"},
        {{"mnuRunDirDown", "mnuRunDirUp"}, "mnuRunDirUp"},
        {{"mnuFileColorColors", "mnuFileColorMono"}, "mnuFileColorMono"},
    };
    for (const auto& [members, ticked] : groups)
        for (const std::string& member : members) EXPECT_EQ(menus.Checked(member), member == ticked) << member;

    for (const char* name :
         {"mnuTestAutoPrint", "mnuTestAutoSave", "mnuTestAutoExport", "mnuSweepResonanceEnabled", "mnuInputsDllControl",
          "mnuInputsRemote", "mnuRunDemo", "mnuTestControlCh2", "mnuTestControlCh3", "mnuTestControlCh4"})
        EXPECT_FALSE(menus.Checked(name)) << name;
    EXPECT_TRUE(menus.Checked("mnuTestControlCh1"));
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(menus.Checked("mnuViewResponse", i), i == 0) << i;
        EXPECT_FALSE(menus.Checked("mnuInputsCurrent", i)) << i;
    }
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(menus.Checked("mnuViewAveResponse", i));
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(menus.Checked("mnuViewTransferOut", i)) << i;     // no transfer trace
        EXPECT_EQ(menus.Checked("mnuViewTransferIn", i), i == 8) << i; // input source 9, the drive
    }
    for (const MenuEntry& e : menus.Entries()) EXPECT_TRUE(e.visible) << e.key.name;
}

TEST(Menus, ReadsAndWritesStateByKey) {
    Menus menus;
    EXPECT_FALSE(menus.Has("mnuInputsSens")); // an array has no element -1
    EXPECT_TRUE(menus.Has("mnuInputsSens", 15));
    EXPECT_FALSE(menus.Has("mnuInputsSens", 16));
    EXPECT_FALSE(menus.Has("mnuTestAutoSave", 0));

    const std::uint64_t start = menus.Revision();
    menus.SetChecked("mnuTestAutoSave", true);
    EXPECT_TRUE(menus.Checked("mnuTestAutoSave"));
    EXPECT_EQ(menus.Revision(), start + 1);
    menus.SetChecked("mnuTestAutoSave", true); // no change, no repaint
    EXPECT_EQ(menus.Revision(), start + 1);

    menus.SetEnabled("mnuSweepDwellFreq", 2, true);
    EXPECT_TRUE(menus.Enabled("mnuSweepDwellFreq", 2));
    EXPECT_FALSE(menus.Enabled("mnuSweepDwellFreq", 3));
    EXPECT_FALSE(menus.Enabled("mnuSweepDwellTime", 2));

    menus.SetChecked("mnuViewTransferOut", 4, true);
    EXPECT_TRUE(menus.Checked("mnuViewTransferOut", 4));
    EXPECT_FALSE(menus.Checked("mnuViewTransferIn", 4));

    menus.SetVisible("mnuRunDemo", -1, false);
    EXPECT_FALSE(menus.Visible("mnuRunDemo"));
    menus.SetCaption("mnuRunToggle", -1, "&Toggle Ch#1-Ch#16");
    EXPECT_EQ(menus.Caption("mnuRunToggle"), "&Toggle Ch#1-Ch#16");
    EXPECT_EQ(menus.Revision(), start + 5);

    menus.SetChecked("mnuNoSuchItem", true);
    menus.SetEnabled("mnuInputsSens", 16, false);
    EXPECT_EQ(menus.Revision(), start + 5);
    EXPECT_FALSE(menus.Checked("mnuNoSuchItem"));
    EXPECT_EQ(menus.Caption("mnuNoSuchItem"), "");
}
