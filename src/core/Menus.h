#pragma once

#include <compare>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A menu item by its control name and, for item arrays, its index (-1 otherwise).
struct MenuKey {
    std::string name;
    int index = -1;
    // NOLINTNEXTLINE(modernize-use-nullptr): false hit on the 0 that a defaulted <=> compares with.
    auto operator<=>(const MenuKey&) const = default;
};

// One item of the menu bar as the window builds it. Items come parents first, in
// the order they appear; a caption of "-" is a separator line.
struct MenuEntry {
    MenuKey key;
    MenuKey parent; // empty name for the menus of the bar
    std::string caption;
    bool enabled = true;
    bool checked = false;
    bool visible = true;
};

// Check marks, enabled and visible state and captions of every menu item. The
// controller reads these back ("when Auto Save Report carries its check mark"),
// so they are state of the core; the window only renders them.
class Menus {
public:
    Menus();

    const std::vector<MenuEntry>& Entries() const { return entries_; }
    bool Has(const std::string& name, int index = -1) const;

    bool Checked(const std::string& name, int index = -1) const;
    bool Enabled(const std::string& name, int index = -1) const;
    bool Visible(const std::string& name, int index = -1) const;
    const std::string& Caption(const std::string& name, int index = -1) const;

    // Writes to an item that does not exist are ignored, as the window has nothing to show.
    void SetChecked(const std::string& name, bool checked) { SetChecked(name, -1, checked); }
    void SetChecked(const std::string& name, int index, bool checked);
    void SetEnabled(const std::string& name, int index, bool enabled);
    void SetVisible(const std::string& name, int index, bool visible);
    void SetCaption(const std::string& name, int index, const std::string& caption);

    // Grows with every change, so that a window can tell when to repaint.
    std::uint64_t Revision() const { return revision_; }

private:
    const MenuEntry* Find(const std::string& name, int index) const;
    MenuEntry* Find(const std::string& name, int index);

    std::vector<MenuEntry> entries_;
    std::map<MenuKey, std::size_t> byKey_;
    std::uint64_t revision_ = 0;
};
