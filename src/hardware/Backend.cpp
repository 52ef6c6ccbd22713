#include "hardware/Backend.h"

#include "hardware/AbsentDaqLibrary.h"
#include "hardware/jack/AudioInterface.h"
#include "hardware/sim/BenchFile.h"
#include "hardware/sim/SimBench.h"

#include <string>

BackendChoice ChooseBackend(std::string_view text) {
    if (text == "none") return {};
    if (text == "sim") return {sim::DefaultBenchModel(), std::nullopt};
    try {
        return {sim::LoadBenchFile(std::string(text)), std::nullopt};
    } catch (const sim::BenchFileError& error) {
        throw BackendChoiceError(error.what());
    }
}

Backend MakeBackend(const BackendChoice& choice, const Clock& clock) {
    std::unique_ptr<AudioInterface> audio;
    if (choice.audio) audio = std::make_unique<AudioInterface>(clock, *choice.audio);
    AudioInterface* const audioInterface = audio.get();
    if (!choice.bench) return {std::make_unique<AbsentDaqLibrary>(), std::move(audio), nullptr, audioInterface};
    auto bench = std::make_unique<sim::SimBench>(clock, *choice.bench);
    TestBench* const testBench = bench.get();
    return {std::move(bench), std::move(audio), testBench, audioInterface};
}
