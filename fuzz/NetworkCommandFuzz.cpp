// A command payload from the lab network: whatever it holds, it reads as a command or a
// refusal, and a command read holds only what the controller can act on.
#include "FuzzSupport.h"

#include "core/NetworkCommand.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzController fuzz;
    NetworkMessage message;
    message.payload.assign(reinterpret_cast<const char*>(data), size);
    const NetworkCommand command = ParseNetworkCommand(message);

    Check(command.id.size() <= NetworkIdLimit, "an id longer than is kept");
    const auto id = nlohmann::json::parse(command.id, nullptr, false);
    Check(!id.is_discarded() && (id.is_null() || id.is_string() || id.is_number()), "an id echoed as no JSON id");
    if (!command.refusal.empty()) return 0;
    Check(!id.is_null(), "a command read without its id");
    Check(!command.level || std::isfinite(*command.level), "a level that is not finite");
    Check(!command.frequency || std::isfinite(*command.frequency), "a frequency that is not finite");
    const bool imposes = command.kind == NetworkCommandKind::Impose;
    Check(imposes == (command.level || command.frequency), "values on a command other than impose");
    const std::string bounds = NetworkCommandOutOfBounds(fuzz.c, command);
    Check(!bounds.empty() || !command.level || *command.level > 0.0f, "a level at or below 0 within bounds");
    return 0;
}
