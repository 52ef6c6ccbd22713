// The record another program writes into the remote-control file, as much of it as the
// controller reads; a record read is one the controller could have written itself.
#include "FuzzSupport.h"

#include "core/NumberText.h"
#include "core/RemoteControl.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), std::min(size, RemoteFileReadLimit));
    const auto record = ParseRemoteRecord(text);
    if (!record) return 0;
    Check(std::isfinite(record->command), "a command word that is not finite");
    Check(!record->level || std::isfinite(*record->level), "a drive level that is not finite");
    Check(!record->frequency || std::isfinite(*record->frequency), "a frequency that is not finite");

    FieldWriter written;
    written.AddNumber(record->command);
    written.EndRecord();
    written.AddText(record->key);
    written.EndRecord();
    for (const auto& value : {record->level, record->frequency}) {
        if (!value) break;
        written.AddNumber(*value);
        written.EndRecord();
    }
    const auto again = ParseRemoteRecord(written.Text());
    Check(again.has_value(), "a record as read does not read once written");
    Check(again->level.has_value() == record->level.has_value() &&
              again->frequency.has_value() == record->frequency.has_value(),
          "a record written reads with other lines");
    if (record->key.find_first_of("\"\r\n") == std::string::npos)
        Check(again->key == record->key, "a key written reads as another");
    return 0;
}
