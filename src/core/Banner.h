#pragma once

#include <optional>
#include <string>

// The dealer banner line for a banner selector: 1-2 select line 1, 3-4 line 2, ...
// 11-12 line 6; any other value selects nothing and the title stays as it is.
std::optional<std::string> BannerLine(int selector);
