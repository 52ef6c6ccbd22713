#pragma once

#include "core/Menus.h"

#include <vector>

// The menu bar of the main window, in display order, with the initial state of each item.
std::vector<MenuEntry> MainMenuLayout();
