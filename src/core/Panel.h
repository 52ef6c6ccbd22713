#pragma once

#include "core/Canvas.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

    // Items with their names, in the order of the names.
    using ItemList = std::vector<std::pair<std::string, PanelItem>>;

    const PanelItem& Item(std::string_view name) const;
    const ItemList& Items() const { return items_; }

    void SetText(std::string_view name, std::string_view text);
    void SetForeColor(std::string_view name, Rgb color);
    void SetBackColor(std::string_view name, Rgb color);
    void SetVisible(std::string_view name, bool visible);
    void SetValue(std::string_view name, double value);

    std::uint64_t Revision() const { return revision_; }

private:
    PanelItem& Writable(std::string_view name);

    // The status panel writes dozens of items on every cycle: they are found by a hash
    // of the name as given, not by comparing names along a tree. The few dozen names
    // differ in length and in their first, middle and last letters; a hash of those
    // alone is worked out inline, where a hash of every byte is a library call.
    static std::size_t NameHash(std::string_view name) {
        if (name.empty()) return 0;
        const auto byte = [&name](std::size_t at) { return static_cast<unsigned char>(name[at]); };
        return name.size() * 0x9E3779B1u ^ byte(0) * 0x10001u ^ byte(name.size() / 2) * 0x101u ^
               byte(name.size() - 1) * 0x1000193u;
    }
    // The slot of `name` in `slots_`: the one holding it, or the empty one it would take.
    std::size_t SlotOf(std::string_view name) const;
    void RebuildSlots();

    ItemList items_;
    // An open-addressed table of places in items_ (each plus one; 0 an empty slot), a
    // power of two long and at most a quarter full, so a name is found at the first or
    // second slot it looks at, with no division and no node to follow.
    std::vector<std::uint32_t> slots_;
    std::uint64_t revision_ = 0;
};
