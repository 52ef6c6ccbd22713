#pragma once

#include <string_view>

// The operator's guide, docs/operators-guide.md, built into the program as Markdown.
std::string_view OperatorsGuideText();
