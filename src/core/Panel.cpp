#include "core/Panel.h"

#include <algorithm>

Panel::Panel() {
    // The indicators as the window shows them before the first status refresh.
    const Rgb black = 0x000000;
    const Rgb grey = 0xC0C0C0;
    // clang-format off
    const std::pair<const char*, const char*> labels[] = {
        {"lblLL", "  L.Limit ="},       {"lblUL", "  U.LIMIT="},         {"lblRate", "  RATE= "},
        {"lblSweepType", "  LOG SWEEP"}, {"lblSweepNumber", "  SWEEP #"}, {"lblElapsedTime", "  E.T.= 00:00:00"},
        {"lblTime", "  TIME ="},        {"lblDate", "  DATE="},          {"Label17", ""},
        {"lblServoRate", "  RATE= "},   {"lblServoSpeed", "  SPEED= "},  {"lblComp", "  COMP.= ."},
        {"lblDisp", "  D="},            {"lblVel", "  V="},              {"lblAccBottom", "  A="},
        {"LblAcc", "  0.0"},            {"lblDisplay", "  ACCELERATION"}, {"lblFreqBottom", "  F= "},
        {"LblFreq", "10.0"},            {"lblControlMode", "    AUTOMATIC"}, {"lblControl", "  CONTROL"},
        {"lblDMode", "D"},              {"lblVMode", "V"},               {"lblAMode", "A"},
        {"lblChannel", "CH#1"},         {"lblSweep", "  SWEEP"},         {"lblCursor", ""},
        {"cmdServoOn", "&Servo On"},    {"cmdServoOff", "Servo &Off"},   {"cmdRun", "Sweep &Run"},
        {"cmdHold", "Sweep &Hold"},     {"frmQMS", "ZEK-8 DIGITAL SINE CONTROLLER"},
    };
    // clang-format on
    for (const auto& [name, text] : labels) Writable(name) = {text, black, grey, true, 0.0};
    for (const char* letter : {"lblDMode", "lblVMode", "lblAMode"}) {
        Writable(letter).foreColor = 0xFFFFFF;
        Writable(letter).backColor = black;
    }
    Writable("lblCursor").visible = false;
    Writable("lblRemote") = {"", 0xFF0000, grey, false, 0.0};
    Writable("lblReport") = {"", black, grey, false, 0.0};
    Writable("lblLimiting") = {"", black, grey, false, 0.0};
    Writable("lblOverload") = {"", 0xFF0000, grey, false, 0.0};
    Writable("lblRecord") = {"", 0xFF0000, grey, false, 0.0};
    Writable("imgSine") = {"", black, grey, false, 0.0};
    Writable("Image3") = {"", black, grey, true, 0.0};
    Writable("Gauge1") = {"", black, grey, true, 0.0};
}

std::size_t Panel::SlotOf(std::string_view name) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = NameHash(name) & mask;; slot = (slot + 1) & mask)
        if (slots_[slot] == 0 || items_[slots_[slot] - 1].first == name) return slot;
}

void Panel::RebuildSlots() {
    std::size_t size = 16;
    while (size < 4 * (items_.size() + 1)) size *= 2;
    slots_.assign(size, 0);
    for (std::size_t place = 0; place < items_.size(); ++place)
        slots_[SlotOf(items_[place].first)] = static_cast<std::uint32_t>(place + 1);
}

const PanelItem& Panel::Item(std::string_view name) const {
    static const PanelItem none;
    if (slots_.empty()) return none;
    const std::uint32_t place = slots_[SlotOf(name)];
    return place == 0 ? none : items_[place - 1].second;
}

PanelItem& Panel::Writable(std::string_view name) {
    if (!slots_.empty())
        if (const std::uint32_t place = slots_[SlotOf(name)]; place != 0) return items_[place - 1].second;
    // A new name takes its place in order; the places after it move up by one.
    const auto at = std::lower_bound(items_.begin(), items_.end(), name,
                                     [](const auto& item, std::string_view key) { return item.first < key; });
    const auto place = static_cast<std::size_t>(at - items_.begin());
    items_.insert(at, {std::string(name), PanelItem{}});
    RebuildSlots();
    return items_[place].second;
}

void Panel::SetText(std::string_view name, std::string_view text) {
    PanelItem& item = Writable(name);
    if (item.text == text) return;
    item.text = text;
    ++revision_;
}

void Panel::SetForeColor(std::string_view name, Rgb color) {
    PanelItem& item = Writable(name);
    if (item.foreColor == color) return;
    item.foreColor = color;
    ++revision_;
}

void Panel::SetBackColor(std::string_view name, Rgb color) {
    PanelItem& item = Writable(name);
    if (item.backColor == color) return;
    item.backColor = color;
    ++revision_;
}

void Panel::SetVisible(std::string_view name, bool visible) {
    PanelItem& item = Writable(name);
    if (item.visible == visible) return;
    item.visible = visible;
    ++revision_;
}

void Panel::SetValue(std::string_view name, double value) {
    PanelItem& item = Writable(name);
    if (item.value == value) return;
    item.value = value;
    ++revision_;
}
