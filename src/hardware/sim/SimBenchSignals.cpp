// SimBench's signals: the drive sine the master's words set, and the scans each board
// digitises from its sensors (plant response, noise, faults, gain, quantisation).
#include "core/Units.h"
#include "hardware/sim/SimBench.h"
#include "hardware/sim/SimBenchDetail.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace sim {

using sim_bench_detail::BoardInputs;

namespace {

constexpr double CountsPerMillivolt = 13.108; // at gain code 0 (x1)
constexpr double SaturatedSensorMv = 5000.0;  // a sensor driven into its supply: beyond every range

} // namespace

void SimBench::RetuneDrive() {
    const Device& master = devices_[0];
    const SerialWordDecoder::Words& words = master.unit.Latched();
    const double hz = words.frequencyWord / Unit::FrequencyWordPerHz;
    // The unit's converters take their reference from the master's analogue outputs:
    // with those stopped (or the board closed) the shaker gets nothing.
    const bool driving = master.board.open && master.board.dacArmed;
    const double level = driving ? words.driveHigh / Unit::DriveWordFullScale : 0.0;
    if (hz != plant_.FrequencyHz() || level != plant_.Level()) plant_.Retune(NowMs(), hz, level);
}

void SimBench::AdvanceAll() {
    const double now = NowMs();
    for (Device& device : devices_)
        if (device.board.open && device.board.acquiring) Advance(device, now);
}

void SimBench::Advance(Device& device, double nowMs) {
    BoardState& board = device.board;
    const double periodMs = 1000.0 / static_cast<double>(board.scanRate);
    // Scan n is complete one scan period after scan n - 1, the first one period after
    // the start.
    const auto due = static_cast<std::int64_t>(std::floor((nowMs - board.acquisitionStartMs) / periodMs + 1e-9));
    if (due <= board.scansTaken) return;
    const std::int64_t capacity = ScanCapacity(board);
    // Only the newest buffer's worth can ever be read: older scans are not made.
    std::int64_t scan = std::max(board.scansTaken, due - capacity);

    const BenchModel& model = plant_.Model();
    const std::size_t positions = board.scanChannels.size();
    const int firstChannel = &device == &devices_[0] ? 1 : 1 + BoardInputs;
    const double nyquistHz = static_cast<double>(board.scanRate) / 2.0;
    struct Input {
        const SensorMounting* sensor;
        std::vector<std::complex<double>> harmonicsG;
        double countsPerMv;
        bool live;
    };
    std::vector<Input> inputs;
    inputs.reserve(positions);
    std::size_t orders = 0;
    for (std::size_t i = 0; i < positions; ++i) {
        const int place = board.scanChannels[i];
        const int channel = firstChannel + place;
        const SensorMounting& sensor = model.channels[static_cast<std::size_t>(channel - 1)];
        const bool powered = (device.unit.Latched().currentSources >> place & 1U) != 0;
        Input input{&sensor,
                    {},
                    CountsPerMillivolt * std::ldexp(1.0, board.scanGains[i]),
                    sensor.fitted && (powered || !sensor.needsCurrent)};
        if (input.live) input.harmonicsG = plant_.ChannelHarmonicsG(channel, nyquistHz);
        madeFundamentalG_[static_cast<std::size_t>(channel - 1)] = plant_.ChannelAmplitudeG(channel);
        orders = std::max(orders, input.harmonicsG.size());
        inputs.push_back(std::move(input));
    }

    std::vector<std::complex<double>> turns(orders);
    std::normal_distribution<double> unitNoise(0.0, 1.0);
    for (; scan < due; ++scan) {
        const double t = board.acquisitionStartMs + static_cast<double>(scan + 1) * periodMs;
        double cycles = plant_.PhaseCycles(t);
        cycles -= std::floor(cycles);
        const std::complex<double> turn = std::polar(1.0, 2.0 * std::numbers::pi * cycles);
        for (std::size_t h = 0; h < orders; ++h) turns[h] = h == 0 ? turn : turns[h - 1] * turn;
        const auto slot = static_cast<std::size_t>(scan % capacity) * positions;
        for (std::size_t i = 0; i < positions; ++i) {
            const Input& input = inputs[i];
            const SensorMounting& sensor = *input.sensor;
            double g = sensor.noiseG * unitNoise(noise_);
            const bool dead = sensor.deadFromSeconds && t >= BenchMs(*sensor.deadFromSeconds);
            if (input.live && !dead)
                for (std::size_t h = 0; h < input.harmonicsG.size(); ++h) g += (input.harmonicsG[h] * turns[h]).imag();
            double millivolts = g * sensor.sensitivity;
            if (sensor.fitted && sensor.saturatedFromSeconds && t >= BenchMs(*sensor.saturatedFromSeconds))
                millivolts = SaturatedSensorMv;
            const double counts = std::clamp(std::nearbyint(millivolts * input.countsPerMv), -32768.0, 32767.0);
            board.ring[slot + i] = static_cast<std::int16_t>(counts);
        }
    }
    board.scansTaken = due;
}

} // namespace sim
