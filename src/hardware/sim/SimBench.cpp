// SimBench: construction, what the tests read and inject, and the prologue and
// epilogue every library call goes through.
#include "hardware/sim/SimBench.h"

#include "core/Clock.h"

#include <algorithm>
#include <stdexcept>

namespace sim {

namespace {

bool IsDevice(DaqHandle handle) { return handle == SimBench::MasterHandle || handle == SimBench::SlaveHandle; }

} // namespace

SimBench::SimBench(const Clock& clock, BenchModel model)
    : clock_(clock), startMs_(static_cast<double>(clock.TickMs())), plant_(std::move(model)),
      libraryLoadable_(plant_.Model().libraryLoadable), callFaults_(plant_.Model().callFaults),
      noise_(plant_.Model().seed) {
    devices_[0].present = plant_.Model().masterPresent;
    devices_[1].present = plant_.Model().slavePresent;
    for (Device& device : devices_) device.unit.Reset(0);
}

// --- test access ---------------------------------------------------------------------

void SimBench::SetCallLogLimit(std::size_t limit) {
    callLogLimit_ = limit;
    while (calls_.size() > callLogLimit_) calls_.pop_front();
}

const SimBench::Device& SimBench::At(DaqHandle handle) const {
    if (!IsDevice(handle)) throw std::out_of_range("no board has handle " + std::to_string(handle));
    return devices_[static_cast<std::size_t>(handle)];
}

const SimBench::BoardState& SimBench::Board(DaqHandle board) const { return At(board).board; }

SimBench::UnitState SimBench::Unit(DaqHandle board) const {
    const Device& device = At(board);
    const SerialWordDecoder::Words& words = device.unit.Latched();
    return {words.frequencyWord,  words.driveHigh,      words.driveLow,     words.currentSources, device.unitPortB,
            words.protocolErrors, words.frequencyLoads, words.driveLatches, words.currentLoads};
}

bool SimBench::Open(DaqHandle board) const { return IsDevice(board) && Board(board).open; }

bool SimBench::Scanning(DaqHandle board) const { return Open(board) && Board(board).acquiring; }

void SimBench::InjectCallFault(CallFault fault) {
    const auto& names = DaqFunctionNames();
    if (std::find(names.begin(), names.end(), fault.function) == names.end())
        throw std::invalid_argument("no library function is called " + fault.function);
    callFaults_.push_back(std::move(fault));
}

void SimBench::KillSensor(int channel, double fromSeconds) {
    AdvanceAll();
    plant_.Model().channels.at(static_cast<std::size_t>(channel - 1)).deadFromSeconds = fromSeconds;
}

void SimBench::SaturateSensor(int channel, double fromSeconds) {
    AdvanceAll();
    plant_.Model().channels.at(static_cast<std::size_t>(channel - 1)).saturatedFromSeconds = fromSeconds;
}

void SimBench::SetBoardPresent(DaqHandle board, bool present) {
    if (!IsDevice(board)) throw std::out_of_range("no board has handle " + std::to_string(board));
    devices_[static_cast<std::size_t>(board)].present = present;
}

void SimBench::SetLibraryLoadable(bool loadable) { libraryLoadable_ = loadable; }

// --- call bookkeeping ----------------------------------------------------------------

double SimBench::NowMs() const { return static_cast<double>(clock_.TickMs()); }

int SimBench::Enter(std::string_view function, DaqHandle handle, std::vector<double> arguments) {
    calls_.push_back({function, handle, std::move(arguments), 0, {}});
    if (calls_.size() > callLogLimit_) calls_.pop_front();
    if (!libraryLoadable_) {
        calls_.back().result = -1;
        throw DaqLibraryUnavailable{"File not found: acquisition library"};
    }
    const int count = ++callCounts_[function];
    // Whatever this call changes happens now: the scans up to now are taken first.
    AdvanceAll();
    for (const CallFault& fault : callFaults_)
        if (fault.function == function && count >= fault.fromCall) return fault.code;
    return 0;
}

int SimBench::Leave(Device* device, int result) {
    if (device != nullptr) device->board.lastError = result;
    if (!calls_.empty()) calls_.back().result = result;
    RetuneDrive();
    return result;
}

SimBench::Device* SimBench::Find(DaqHandle handle) {
    if (!IsDevice(handle)) return nullptr;
    Device& device = devices_[static_cast<std::size_t>(handle)];
    return device.board.open ? &device : nullptr;
}

SimBench::Opened SimBench::EnterOn(std::string_view function, DaqHandle handle, std::vector<double> arguments) {
    const int injected = Enter(function, handle, std::move(arguments));
    Device* const device = Find(handle);
    if (injected != 0) return {device, injected};
    return {device, device == nullptr ? InvalidHandle : 0};
}

} // namespace sim
