#include "core/Menus.h"
#include "core/MenuLayout.h"

Menus::Menus() : entries_(MainMenuLayout()) {
    for (std::size_t i = 0; i < entries_.size(); ++i) byKey_.emplace(entries_[i].key, i);
}

const MenuEntry* Menus::Find(std::string_view name, int index) const {
    const auto found = byKey_.find(KeyView{name, index});
    return found == byKey_.end() ? nullptr : &entries_[found->second];
}

MenuEntry* Menus::Find(std::string_view name, int index) {
    const auto found = byKey_.find(KeyView{name, index});
    return found == byKey_.end() ? nullptr : &entries_[found->second];
}

bool Menus::Has(std::string_view name, int index) const { return Find(name, index) != nullptr; }

bool Menus::Checked(std::string_view name, int index) const {
    const MenuEntry* entry = Find(name, index);
    return entry != nullptr && entry->checked;
}

bool Menus::Enabled(std::string_view name, int index) const {
    const MenuEntry* entry = Find(name, index);
    return entry != nullptr && entry->enabled;
}

bool Menus::Visible(std::string_view name, int index) const {
    const MenuEntry* entry = Find(name, index);
    return entry != nullptr && entry->visible;
}

const std::string& Menus::Caption(std::string_view name, int index) const {
    static const std::string none;
    const MenuEntry* entry = Find(name, index);
    return entry == nullptr ? none : entry->caption;
}

void Menus::SetChecked(std::string_view name, int index, bool checked) {
    MenuEntry* entry = Find(name, index);
    if (entry == nullptr || entry->checked == checked) return;
    entry->checked = checked;
    ++revision_;
}

void Menus::SetEnabled(std::string_view name, int index, bool enabled) {
    MenuEntry* entry = Find(name, index);
    if (entry == nullptr || entry->enabled == enabled) return;
    entry->enabled = enabled;
    ++revision_;
}

void Menus::SetVisible(std::string_view name, int index, bool visible) {
    MenuEntry* entry = Find(name, index);
    if (entry == nullptr || entry->visible == visible) return;
    entry->visible = visible;
    ++revision_;
}

void Menus::SetCaption(std::string_view name, int index, const std::string& caption) {
    MenuEntry* entry = Find(name, index);
    if (entry == nullptr || entry->caption == caption) return;
    entry->caption = caption;
    ++revision_;
}
