#include "link/line_guard.h"

#include <algorithm>
#include <cstdio>

#include "link/deadline.h"
#include "link/frame.h"
#include "link/testing.h"
#include "panel/serial_monitor.h"
#include "runtime/clock.h"
#include "runtime/rs232.h"

namespace {

// Room for one read of what is waiting; more is read in turns.
constexpr int kScratchBytes = 512;

struct LineState {
    bool unsettled = false;
    double guardSeconds = 0;  // quiet needed before the next send
    double quietSince = 0;    // the failure, or the last byte seen after it
    int queuedAtFailure = 0;  // bytes already waiting then: not late, but stale
    bool looked = false;      // whether a look came after the failure
    int dropped = 0;          // bytes thrown away since the failure
};
LineState g_line;
double g_quietLimitSeconds = LINE_QUIET_LIMIT_SECONDS;

// Reads and drops what is waiting; returns how many bytes, or -1.
int discardInput(int port, int queued) {
    unsigned char scratch[kScratchBytes];
    int dropped = 0;
    while (queued > 0) {
        const int n = ComRd(port, scratch, std::min(queued, kScratchBytes));
        if (n <= 0) return -1;
        dropped += n;
        queued -= n;
    }
    return dropped;
}

}  // namespace

void MarkLineUnsettled(int port, double guardSeconds) {
    g_line = LineState{};
    g_line.unsettled = true;
    g_line.guardSeconds = guardSeconds;
    g_line.quietSince = Timer();
    g_line.queuedAtFailure = std::max(GetInQLen(port), 0);
}

void ResetLineGuard(void) {
    g_line = LineState{};
}

int LineUnsettled(void) {
    return g_line.unsettled ? 1 : 0;
}

void SetLineQuietLimit(double seconds) {
    g_quietLimitSeconds = seconds;
}

LineSettle LookAtLine(int port, double* quietLeft) {
    *quietLeft = 0;
    if (!g_line.unsettled) return LineSettle::Settled;
    const int queued = GetInQLen(port);
    if (queued < 0) return LineSettle::PortFailed;
    // More than was there at the failure (or anything after the first look, which
    // emptied the queue) came at some moment up to now: count the quiet from now.
    if (queued > (g_line.looked ? 0 : g_line.queuedAtFailure)) g_line.quietSince = Timer();
    g_line.looked = true;
    const int dropped = discardInput(port, queued);
    if (dropped < 0) return LineSettle::PortFailed;
    g_line.dropped += dropped;
    const double quiet = Timer() - g_line.quietSince;
    if (quiet < g_line.guardSeconds) {
        *quietLeft = g_line.guardSeconds - quiet;
        return LineSettle::NotQuiet;
    }
    if (FlushInQ(port) < 0) return LineSettle::PortFailed;
    g_line.unsettled = false;
    if (g_line.dropped > 0) {
        std::snprintf(disp_str, sizeof disp_str,
                      "WARNING on %d: Discarded %d late bytes of a failed answer", g_iTXCommand_id,
                      g_line.dropped);
        LogWarning(disp_str);
    }
    return LineSettle::Settled;
}

int LateBytesDropped(void) {
    return g_line.dropped;
}

LineSettle SettleLine(int port) {
    const Deadline giveUp = DeadlineAfter(g_quietLimitSeconds);
    for (;;) {
        double quietLeft = 0;
        const LineSettle look = LookAtLine(port, &quietLeft);
        if (look != LineSettle::NotQuiet) return look;
        if (LinkWaitsInterrupted()) return LineSettle::Interrupted;
        if (DeadlinePassed(giveUp)) return LineSettle::NotQuiet;
        // Wakes at the next byte, which starts the quiet anew, or when the quiet is long enough.
        if (WaitInQLen(port, 1, std::min(quietLeft, SecondsLeft(giveUp))) < 0)
            return LineSettle::PortFailed;
    }
}
