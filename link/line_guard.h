#pragma once
// Keeps a late answer from passing as the answer to the next request. A
// register answer carries no address, so once a receive has failed, whatever
// the board still sends must be waited out and thrown away before the next
// request goes out, and before the port is given up to another program.

// How long a wait for the line to go quiet lasts at most: a board that never
// stops sending must not hold the console.
enum { LINE_QUIET_LIMIT_SECONDS = 10 };

// How a look at, or a wait for, a quiet line ended.
enum class LineSettle {
    Settled,      // quiet for the guard time (or never unsettled); the input is flushed
    NotQuiet,     // still unsettled: bytes came too recently
    PortFailed,   // the port failed (still unsettled)
    Interrupted,  // InterruptLinkWaits asked the wait to end (still unsettled; nothing logged)
};

// Marks the line of the open port unsettled after a failed receive: an
// answer may still be on its way, and the line must stay quiet for
// guardSeconds, counted from now or from the last byte that comes later.
void MarkLineUnsettled(int port, double guardSeconds);

// The start-up state: settled, nothing pending. Also for a port that is gone.
void ResetLineGuard(void);

// 1 while the line is unsettled: a late answer may still come.
int LineUnsettled(void);

// One look, without waiting: reads and drops what came since the last look;
// once the line has been quiet for the guard time, flushes the input, logs
// "WARNING on <id>: Discarded <n> late bytes of a failed answer" when any
// came, and marks it settled. Returns Settled (at once on a settled line),
// NotQuiet with the seconds still to wait in *quietLeft, or PortFailed.
LineSettle LookAtLine(int port, double* quietLeft);

// Waits for a quiet line: sleeps, woken by each byte that comes, until
// LookAtLine finds it settled. Returns Settled (at once on a settled line),
// NotQuiet when the quiet limit passed first, PortFailed, or Interrupted.
// Logs nothing but LookAtLine's line; sends nothing; processes no events.
LineSettle SettleLine(int port);

// Bytes thrown away since the last failure.
int LateBytesDropped(void);
