#pragma once

#include "core/Canvas.h"

#include <cstdint>
#include <map>
#include <string>

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

    const PanelItem& Item(const std::string& name) const;
    const std::map<std::string, PanelItem>& Items() const { return items_; }

    void SetText(const std::string& name, const std::string& text);
    void SetForeColor(const std::string& name, Rgb color);
    void SetBackColor(const std::string& name, Rgb color);
    void SetVisible(const std::string& name, bool visible);
    void SetValue(const std::string& name, double value);

    std::uint64_t Revision() const { return revision_; }

private:
    PanelItem& Writable(const std::string& name);

    std::map<std::string, PanelItem> items_;
    std::uint64_t revision_ = 0;
};
