#pragma once

#include <optional>
#include <string>

struct Controller;

// Numbers the operator types into a prompt are read with the desktop's decimal point
// (`PromptDecimalPoint`), as every other program on that desktop reads them; the
// Separators setting (`DecimalSeparator`) only chooses what the displays and files
// write.

// The decimal point of the C locale the program runs under: the user's, once the
// window's application has taken up the desktop's locale. A full stop when the
// locale's is not one character.
char LocaleDecimalPoint();

// A prompt's answer as a number. Anything that is not a finite single-precision number
// ("", "abc", "inf", "1e39") is no number and passes in silence, as a Cancel does. An
// answer that would be a number but for its separators ("7,5" or "1,000" where the
// decimal point is a full stop, "7.5" where it is a comma) is no number either, but is
// told, so that it is not taken for a value the operator never meant (75, 1).
std::optional<float> ReadPromptNumber(Controller& c, const std::string& answer);
// A value as a prompt's default answer, written so that accepting it reads it back.
std::string PromptDefault(const Controller& c, float value);
