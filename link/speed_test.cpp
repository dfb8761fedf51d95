#include "link/speed_test.h"

#include "link/deadline.h"
#include "link/link_view.h"
#include "link/serial_link.h"
#include "link/tick_clock.h"
#include "runtime/clock.h"
#include "runtime/rs232.h"

namespace {
constexpr double kTimerIntervalSeconds = 0.25;
constexpr int kWindowTicks = 2;
constexpr int kPollsBetweenEvents = 4000;  // events are dispatched every 4001 polls
double g_windowSeconds = 0;
}  // namespace

double SpeedTestWindowSeconds(void) {
    return g_windowSeconds;
}

int RunSpeedTest(void) {
    int divider = 0, polls = 0;
    g_iTimer_cnt = 0;
    RestartLinkTimer(kTimerIntervalSeconds);
    const double start = Timer();
    const TickWait window = StartTickWait();
    while (g_iTimer_cnt < kWindowTicks) {
        GetInQLen(g_iCom_port_num);
        ++polls;
        if (++divider > kPollsBetweenEvents) {
            divider = 0;
            ProcessSystemEvents();
            // Without an event loop (the command line companion) no tick is
            // delivered; the clock counts them. Looked at here only, so the
            // polls cost what they always did.
            CountElapsedTicks(window);
            // A program being stopped needs no receive wait: its next send is refused.
            if (LinkWaitsInterrupted()) break;
        }
    }
    g_windowSeconds = Timer() - start;
    g_iSpeedCounter = polls;
    return polls;
}
