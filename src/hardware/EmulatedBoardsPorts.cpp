// EmulatedBoards' digital ports: the 8255 calls, port A's words into the unit's decoder,
// port B, and the run push-buttons on port C.
#include "hardware/EmulatedBoards.h"
#include "hardware/EmulatedBoardsDetail.h"

using emulated_boards_detail::Number;

namespace {

constexpr int PortA = 0, PortB = 1, PortC = 2, ConfigurationPort = 3;
constexpr int LocalDigitalPorts = 1; // the device type of the board's own 8255
constexpr int ModeSetFlag = 0x80;
constexpr int PortAInput = 0x10, PortBInput = 0x02;
constexpr int ModeBits = 0x64; // port A modes 1 and 2, port B mode 1: not fitted to the unit

} // namespace

int EmulatedBoards::daqIOGet8255Conf(DaqHandle handle, int portA, int portB, int portCHigh, int portCLow,
                                     int& configuration) {
    const auto [device, refusal] =
        EnterOn("daqIOGet8255Conf", handle, {Number(portA), Number(portB), Number(portCHigh), Number(portCLow)});
    if (refusal != 0) return Leave(device, refusal);
    // Each argument says "input" (1) or "output" (0); anything else is no direction.
    for (const int input : {portA, portB, portCHigh, portCLow})
        if (input != 0 && input != 1) return Leave(device, InvalidParameter);
    configuration = ModeSetFlag | portA << 4 | portCHigh << 3 | portB << 1 | portCLow;
    return Leave(device, 0);
}

int EmulatedBoards::daqIOWrite(DaqHandle handle, int deviceType, int devicePort, int whichDevice, int whichExpPort,
                               int value) {
    const auto [device, refusal] =
        EnterOn("daqIOWrite", handle,
                {Number(deviceType), Number(devicePort), Number(whichDevice), Number(whichExpPort), Number(value)});
    if (refusal != 0) return Leave(device, refusal);
    BoardState& board = device->board;
    if (deviceType != LocalDigitalPorts || devicePort < PortA || devicePort > ConfigurationPort || value < 0 ||
        value > 255)
        return Leave(device, InvalidParameter);
    if (devicePort == ConfigurationPort) {
        // Without the mode-set flag the value sets or clears one bit of port C, which
        // is an input here: nothing happens.
        if ((value & ModeSetFlag) == 0) return Leave(device, 0);
        if ((value & ModeBits) != 0) return Leave(device, InvalidParameter);
        // A mode set clears the output latches.
        board.ppiConfiguration = value;
        board.portA = 0;
        board.portB = 0;
        device->unit.Reset((value & PortAInput) == 0 ? 0 : device->unit.Lines());
        if ((value & PortBInput) == 0) device->unitPortB = 0;
        return Leave(device, 0);
    }
    if (devicePort == PortC) return Leave(device, 0); // an input: the latch has no pins
    // A port set as input keeps the value in its latch; the unit does not see it.
    if (devicePort == PortA) {
        board.portA = value;
        if ((board.ppiConfiguration & PortAInput) == 0) device->unit.Write(value);
    } else {
        board.portB = value;
        if ((board.ppiConfiguration & PortBInput) == 0) device->unitPortB = value;
    }
    return Leave(device, 0);
}

int EmulatedBoards::daqIORead(DaqHandle handle, int deviceType, int devicePort, int whichDevice, int whichExpPort,
                              int& value) {
    return OnBoard("daqIORead", handle,
                   {Number(deviceType), Number(devicePort), Number(whichDevice), Number(whichExpPort)},
                   [&](BoardState& board) {
                       if (deviceType != LocalDigitalPorts || devicePort < PortA || devicePort > ConfigurationPort)
                           return InvalidParameter;
                       switch (devicePort) {
                       case PortA:
                           value = board.portA;
                           break;
                       case PortB:
                           value = board.portB;
                           break;
                       case PortC: {
                           // The push-buttons pull their lines low; the upper half of port C is not wired.
                           value = ~signals_.ButtonsDown(NowMs()) & 0x0F;
                           break;
                       }
                       default:
                           value = board.ppiConfiguration;
                           break;
                       }
                       return 0;
                   });
}
