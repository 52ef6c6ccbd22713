// SimBench's signals: what each board's sensors put on its inputs (the plant's response
// to the drive, noise, harmonics, faults), and the true fundamentals of a block read.
#include "hardware/EmulatedBoardsDetail.h"
#include "hardware/sim/SimBench.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace sim {

using emulated_boards_detail::BoardInputs;

namespace {

constexpr double SaturatedSensorMv = 5000.0; // a sensor driven into its supply: beyond every range

} // namespace

void SimBench::Sample(const Scans& scans, std::span<double> millivolts) {
    const BenchModel& model = plant_.Model();
    const std::size_t positions = scans.places.size();
    const int firstChannel = scans.board == 0 ? 1 : 1 + BoardInputs;
    const double nyquistHz = scans.scanRate / 2.0;
    struct Input {
        const SensorMounting* sensor;
        std::vector<std::complex<double>> harmonicsG;
        bool live;
    };
    std::vector<Input> inputs;
    inputs.reserve(positions);
    std::size_t orders = 0;
    for (const std::int32_t place : scans.places) {
        const int channel = firstChannel + place;
        const SensorMounting& sensor = model.channels[static_cast<std::size_t>(channel - 1)];
        const bool powered = (scans.currentSources >> place & 1U) != 0;
        Input input{&sensor, {}, sensor.fitted && (powered || !sensor.needsCurrent)};
        if (input.live) input.harmonicsG = plant_.ChannelHarmonicsG(channel, nyquistHz);
        madeFundamentalG_[static_cast<std::size_t>(channel - 1)] = plant_.ChannelAmplitudeG(channel);
        orders = std::max(orders, input.harmonicsG.size());
        inputs.push_back(std::move(input));
    }

    std::vector<std::complex<double>> turns(orders);
    std::normal_distribution<double> unitNoise(0.0, 1.0);
    auto sample = millivolts.begin();
    for (std::int64_t scan = scans.first; scan < scans.end; ++scan) {
        const double t = scans.startMs + static_cast<double>(scan + 1) * scans.periodMs;
        double cycles = plant_.PhaseCycles(t);
        cycles -= std::floor(cycles);
        const std::complex<double> turn = std::polar(1.0, 2.0 * std::numbers::pi * cycles);
        for (std::size_t h = 0; h < orders; ++h) turns[h] = h == 0 ? turn : turns[h - 1] * turn;
        for (const Input& input : inputs) {
            const SensorMounting& sensor = *input.sensor;
            double g = sensor.noiseG * unitNoise(noise_);
            const bool dead = sensor.deadFromSeconds && t >= BenchMs(*sensor.deadFromSeconds);
            if (input.live && !dead)
                for (std::size_t h = 0; h < input.harmonicsG.size(); ++h) g += (input.harmonicsG[h] * turns[h]).imag();
            *sample = g * sensor.sensitivity;
            if (sensor.fitted && sensor.saturatedFromSeconds && t >= BenchMs(*sensor.saturatedFromSeconds))
                *sample = SaturatedSensorMv;
            ++sample;
        }
    }
}

void SimBench::BlockRead(int board, std::span<const std::int32_t> places) {
    const int firstChannel = board == 0 ? 1 : 1 + BoardInputs;
    for (const std::int32_t place : places) {
        const auto k = static_cast<std::size_t>(firstChannel + place - 1);
        readFundamentalG_[k] = madeFundamentalG_[k];
    }
}

} // namespace sim
