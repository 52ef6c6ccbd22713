#pragma once

#include <compare>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
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
    bool Has(std::string_view name, int index = -1) const;

    bool Checked(std::string_view name, int index = -1) const;
    bool Enabled(std::string_view name, int index = -1) const;
    bool Visible(std::string_view name, int index = -1) const;
    const std::string& Caption(std::string_view name, int index = -1) const;

    // Writes to an item that does not exist are ignored, as the window has nothing to show.
    void SetChecked(std::string_view name, bool checked) { SetChecked(name, -1, checked); }
    void SetChecked(std::string_view name, int index, bool checked);
    void SetEnabled(std::string_view name, int index, bool enabled);
    void SetVisible(std::string_view name, int index, bool visible);
    void SetCaption(std::string_view name, int index, const std::string& caption);

    // Grows with every change, so that a window can tell when to repaint.
    std::uint64_t Revision() const { return revision_; }

private:
    // Items are looked up by a name as given, without making a key of it: the cycle
    // reads dozens of check marks a second.
    struct KeyOrder {
        using is_transparent = void;
        using View = std::pair<std::string_view, int>;
        static View Of(const MenuKey& key) { return {key.name, key.index}; }
        static View Of(const View& key) { return key; }
        bool operator()(const auto& a, const auto& b) const { return Of(a) < Of(b); }
    };

    const MenuEntry* Find(std::string_view name, int index) const;
    MenuEntry* Find(std::string_view name, int index);

    std::vector<MenuEntry> entries_;
    std::map<MenuKey, std::size_t, KeyOrder> byKey_;
    std::uint64_t revision_ = 0;
};
