#pragma once
// The engine's clock and its one door to the event loop, for the routines that talk to the
// board: they run in the console and in the command line companion, which has no event loop.

// Dispatches the events pending now (timer ticks, clicks, repaints) and returns; callbacks
// may run nested inside the caller. Without an event loop installed (SetEventPump), does
// nothing. Returns 0.
int ProcessSystemEvents(void);

// Sleeps for `seconds` without dispatching any event.
void Delay(double seconds);

// Seconds since the program started, from a monotonic clock.
double Timer(void);

// Installs what ProcessSystemEvents runs: the panel engine's dispatch, while it is started;
// null removes it.
using EventPump = void (*)(void);
void SetEventPump(EventPump pump);
