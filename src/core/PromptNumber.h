#pragma once

#include <optional>
#include <string>

struct Controller;

// Numbers in the operator's prompts follow the regional settings: the decimal
// separator is `DecimalSeparator` (a full stop is taken too). Anything that is not a
// finite single-precision number ("", "abc", "inf", "1e39") is no number.
std::optional<float> ParsePromptNumber(const Controller& c, const std::string& text);
// A value as a prompt's default answer.
std::string PromptDefault(const Controller& c, float value);
