#pragma once
// Ctrl+C, SIGTERM and a hang-up end tarvikctl promptly, but never by the signal's default
// action: the command stops, its result is told, and the port gets its settings and its
// lock back before the program ends as the signal would have ended it.

namespace cli {

// From now until the program ends: the first SIGINT, SIGTERM or SIGHUP is kept and cuts the
// link's waits short (InterruptLinkWaits), so the command ends within a fraction of a second
// (an upgrade after the line it is sending); a blocking read of standard input returns.
void CatchStopSignals();

// From now on a write to a closed standard output or error fails instead of ending the
// program (SIGPIPE is ignored), so the port is still put back after it.
void IgnoreBrokenPipes();

// The stop signal caught so far, or 0.
int StopSignal();

// "SIGINT", "SIGTERM" or "SIGHUP"; "a signal" for any other number.
const char* SignalName(int signal);

// Ends the program as `signal` ends it by default, so that a shell sees the program stopped
// by it (status 128 + signal) and a script running it stops too.
[[noreturn]] void EndBySignal(int signal);

}  // namespace cli
