// The number syntax of every data file and prompt: ParseNumber on the whole input, and
// FieldReader over it field by field, as texts, as numbers and mixed.
#include "FuzzSupport.h"

#include "core/NumberText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

// Reads every field, as a number where `asNumber` says so; a reader always gets on.
void ReadFields(std::string_view text, bool (*asNumber)(std::size_t)) {
    FieldReader reader(text);
    for (std::size_t field = 0; !reader.AtEnd(); ++field) {
        Check(field <= text.size(), "FieldReader does not get on");
        if (asNumber(field)) {
            const auto value = reader.NextNumber();
            Check(value ? std::isfinite(*value) : reader.LastStatus() != FieldReader::Status::Ok,
                  "a field read as a number that is not one");
        } else {
            Check(reader.NextText().has_value(), "no text before the end of the input");
        }
    }
    Check(!reader.NextText() && reader.LastStatus() != FieldReader::Status::NotANumber,
          "a field after the end of the input");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto value = ParseNumber(text)) {
        Check(std::isfinite(*value), "ParseNumber gave a value that is not finite");
        // What the files and the window write of it reads back.
        Check(ParseNumber(FieldNumber(*value)).has_value(), "FieldNumber wrote what ParseNumber refuses");
        Check(ParseNumber(GeneralNumber(*value)).has_value(), "GeneralNumber wrote what ParseNumber refuses");
    }
    ReadFields(text, [](std::size_t) { return false; });
    ReadFields(text, [](std::size_t) { return true; });
    ReadFields(text, [](std::size_t field) { return field % 2 == 1; });
    return 0;
}
