#pragma once
// Keeps a late answer from passing as the answer to the next request. A
// register answer carries no address, so once a receive has failed, whatever
// the board still sends must be waited out and thrown away before the next
// request goes out.

// How long the guard waits at most for the line to go quiet: a board that
// never stops sending must not hold the console.
enum { LINE_QUIET_LIMIT_SECONDS = 10 };

// Marks the line unsettled after a failed receive that waited waitSeconds:
// an answer may still be on its way. The guard time is one and a half times
// the longest of that wait, the longest failed wait since start-up and a full
// receive wait at the last speed test's rate.
void MarkLineUnsettled(double waitSeconds);

// The start-up state: settled, nothing pending.
void ResetLineGuard(void);

// 1 while the line is unsettled.
int LineUnsettled(void);

// Before a send on an unsettled line: waits until no byte has arrived for the
// guard time, counted from the later of the failure and the last byte seen,
// discarding (and logging the count of) what arrives, then flushes the input
// and marks the line settled. Returns 1 at once on a settled line and 1 once
// settled; 0 when the line did not go quiet within the quiet limit (one line
// logged; still unsettled); -1 when the port failed (still unsettled). Sends
// nothing and processes no events.
int SettleLine(void);

// The quiet limit, LINE_QUIET_LIMIT_SECONDS unless changed; tests shorten it.
void SetLineQuietLimit(double seconds);
