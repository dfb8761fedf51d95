#include "link/line_guard.h"

#include <algorithm>
#include <cstdio>

#include "link/connection.h"
#include "link/frame.h"
#include "link/tick_clock.h"
#include "link/transaction.h"
#include "panel/serial_monitor.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"

namespace {

constexpr double kPollSeconds = 0.002;  // between looks at an unsettled line
// The receive wait is counted in polls, which run faster or slower with the machine's load,
// so the wait that failed and the one just measured may differ; the guard outlasts both by
// half again.
constexpr double kGuardMargin = 1.5;

struct LineState {
    bool unsettled = false;
    double failedAt = 0;      // when the failed wait ended
    double guardSeconds = 0;  // quiet needed before the next send
    int queuedAtFailure = 0;  // bytes already waiting then
    double longestWait = 0;   // the longest failed wait seen since start-up
};
LineState g_line;
double g_quietLimitSeconds = LINE_QUIET_LIMIT_SECONDS;

// Reads and drops what is waiting; returns how many bytes, or -1.
int discardInput(int queued) {
    unsigned char scratch[FRAME_MAX_BYTES];
    int dropped = 0;
    while (queued > 0) {
        const int n = ComRd(g_iCom_port_num, scratch, std::min<int>(queued, FRAME_MAX_BYTES));
        if (n <= 0) return -1;
        dropped += n;
        queued -= n;
    }
    return dropped;
}

}  // namespace

void MarkLineUnsettled(double waitSeconds) {
    g_line.unsettled = true;
    g_line.failedAt = Timer();
    // A wait that ran out earlier, when polls were slower, shows how long an
    // answer may take better than this one alone.
    g_line.longestWait = std::max(g_line.longestWait, waitSeconds);
    g_line.guardSeconds = kGuardMargin * std::max(g_line.longestWait, FullReceiveWaitSeconds());
    // A link already taken down has no queue to look at.
    g_line.queuedAtFailure =
        g_iConnection_status == 1 ? std::max(GetInQLen(g_iCom_port_num), 0) : 0;
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

int SettleLine(void) {
    if (!g_line.unsettled) return 1;
    const double start = Timer();
    const Deadline giveUp = DeadlineAfter(g_quietLimitSeconds);
    int queued = GetInQLen(g_iCom_port_num);
    if (queued < 0) return -1;
    // Bytes that came after the failure came at some moment up to now: count
    // the quiet from now, not from the failure.
    double lastByteAt = queued > g_line.queuedAtFailure ? start : g_line.failedAt;
    int dropped = 0;
    for (;;) {
        if (queued > 0) {
            const int n = discardInput(queued);
            if (n < 0) return -1;
            dropped += n;
            lastByteAt = Timer();
        }
        const double now = Timer();
        if (now - lastByteAt >= g_line.guardSeconds) break;
        if (DeadlinePassed(giveUp)) {
            std::sprintf(disp_str,
                         "ERROR on %d: The line never went quiet after a failed answer "
                         "(%d bytes in %.1f s); nothing sent",
                         g_iTXCommand_id, dropped, now - start);
            LogToWindow(disp_str);
            return 0;
        }
        Delay(std::min(kPollSeconds, g_line.guardSeconds - (now - lastByteAt)));
        queued = GetInQLen(g_iCom_port_num);
        if (queued < 0) return -1;
    }
    if (FlushInQ(g_iCom_port_num) < 0) return -1;
    g_line.unsettled = false;
    if (dropped > 0) {
        std::sprintf(disp_str, "WARNING on %d: Discarded %d late bytes of a failed answer",
                     g_iTXCommand_id, dropped);
        LogToWindow(disp_str);
    }
    return 1;
}
