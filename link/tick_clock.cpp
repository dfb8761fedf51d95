#include "link/tick_clock.h"

#include "link/link_view.h"
#include "link/serial_link.h"
#include "runtime/clock.h"
#include "runtime/rs232.h"

namespace {
// tcdrain would wait for the kernel's clock tick (milliseconds on a real UART) after each
// byte; looking twice a character time keeps the line busy without spinning.
constexpr double kDrainLookSeconds = LINK_CHARACTER_SECONDS / 2;
}  // namespace

TickWait StartTickWait(void) {
    TickWait wait{Timer(), LinkTimerInterval()};
    g_iTimer_cnt = 0;
    return wait;
}

int WaitOutputDrained(void) {
    g_iTimer_cnt = 0;
    // Most bytes have left by the first look; only a slow queue pays for the clock.
    if (GetOutQLen(g_iCom_port_num) <= 0) return 1;
    const TickWait drain = StartTickWait();
    while (GetOutQLen(g_iCom_port_num) > 0) {
        if (CountElapsedTicks(drain) > g_iTimeout_val) return 0;
        Delay(kDrainLookSeconds);
    }
    return 1;
}

int CountElapsedTicks(const TickWait& wait) {
    int elapsed = static_cast<int>((Timer() - wait.start) / wait.interval);
    if (elapsed > g_iTimer_cnt) g_iTimer_cnt = elapsed;
    return g_iTimer_cnt;
}
