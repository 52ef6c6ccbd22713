#include "core/NetworkStatus.h"

#include "core/Controller.h"
#include "core/EventLog.h"
#include "core/ParameterNames.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

using nlohmann::ordered_json;

constexpr double WholeNumbersUpTo = 9007199254740992.0; // 2^53: every whole double below it

// Not finite: null. A whole number goes out without a point (a code 3, not 3.0).
ordered_json Number(double value) {
    if (!std::isfinite(value)) return nullptr;
    if (value == std::trunc(value) && std::fabs(value) < WholeNumbersUpTo) return static_cast<std::int64_t>(value);
    return value;
}
// A single-precision value as the double of its shortest digits, so that 0.1f goes out
// as 0.1 rather than as 0.10000000149011612.
ordered_json Number(float value) {
    if (!std::isfinite(value)) return nullptr;
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double shortest = 0.0;
    std::from_chars(text, written.ptr, shortest);
    return Number(shortest);
}

const char* UnitsWord(float system) {
    if (system == 1.0f) return "Metric";
    if (system == 2.0f) return "Hybrid";
    return "English";
}

// The event log's time with the 'T' of ISO 8601 between the date and the time.
std::string IsoTime(const Controller& c) {
    std::string time = EventTimeText(c.ports.clock->Today(), c.ports.clock->SecondsSinceMidnight());
    time[10] = 'T';
    return time;
}

} // namespace

std::string NetworkStatusJson(const Controller& c) {
    ordered_json status;
    status["time"] = IsoTime(c);
    status["servo"] = IsOn(c.ServoOn) ? "on" : "off";
    status["sweep"] = IsOn(c.SweepRunning) ? "running" : "held";
    status["frequencyHz"] = Number(c.CurrentFrequency);
    status["referenceG"] = Number(c.ReferenceLevel);
    status["controlG"] = Number(c.ControlValue);
    status["drivePercent"] = Number(static_cast<float>(static_cast<double>(c.DriveOutput) * 100.0));
    status["compressionDb"] = Number(c.Compression);
    status["sweepCount"] = Number(std::trunc(c.SweepCounter));
    // The run time is summed cycle by cycle: to the millisecond, without the sum's dust.
    status["elapsedSeconds"] = Number(std::round(c.RunSeconds * 1000.0) / 1000.0);
    status["abortCode"] = Number(c.AbortCode);
    status["abortMessage"] = c.AbortMessage;
    status["profile"] = c.Indicators.Item("lblTestTitle").text;
    status["profileFile"] = c.ProfileFileName;
    status["units"] = UnitsWord(c.P[Param::UnitsSystem]);
    // Texts the operator typed may hold anything; invalid UTF-8 goes out replaced
    // rather than failing the status.
    return status.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

std::string NetworkStatusState(const Controller& c) {
    ordered_json state = {IsOn(c.ServoOn), IsOn(c.SweepRunning), Number(c.AbortCode),
                          c.AbortMessage,  c.ProfileFileName,    c.Indicators.Item("lblTestTitle").text};
    return state.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}
