#pragma once
// How a calibration core ended, as a value (link/result.h).

#include "link/result.h"

enum class CalibrationError {
    None,
    BadSelector,   // a channel selector that names no channel; nothing sent
    SameVoltages,  // the two points' control voltages are the same once limited; nothing sent
    BoardFailed,   // a read or write of the board failed; the reason is the registers'
};
using CalibrationResult = Result<CalibrationError>;

// A calibration's outcome from the board's result: success, or BoardFailed
// with "<what>: <the board's reason>".
template <typename BoardResult>
CalibrationResult BoardOutcome(const BoardResult& board, const char* what) {
    if (board.ok()) return {};
    return CalibrationResult::Failure(CalibrationError::BoardFailed,
                                      std::string(what) + ": " + board.reason);
}
