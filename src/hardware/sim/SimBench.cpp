#include "hardware/sim/SimBench.h"

#include "core/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr double ScanRate = 10240.0;
constexpr double WordsPerHz = 8.192;
constexpr double FullDriveWord = 4000.0;
constexpr double CountsPerMillivolt = 13.108;

constexpr int ClockLine = 1;
constexpr int DataLine = 2;
constexpr int CurrentClockLine = 8;
constexpr int SelectLine = 16;
constexpr int LoadLine = 32;

bool Rose(int before, int now, int line) { return (before & line) == 0 && (now & line) != 0; }

} // namespace

SimBench::SimBench(Clock& clock, BenchModel model) : clock_(clock), model_(std::move(model)), noise_(model_.seed) {}

const SimBench::UnitState& SimBench::Unit(DaqHandle board) const { return boards_.at(board).unit; }
const std::vector<std::int32_t>& SimBench::ScanGains(DaqHandle board) const { return boards_.at(board).gains; }
bool SimBench::Open(DaqHandle board) const {
    const auto found = boards_.find(board);
    return found != boards_.end() && found->second.open;
}
bool SimBench::Scanning(DaqHandle board) const {
    const auto found = boards_.find(board);
    return found != boards_.end() && found->second.open && found->second.armed && found->second.transferRunning;
}

void SimBench::Press(int button, bool pressed) {
    if (button < 0 || button > 3) return;
    if (pressed) {
        buttonsPressed_ |= 1 << button;
    } else {
        buttonsPressed_ &= ~(1 << button);
    }
}

SimBench::Board* SimBench::Find(DaqHandle handle) {
    const auto found = boards_.find(handle);
    return found == boards_.end() || !found->second.open ? nullptr : &found->second;
}

int SimBench::Enter(const char* function, DaqHandle handle) {
    if (!model_.libraryLoadable) throw DaqLibraryUnavailable{"File not found: acquisition library"};
    calls_.push_back({function, handle});
    const int count = ++callCounts_[function];
    for (const CallFault& fault : model_.callFaults)
        if (fault.function == function && count >= fault.fromCall) return fault.code;
    return Find(handle) == nullptr ? InvalidHandle : 0;
}

int SimBench::daqSetDefaultErrorHandler(int) {
    if (!model_.libraryLoadable) throw DaqLibraryUnavailable{"File not found: acquisition library"};
    calls_.push_back({"daqSetDefaultErrorHandler", NoDaqHandle});
    return 0;
}

DaqHandle SimBench::daqOpen(const std::string& deviceName) {
    if (!model_.libraryLoadable) throw DaqLibraryUnavailable{"File not found: acquisition library"};
    calls_.push_back({"daqOpen", NoDaqHandle});
    DaqHandle handle = NoDaqHandle;
    if (deviceName == "DaqBoard1K0" && model_.masterPresent) handle = MasterHandle;
    if (deviceName == "DaqBoard1K1" && model_.slavePresent) handle = SlaveHandle;
    if (handle != NoDaqHandle) {
        Board& board = boards_[handle];
        board = Board{};
        board.open = true;
    }
    return handle;
}

int SimBench::daqGetLastError(DaqHandle handle, int& errorCode) {
    if (!model_.libraryLoadable) throw DaqLibraryUnavailable{"File not found: acquisition library"};
    errorCode = Find(handle) == nullptr ? InvalidHandle : 0;
    return 0;
}

int SimBench::daqClose(DaqHandle handle) {
    const int result = Enter("daqClose", handle);
    if (result == 0) boards_.erase(handle);
    return result;
}

int SimBench::daqFormatError(int errorCode, std::span<char> text) {
    if (text.empty()) return 0;
    const char* explanation = errorCode == 0                ? "No error"
                              : errorCode == InvalidHandle ? "Invalid device handle"
                              : errorCode == NotScanning   ? "Acquisition is not running"
                                                           : "Device error";
    std::strncpy(text.data(), explanation, text.size() - 1);
    text.back() = '\0';
    return 0;
}

int SimBench::daqSetOption(DaqHandle handle, int, int, int, float) { return Enter("daqSetOption", handle); }
int SimBench::daqDacSetOutputMode(DaqHandle handle, int, int, int) { return Enter("daqDacSetOutputMode", handle); }
int SimBench::daqDacWaveSetTrig(DaqHandle handle, int, int, int, int) { return Enter("daqDacWaveSetTrig", handle); }
int SimBench::daqDacWaveSetClockSource(DaqHandle handle, int, int, int) {
    return Enter("daqDacWaveSetClockSource", handle);
}
int SimBench::daqDacWaveSetFreq(DaqHandle handle, int, int, float) { return Enter("daqDacWaveSetFreq", handle); }
int SimBench::daqDacWaveSetMode(DaqHandle handle, int, int, int, int) { return Enter("daqDacWaveSetMode", handle); }
int SimBench::daqDacWaveSetBuffer(DaqHandle handle, int, int, std::span<std::int16_t>, int, int) {
    return Enter("daqDacWaveSetBuffer", handle);
}
int SimBench::daqDacWaveSetUserWave(DaqHandle handle, int, int) { return Enter("daqDacWaveSetUserWave", handle); }
int SimBench::daqDacTransferStart(DaqHandle handle, int, int) { return Enter("daqDacTransferStart", handle); }

int SimBench::daqDacWaveArm(DaqHandle handle, int) {
    const int result = Enter("daqDacWaveArm", handle);
    if (result == 0) Find(handle)->outputsArmed = true;
    return result;
}

int SimBench::daqDacWaveDisarm(DaqHandle handle, int) {
    const int result = Enter("daqDacWaveDisarm", handle);
    if (result == 0) Find(handle)->outputsArmed = false;
    return result;
}

int SimBench::daqIOGet8255Conf(DaqHandle handle, int, int, int, int, int& configuration) {
    configuration = 0x89; // ports A and B out, both halves of C in
    return Enter("daqIOGet8255Conf", handle);
}

int SimBench::daqIOWrite(DaqHandle handle, int, int devicePort, int, int, int value) {
    const int result = Enter("daqIOWrite", handle);
    if (result != 0) return result;
    Board& board = *Find(handle);
    if (devicePort == 0) DecodePortA(board, value);
    if (devicePort == 1) board.unit.portB = value;
    return 0;
}

int SimBench::daqIORead(DaqHandle handle, int, int devicePort, int, int, int& value) {
    const int result = Enter("daqIORead", handle);
    if (result != 0) return result;
    value = devicePort == 2 ? 0x0F & ~buttonsPressed_ : 0;
    return 0;
}

void SimBench::DecodePortA(Board& board, int value) {
    const int before = board.lastPortA;
    board.lastPortA = value;
    const int bit = (value & DataLine) != 0 ? 1 : 0;
    UnitState& unit = board.unit;
    const auto reset = [](ShiftRegister& r) { r = ShiftRegister{}; };

    if ((before & SelectLine) != 0 && (value & SelectLine) == 0) {
        // The drive converter is selected: any word half sent is broken off.
        if (board.frequency.count != 0 || board.current.count != 0) ++unit.protocolErrors;
        reset(board.frequency);
        reset(board.current);
        reset(board.drive);
    }
    if ((value & SelectLine) == 0) {
        if ((value & (LoadLine | CurrentClockLine)) != 0) ++unit.protocolErrors;
        if (Rose(before, value, ClockLine)) {
            board.drive.bits = (board.drive.bits << 1) | static_cast<std::uint32_t>(bit);
            if (++board.drive.count > 24) {
                ++unit.protocolErrors;
                reset(board.drive);
            }
        }
        return;
    }
    if ((before & SelectLine) == 0) {
        // Deselected: the frame is latched, whole or not at all.
        if (board.drive.count == 24) {
            unit.driveHigh = (board.drive.bits >> 12) & 0xFFF;
            unit.driveLow = board.drive.bits & 0xFFF;
        } else {
            ++unit.protocolErrors;
        }
        reset(board.drive);
    }
    const bool frequencyClock = Rose(before, value, ClockLine);
    const bool currentClock = Rose(before, value, CurrentClockLine);
    if (frequencyClock && currentClock) {
        ++unit.protocolErrors;
        return;
    }
    if (frequencyClock) {
        if (board.frequency.count >= 16) {
            ++unit.protocolErrors;
            reset(board.frequency);
        } else {
            board.frequency.bits |= static_cast<std::uint32_t>(bit) << board.frequency.count;
            ++board.frequency.count;
        }
    }
    if (currentClock) {
        board.current.bits = (board.current.bits << 1) | static_cast<std::uint32_t>(bit);
        if (++board.current.count == 8) {
            unit.currentSources = board.current.bits & 0xFF;
            reset(board.current);
        }
    }
    if (Rose(before, value, LoadLine)) {
        if (board.frequency.count == 16) {
            unit.frequencyWord = board.frequency.bits;
        } else {
            ++unit.protocolErrors;
        }
        reset(board.frequency);
    }
}

int SimBench::daqAdcSetAcq(DaqHandle handle, int, int, int) { return Enter("daqAdcSetAcq", handle); }

int SimBench::daqAdcSetScan(DaqHandle handle, std::span<const std::int32_t>, std::span<const std::int32_t> gains,
                            std::span<const std::int32_t>, int count) {
    const int result = Enter("daqAdcSetScan", handle);
    if (result != 0) return result;
    Board& board = *Find(handle);
    for (std::size_t i = 0; i < board.gains.size(); ++i)
        board.gains[i] = i < gains.size() && static_cast<int>(i) < count ? std::clamp(gains[i], 0, 4) : 0;
    return 0;
}

int SimBench::daqAdcSetClockSource(DaqHandle handle, int) { return Enter("daqAdcSetClockSource", handle); }
int SimBench::daqAdcTransferSetBuffer(DaqHandle handle, std::span<std::int16_t>, int, int) {
    return Enter("daqAdcTransferSetBuffer", handle);
}
int SimBench::daqSetTriggerEvent(DaqHandle handle, int, int, int, int, int, int, float, float, int) {
    return Enter("daqSetTriggerEvent", handle);
}
int SimBench::daqAdcSetFreq(DaqHandle handle, float) { return Enter("daqAdcSetFreq", handle); }

int SimBench::daqAdcTransferStart(DaqHandle handle) {
    const int result = Enter("daqAdcTransferStart", handle);
    if (result == 0) Find(handle)->transferRunning = true;
    return result;
}
int SimBench::daqAdcArm(DaqHandle handle) {
    const int result = Enter("daqAdcArm", handle);
    if (result == 0) Find(handle)->armed = true;
    return result;
}
int SimBench::daqAdcDisarm(DaqHandle handle) {
    const int result = Enter("daqAdcDisarm", handle);
    if (result == 0) Find(handle)->armed = false;
    return result;
}
int SimBench::daqAdcTransferStop(DaqHandle handle) {
    const int result = Enter("daqAdcTransferStop", handle);
    if (result == 0) Find(handle)->transferRunning = false;
    return result;
}

int SimBench::daqAdcTransferGetStat(DaqHandle handle, int& active, int& returnedCount) {
    const int result = Enter("daqAdcTransferGetStat", handle);
    active = Scanning(handle) ? 1 : 0;
    returnedCount = active != 0 ? RingScans : 0;
    return result;
}

int SimBench::daqAdcTransferBufData(DaqHandle handle, std::span<std::int16_t> buffer, int scanCount, int,
                                    int& returnedCount) {
    returnedCount = 0;
    const int result = Enter("daqAdcTransferBufData", handle);
    if (result != 0) return result;
    if (!Scanning(handle)) return NotScanning;
    GenerateUpTo(clock_.TickMs() * static_cast<std::int64_t>(ScanRate) / 1000);
    const Board& board = *Find(handle);
    const int scans = std::clamp(scanCount, 0, std::min(RingScans, static_cast<int>(buffer.size() / 8)));
    const std::int64_t oldest = scansMade_ - scans;
    for (int s = 0; s < scans; ++s) {
        const auto place = static_cast<std::size_t>(((oldest + s) % RingScans + RingScans) % RingScans);
        std::copy_n(board.ring.begin() + static_cast<std::ptrdiff_t>(place * 8), 8,
                    buffer.begin() + static_cast<std::ptrdiff_t>(s) * 8);
    }
    returnedCount = scans;
    return 0;
}

std::complex<double> SimBench::TableResponse(double hz) const {
    using namespace std::complex_literals;
    if (!(hz > 0.0)) return 0.0;
    const double s = hz / model_.suspensionHz;
    const double a = hz / model_.armatureHz;
    // The suspension lets the table stand still below it; the armature peaks above.
    const std::complex<double> suspension = s * s / (1.0 - s * s + 1i * s / static_cast<double>(model_.suspensionQ));
    const std::complex<double> armature = 1.0 / (1.0 - a * a + 1i * a / static_cast<double>(model_.armatureQ));
    return static_cast<double>(model_.fullDriveG) * suspension * armature;
}

std::complex<double> SimBench::ChannelResponse(int channel, double hz) const {
    using namespace std::complex_literals;
    const SensorMounting& sensor = model_.channels[static_cast<std::size_t>(channel - 1)];
    std::complex<double> response = TableResponse(hz);
    if (sensor.onSpecimen && sensor.modeHz > 0.0f) {
        const double r = hz / sensor.modeHz;
        const double damping = r / static_cast<double>(sensor.modeQ);
        response *= (1.0 + 1i * damping) / (1.0 - r * r + 1i * damping);
    }
    return response;
}

double SimBench::ChannelAmplitudeG(int channel) const {
    const auto master = boards_.find(MasterHandle);
    if (master == boards_.end() || !master->second.outputsArmed) return 0.0;
    const double hz = master->second.unit.frequencyWord / WordsPerHz;
    return std::abs(ChannelResponse(channel, hz)) * master->second.unit.driveHigh / FullDriveWord;
}

void SimBench::GenerateUpTo(std::int64_t scan) {
    if (scan <= scansMade_) return;
    const auto master = boards_.find(MasterHandle);
    const bool driving = master != boards_.end() && master->second.open && master->second.outputsArmed;
    const double hz = driving ? master->second.unit.frequencyWord / WordsPerHz : 0.0;
    const double drive = driving ? master->second.unit.driveHigh / FullDriveWord : 0.0;
    const double step = 2.0 * std::numbers::pi * hz / ScanRate;
    // Scans older than the newest block are never read: skip them, keeping the phase.
    if (scan - scansMade_ > RingScans) {
        const std::int64_t skipped = scan - RingScans - scansMade_;
        phase_ = std::fmod(phase_ + step * static_cast<double>(skipped), 2.0 * std::numbers::pi);
        scansMade_ += skipped;
    }

    struct Channel {
        double inPhase = 0.0, quadrature = 0.0, harmonic = 0.0, countsPerG = 0.0;
        bool silent = false, saturated = false;
        Board* board = nullptr;
        int place = 0;
    };
    std::array<Channel, 16> channels{};
    const double seconds = static_cast<double>(scan) / ScanRate;
    for (int k = 1; k <= 16; ++k) {
        Channel& ch = channels[static_cast<std::size_t>(k - 1)];
        const SensorMounting& sensor = model_.channels[static_cast<std::size_t>(k - 1)];
        const auto board = boards_.find(k <= 8 ? MasterHandle : SlaveHandle);
        if (board == boards_.end() || !board->second.open) continue;
        ch.board = &board->second;
        ch.place = (k - 1) % 8;
        const std::complex<double> response = ChannelResponse(k, hz) * drive;
        ch.inPhase = response.real();
        ch.quadrature = response.imag();
        ch.harmonic = std::abs(response) * static_cast<double>(model_.distortion);
        const bool powered = (ch.board->unit.currentSources >> ch.place & 1U) != 0;
        ch.silent = (sensor.needsCurrent && !powered) ||
                    (sensor.deadFromSeconds && seconds >= *sensor.deadFromSeconds);
        ch.saturated = sensor.saturatedFromSeconds && seconds >= *sensor.saturatedFromSeconds;
        ch.countsPerG = static_cast<double>(sensor.sensitivity) * CountsPerMillivolt *
                        std::ldexp(1.0, ch.board->gains[static_cast<std::size_t>(ch.place)]);
    }

    std::normal_distribution<double> noise(0.0, static_cast<double>(model_.noiseG));
    for (; scansMade_ < scan; ++scansMade_) {
        phase_ += step;
        if (phase_ > 2.0 * std::numbers::pi) phase_ -= 2.0 * std::numbers::pi;
        const double sine = std::sin(phase_);
        const double cosine = std::cos(phase_);
        const double second = 2.0 * sine * cosine;
        const auto place = static_cast<std::size_t>(scansMade_ % RingScans) * 8;
        for (const Channel& ch : channels) {
            if (ch.board == nullptr) continue;
            double g = noise(noise_);
            if (!ch.silent) g += ch.inPhase * sine + ch.quadrature * cosine + ch.harmonic * second;
            double counts = std::nearbyint(g * ch.countsPerG);
            if (ch.saturated) counts = 32767.0;
            ch.board->ring[place + static_cast<std::size_t>(ch.place)] =
                static_cast<std::int16_t>(std::clamp(counts, -32768.0, 32767.0));
        }
    }
}
