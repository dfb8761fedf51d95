#pragma once
// The link to the board for one command: the port the options name, opened
// as the console opens it.

#include "cli/options.h"
#include "cli/report.h"

namespace cli {

// How long a one-shot command waits for an answer. There is no speed test to
// count polls from (it would cost half a second of every command), so the
// wait is on the clock: about as long as the console's is at 38400 baud.
inline constexpr double ONE_SHOT_RECEIVE_SECONDS = 3.0;

// Maps the port to --device when given (for this run only), opens it with the
// board's settings and, for speedTest, runs the speed test; otherwise fixes
// the receive wait at ONE_SHOT_RECEIVE_SECONDS. Returns EXIT_OK, or EXIT_PORT
// with the device, the system's reason and the fix in *result.
int OpenBoardLink(const Options& options, bool speedTest, Result* result);

// Closes the port if it is open, which gives the device back its settings and
// its lock.
void CloseBoardLink();

// Ends a failed board command: EXIT_BOARD, the reason being what, then the
// problem lines the routines logged. Returns EXIT_BOARD.
int BoardFailed(Result* result, const std::string& what);

}  // namespace cli
