// The run script reader of zek8-run; what it accepts is in time order and every bench
// action in it is one the bench can play.
#include "FuzzSupport.h"

#include "runner/RunScript.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<ScriptAction> actions;
    try {
        actions = ReadRunScript(in);
    } catch (const ScriptError&) {
        return 0;
    }
    double last = 0.0;
    for (const ScriptAction& action : actions) {
        Check(std::isfinite(action.seconds) && action.seconds >= last, "an action out of time order");
        last = action.seconds;
        Check(!action.args.empty(), "an action without arguments");
        if (action.action == "bench") Check(!BenchActionFault(action.args), "a bench action the bench cannot play");
    }
    return 0;
}
