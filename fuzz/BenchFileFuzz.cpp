// The bench file reader; a bench it accepts builds, and its plant answers every channel
// with finite motion at the ends and the middle of the band.
#include "FuzzSupport.h"

#include "hardware/sim/BenchFile.h"
#include "hardware/sim/ShakerPlant.h"
#include "hardware/sim/SimBench.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    sim::BenchModel model;
    try {
        model = sim::ReadBenchFile(in);
    } catch (const sim::BenchFileError&) {
        return 0;
    }
    Check(model.harmonics.size() <= 32, "more harmonics than the bench synthesises");
    const SimulatedClock clock;
    const sim::SimBench bench(clock, model);
    sim::ShakerPlant plant(model);
    for (const double hz : {1.0, 160.0, 5000.0}) {
        plant.Retune(0.0, hz, 1.0);
        for (int channel = 1; channel <= sim::BenchChannels; ++channel) {
            for (const auto& g : plant.ChannelHarmonicsG(channel, 5120.0))
                Check(std::isfinite(g.real()) && std::isfinite(g.imag()), "a sensor's motion is not finite");
        }
    }
    return 0;
}
