#include "hardware/Backend.h"

#include "hardware/AbsentDaqLibrary.h"
#include "hardware/sim/BenchFile.h"
#include "hardware/sim/SimBench.h"

#include <string>

BackendChoice ChooseBackend(std::string_view text) {
    if (text == "none") return {};
    if (text == "sim") return {sim::DefaultBenchModel()};
    try {
        return {sim::LoadBenchFile(std::string(text))};
    } catch (const sim::BenchFileError& error) {
        throw BackendChoiceError(error.what());
    }
}

Backend MakeBackend(const BackendChoice& choice, const Clock& clock) {
    if (!choice.bench) return {std::make_unique<AbsentDaqLibrary>(), nullptr};
    auto bench = std::make_unique<sim::SimBench>(clock, *choice.bench);
    TestBench* const testBench = bench.get();
    return {std::move(bench), testBench};
}
