#include "link/tick_clock.h"

#include "app/Tarviktest.h"
#include "app/shell.h"
#include "link/connection.h"
#include "runtime/cvirte.h"
#include "runtime/userint.h"

namespace {
constexpr double kFallbackIntervalSeconds = 0.25;
}

TickWait StartTickWait(void) {
    TickWait wait{Timer(), kFallbackIntervalSeconds};
    double interval = 0;
    if (GetCtrlAttribute(g_hmainPanel, PANEL_TIMER, ATTR_INTERVAL, &interval) == 0 && interval > 0)
        wait.interval = interval;
    g_iTimer_cnt = 0;
    return wait;
}

int CountElapsedTicks(const TickWait& wait) {
    int elapsed = static_cast<int>((Timer() - wait.start) / wait.interval);
    if (elapsed > g_iTimer_cnt) g_iTimer_cnt = elapsed;
    return g_iTimer_cnt;
}
