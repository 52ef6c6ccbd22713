#pragma once

#include <string>

struct Controller;

// The setup commands of the Sweep Setup, System, Inputs and Test Setup menus: a prompt
// with its default, the checks with their messages, the store and its follow-up, or a
// switch item. True when `name` is one of them; `index` is the item of a menu array.
bool RunSetupCommand(Controller& c, const std::string& name, int index);
