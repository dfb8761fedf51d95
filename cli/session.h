#pragma once
// The link to the board for one command: the port the options name, opened
// as the console opens it, and kept until no late answer can come.

#include "cli/options.h"
#include "cli/report.h"

namespace cli {

// How long a one-shot command waits for an answer. There is no speed test to
// take the wait from (it would cost half a second of every command), so the
// wait is fixed: the console's at 38400 baud. The environment variable
// TARVIKCTL_RECEIVE_WAIT (seconds, 0.1 to 60) changes it, for slow links.
inline constexpr double ONE_SHOT_RECEIVE_SECONDS = 3.0;

// The receive wait in force: TARVIKCTL_RECEIVE_WAIT when it is a number of
// seconds in its range, else ONE_SHOT_RECEIVE_SECONDS.
double OneShotReceiveSeconds();

// Maps the port to --device for this run when one is given. Returns EXIT_OK,
// or EXIT_USAGE with the reason in *result.
int MapBoardDevice(const Options& options, Result* result);

// MapBoardDevice, then opens the port with the board's settings and, for
// speedTest, runs the speed test; otherwise fixes the receive wait at
// OneShotReceiveSeconds(). Returns EXIT_OK, or EXIT_PORT (EXIT_USAGE for a
// bad --device) with the device, the system's reason and the fix in *result.
int OpenBoardLink(const Options& options, bool speedTest, Result* result);

// Gives the port up: when an answer failed, only once the line has been quiet
// long enough that no late answer can reach the next program to open the
// port (at most the quiet limit). A stop signal (signals.h), before or during
// that wait, ends it at once with "A late answer may still come; wait 5 s
// before the next command" on standard error. Either way the device gets back
// its settings and its lock. Returns 0, or the stop signal caught.
int CloseBoardLink();

}  // namespace cli
