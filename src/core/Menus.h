#pragma once

#include <algorithm>
#include <compare>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
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
    // Items are found by a hash of the name as given, without making a key of it: the
    // cycle reads dozens of check marks a second.
    using KeyView = std::pair<std::string_view, int>;
    static KeyView ViewOf(const MenuKey& key) { return {key.name, key.index}; }
    static KeyView ViewOf(const KeyView& key) { return key; }
    // The plot asks for a few dozen ticks on every cycle. The names all begin "mnu" and
    // differ in length and in their fourth, middle and last letters: a hash of those and
    // the index is worked out inline, where a hash of every byte is a library call.
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(const auto& key) const {
            const KeyView view = ViewOf(key);
            const std::string_view name = view.first;
            const int index = view.second;
            if (name.empty()) return static_cast<std::size_t>(index);
            const auto byte = [&name](std::size_t at) { return static_cast<unsigned char>(name[at]); };
            return name.size() * 0x9E3779B1u ^ byte(std::min<std::size_t>(3, name.size() - 1)) * 0x10001u ^
                   byte(name.size() / 2) * 0x101u ^ byte(name.size() - 1) * 0x1000193u ^
                   static_cast<std::size_t>(index + 1) * 0x2545F491u;
        }
    };
    struct KeyEqual {
        using is_transparent = void;
        bool operator()(const auto& a, const auto& b) const { return ViewOf(a) == ViewOf(b); }
    };

    const MenuEntry* Find(std::string_view name, int index) const;
    MenuEntry* Find(std::string_view name, int index);

    std::vector<MenuEntry> entries_;
    std::unordered_map<MenuKey, std::size_t, KeyHash, KeyEqual> byKey_;
    std::uint64_t revision_ = 0;
};
