#pragma once

#include "core/Canvas.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// One indicator of the main window: a label, a button caption, the gauge, a picture.
struct PanelItem {
    std::string text;
    Rgb foreColor = 0x000000;
    Rgb backColor = 0xC0C0C0;
    bool visible = true;
    double value = 0.0; // the gauge's position; unused by labels
};

// The texts, colours and visibility of every indicator of the main window, keyed
// by control name ("lblLL", "cmdServoOn", "Gauge1", "imgSine"; the window caption
// under "frmQMS"). The status panel writes them; the window renders them.
class Panel {
public:
    Panel();

    // Items by name, in the order of their names. Names are looked up as given: the
    // status panel writes some thirty of them on every cycle.
    using ItemMap = std::map<std::string, PanelItem, std::less<>>;

    const PanelItem& Item(std::string_view name) const;
    const ItemMap& Items() const { return items_; }

    void SetText(std::string_view name, std::string_view text);
    void SetForeColor(std::string_view name, Rgb color);
    void SetBackColor(std::string_view name, Rgb color);
    void SetVisible(std::string_view name, bool visible);
    void SetValue(std::string_view name, double value);

    std::uint64_t Revision() const { return revision_; }

private:
    PanelItem& Writable(std::string_view name);

    ItemMap items_;
    std::uint64_t revision_ = 0;
};
