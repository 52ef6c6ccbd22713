// EmulatedBoards: construction, what the tests read and inject, and the prologue and
// epilogue every library call goes through.
#include "hardware/EmulatedBoards.h"

#include "core/Clock.h"

#include <algorithm>
#include <stdexcept>

namespace {

bool IsDevice(DaqHandle handle) {
    return handle == EmulatedBoards::MasterHandle || handle == EmulatedBoards::SlaveHandle;
}

} // namespace

EmulatedBoards::EmulatedBoards(const Clock& clock, BoardSignals& inputs, Setup setup)
    : clock_(clock), signals_(inputs), libraryLoadable_(setup.libraryLoadable),
      callFaults_(std::move(setup.callFaults)) {
    devices_[0].present = setup.masterPresent;
    devices_[1].present = setup.slavePresent;
    for (Device& device : devices_) device.unit.Reset(0);
}

const std::vector<std::string>& DaqFunctionNames() {
    static const std::vector<std::string> names{"daqSetDefaultErrorHandler",
                                                "daqOpen",
                                                "daqGetLastError",
                                                "daqClose",
                                                "daqFormatError",
                                                "daqSetOption",
                                                "daqDacSetOutputMode",
                                                "daqDacWaveSetTrig",
                                                "daqDacWaveSetClockSource",
                                                "daqDacWaveSetFreq",
                                                "daqDacWaveSetMode",
                                                "daqDacWaveSetBuffer",
                                                "daqDacWaveSetUserWave",
                                                "daqDacTransferStart",
                                                "daqDacWaveArm",
                                                "daqDacWaveDisarm",
                                                "daqIOGet8255Conf",
                                                "daqIOWrite",
                                                "daqIORead",
                                                "daqAdcSetAcq",
                                                "daqAdcSetScan",
                                                "daqAdcSetClockSource",
                                                "daqAdcTransferSetBuffer",
                                                "daqSetTriggerEvent",
                                                "daqAdcSetFreq",
                                                "daqAdcTransferStart",
                                                "daqAdcArm",
                                                "daqAdcDisarm",
                                                "daqAdcTransferStop",
                                                "daqAdcTransferGetStat",
                                                "daqAdcTransferBufData"};
    return names;
}

// --- test access ---------------------------------------------------------------------

void EmulatedBoards::SetCallLogLimit(std::size_t limit) {
    callLogLimit_ = limit;
    while (calls_.size() > callLogLimit_) calls_.pop_front();
}

const EmulatedBoards::Device& EmulatedBoards::At(DaqHandle handle) const {
    if (!IsDevice(handle)) throw std::out_of_range("no board has handle " + std::to_string(handle));
    return devices_[static_cast<std::size_t>(handle)];
}

const EmulatedBoards::BoardState& EmulatedBoards::Board(DaqHandle board) const { return At(board).board; }

EmulatedBoards::UnitState EmulatedBoards::Unit(DaqHandle board) const {
    const Device& device = At(board);
    return {device.unit.Latched(), device.unitPortB};
}

bool EmulatedBoards::Open(DaqHandle board) const { return IsDevice(board) && Board(board).open; }

bool EmulatedBoards::Scanning(DaqHandle board) const { return Open(board) && Board(board).acquiring; }

void EmulatedBoards::InjectCallFault(CallFault fault) {
    const auto& names = DaqFunctionNames();
    if (std::find(names.begin(), names.end(), fault.function) == names.end())
        throw std::invalid_argument("no library function is called " + fault.function);
    callFaults_.push_back(std::move(fault));
}

void EmulatedBoards::SetBoardPresent(DaqHandle board, bool present) {
    if (!IsDevice(board)) throw std::out_of_range("no board has handle " + std::to_string(board));
    devices_[static_cast<std::size_t>(board)].present = present;
}

void EmulatedBoards::SetLibraryLoadable(bool loadable) { libraryLoadable_ = loadable; }

// --- call bookkeeping ----------------------------------------------------------------

double EmulatedBoards::NowMs() const { return static_cast<double>(clock_.TickMs()); }

int EmulatedBoards::Enter(std::string_view function, DaqHandle handle, std::vector<double> arguments) {
    calls_.push_back({function, handle, std::move(arguments), 0, {}});
    if (calls_.size() > callLogLimit_) calls_.pop_front();
    if (!libraryLoadable_) {
        calls_.back().result = -1;
        throw DaqLibraryUnavailable{"File not found: acquisition library"};
    }
    const int count = ++callCounts_[function];
    // Whatever this call changes happens now: the scans up to now are taken first.
    TakeScansUpToNow();
    for (const CallFault& fault : callFaults_)
        if (fault.function == function && count >= fault.fromCall) return fault.code;
    return 0;
}

int EmulatedBoards::Leave(Device* device, int result) {
    if (device != nullptr) device->board.lastError = result;
    if (!calls_.empty()) calls_.back().result = result;
    RetuneDrive();
    return result;
}

EmulatedBoards::Device* EmulatedBoards::Find(DaqHandle handle) {
    if (!IsDevice(handle)) return nullptr;
    Device& device = devices_[static_cast<std::size_t>(handle)];
    return device.board.open ? &device : nullptr;
}

EmulatedBoards::Opened EmulatedBoards::EnterOn(std::string_view function, DaqHandle handle,
                                               std::vector<double> arguments) {
    const int injected = Enter(function, handle, std::move(arguments));
    Device* const device = Find(handle);
    if (injected != 0) return {device, injected};
    return {device, device == nullptr ? InvalidHandle : 0};
}
