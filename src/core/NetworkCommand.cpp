#include "core/NetworkCommand.h"

#include "core/Controller.h"
#include "core/MeasurableBand.h"
#include "core/NumberText.h"
#include "core/ParameterNames.h"
#include "core/RemoteControl.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

namespace {

using nlohmann::json;

struct CommandWord {
    std::string_view word;
    NetworkCommandKind kind;
};
constexpr CommandWord Words[] = {
    {"servo-on", NetworkCommandKind::ServoOn}, {"stop", NetworkCommandKind::Stop},     {"run", NetworkCommandKind::Run},
    {"hold", NetworkCommandKind::Hold},        {"impose", NetworkCommandKind::Impose},
};

NetworkCommand Refused(std::string reason, std::string id = "null") {
    NetworkCommand command;
    command.id = std::move(id);
    command.refusal = std::move(reason);
    return command;
}

// A string, or a number that is finite (a number beyond a double reads as infinite).
std::optional<std::string> IdText(const json& payload) {
    const auto id = payload.find("id");
    if (id == payload.end()) return std::nullopt;
    if (!id->is_string() && !id->is_number()) return std::nullopt;
    if (id->is_number_float() && !std::isfinite(id->get<double>())) return std::nullopt;
    std::string text = id->dump(-1, ' ', false, json::error_handler_t::replace);
    if (text.size() > NetworkIdLimit) return std::nullopt;
    return text;
}

// Absent: nothing. Present, the value as a single-precision number, or why it is none.
struct ValueRead {
    std::optional<float> value;
    std::string fault;
};
ValueRead ReadValue(const json& payload, const char* key) {
    const auto entry = payload.find(key);
    if (entry == payload.end()) return {};
    if (!entry->is_number()) return {std::nullopt, std::string(key) + " is not a number"};
    const double value = entry->get<double>();
    // JSON has no NaN or infinity, but a double beyond the range of a single would
    // become an infinite level.
    if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        return {std::nullopt, std::string(key) + " is not a finite single-precision number"};
    return {static_cast<float>(value), ""};
}

} // namespace

const char* NetworkCommandWord(NetworkCommandKind kind) {
    for (const CommandWord& word : Words)
        if (word.kind == kind) return word.word.data();
    return "";
}

NetworkCommand ParseNetworkCommand(const NetworkMessage& message) {
    // Cut short by the link: whatever it reads as is not what was sent.
    if (message.tooLarge) return Refused("command too large");
    const json payload = json::parse(message.payload, nullptr, false);
    if (payload.is_discarded()) return Refused("not JSON");
    if (!payload.is_object()) return Refused("not a JSON object");
    const auto id = IdText(payload);
    if (!id)
        return Refused("no readable id: a string or a finite number, at most " + std::to_string(NetworkIdLimit) +
                       " characters");

    const auto word = payload.find("command");
    if (word == payload.end()) return Refused("no command", *id);
    if (!word->is_string()) return Refused("command is not a string", *id);
    const std::string& text = word->get_ref<const std::string&>();
    NetworkCommand command;
    command.id = *id;
    bool known = false;
    for (const CommandWord& entry : Words) {
        if (entry.word != text) continue;
        command.kind = entry.kind;
        known = true;
    }
    if (!known) return Refused("unknown command", *id);

    const ValueRead level = ReadValue(payload, "level");
    if (!level.fault.empty()) return Refused(level.fault, *id);
    const ValueRead frequency = ReadValue(payload, "frequency");
    if (!frequency.fault.empty()) return Refused(frequency.fault, *id);
    const bool imposes = command.kind == NetworkCommandKind::Impose;
    if (!imposes && (level.value || frequency.value)) return Refused("level and frequency belong to impose only", *id);
    if (imposes && !level.value && !frequency.value) return Refused("impose needs a level or a frequency", *id);
    command.level = level.value;
    command.frequency = frequency.value;
    return command;
}

std::string NetworkCommandOutOfBounds(const Controller& c, const NetworkCommand& command) {
    if (command.level && !RemoteLevelAllowed(c, *command.level))
        return "level not above 0 and at most " + GeneralNumber(RemoteLevelLimit(c)) + " G";
    if (command.frequency) {
        const float f = *command.frequency;
        const float lower = c.P[Param::LowerLimit];
        const float upper = c.P[Param::UpperLimit];
        const bool measurable = Band::Held(f, std::numeric_limits<float>::quiet_NaN()) == f;
        if (!measurable || f < lower || f > upper)
            return "frequency not within " + GeneralNumber(std::max(lower, Band::LowestFrequency)) + " .. " +
                   GeneralNumber(std::min(upper, Band::HighestFrequency)) + " Hz";
    }
    return "";
}
