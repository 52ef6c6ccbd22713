#pragma once

#include "core/Controller.h"
#include "hardware/DaqLibrary.h"

#include <cstddef>
#include <string>

// A program error raised inside the board layer: the library call that failed with
// `DaqErrorRaiseCode` set (number 100 then, `LastDaqError` holding the library's
// code), or the library that could not be loaded at all.
struct BoardProgramError {
    int number = 0;
    std::string description;
};

constexpr int DaqErrorNumber = 100;
constexpr int LibraryNotLoadedNumber = 48;

DaqLibrary& Daq(Controller& c);

// Every library call but the opening ones passes its result through here: the result
// becomes `LastDaqError`, and a failure raises the program error `DaqErrorRaiseCode`
// when that is set. This is the one place library codes become errors.
int CheckDaq(Controller& c, int result);
// Setting the raise code also clears `LastDaqError`.
void SetDaqErrorRaiseCode(Controller& c, int code);

// "DaqX Error : " + code + LF + library text, or "VB Error : " + number + LF +
// description, titled "Error!"; nothing when there is no error to tell.
void ReportBoardError(Controller& c, const BoardProgramError& error);

// Runs a board operation; a program error ends it and is reported. True when the
// operation ran to its end.
template <class Operation>
bool RunTrapped(Controller& c, Operation operation);

// The same, but a fault that repeats every cycle is reported once per episode:
// `slot` of `BoardFaultReported` is set by the first report and cleared by the next
// success.
template <class Operation>
bool RunTrappedOncePerEpisode(Controller& c, int slot, Operation operation);

namespace board_errors_detail {

template <class Operation>
bool Run(Operation& operation, BoardProgramError& error) {
    try {
        operation();
        return true;
    } catch (const BoardProgramError& raised) {
        error = raised;
    } catch (const DaqLibraryUnavailable& missing) {
        error = {LibraryNotLoadedNumber, missing.description};
    }
    return false;
}

} // namespace board_errors_detail

template <class Operation>
bool RunTrapped(Controller& c, Operation operation) {
    BoardProgramError error;
    if (board_errors_detail::Run(operation, error)) return true;
    ReportBoardError(c, error);
    return false;
}

template <class Operation>
bool RunTrappedOncePerEpisode(Controller& c, int slot, Operation operation) {
    bool& reported = c.BoardFaultReported.at(static_cast<std::size_t>(slot));
    BoardProgramError error;
    if (board_errors_detail::Run(operation, error)) {
        reported = false;
        return true;
    }
    if (!reported) {
        reported = true;
        ReportBoardError(c, error);
    }
    return false;
}
