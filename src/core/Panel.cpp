#include "core/Panel.h"

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
    for (const auto& [name, text] : labels) items_[name] = {text, black, grey, true, 0.0};
    for (const char* letter : {"lblDMode", "lblVMode", "lblAMode"}) {
        items_[letter].foreColor = 0xFFFFFF;
        items_[letter].backColor = black;
    }
    items_["lblCursor"].visible = false;
    items_["lblRemote"] = {"", 0xFF0000, grey, false, 0.0};
    items_["lblReport"] = {"", black, grey, false, 0.0};
    items_["imgSine"] = {"", black, grey, false, 0.0};
    items_["Image3"] = {"", black, grey, true, 0.0};
    items_["Gauge1"] = {"", black, grey, true, 0.0};
}

const PanelItem& Panel::Item(std::string_view name) const {
    static const PanelItem none;
    const auto found = items_.find(name);
    return found == items_.end() ? none : found->second;
}

PanelItem& Panel::Writable(std::string_view name) {
    const auto found = items_.find(name);
    if (found != items_.end()) return found->second;
    return items_.emplace(std::string(name), PanelItem{}).first->second;
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
