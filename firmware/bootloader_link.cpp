#include "firmware/bootloader_link.h"

#include <algorithm>

#include "firmware/testing.h"
#include "firmware/upgrade_progress.h"
#include "link/deadline.h"
#include "link/serial_link.h"
#include "link/tick_clock.h"
#include "runtime/rs232.h"

namespace {
double g_answerWaitSeconds = BOOTLOADER_ANSWER_SECONDS;
// Wakes often enough that the panel's dispatch, due every UPGRADE_EVENTS_SECONDS, is never late
// by more than this.
constexpr double kLongestSleepSeconds = UPGRADE_EVENTS_SECONDS / 2;
}  // namespace

double BootloaderAnswerWait(void) {
    return g_answerWaitSeconds;
}

void SetBootloaderAnswerWait(double seconds) {
    g_answerWaitSeconds = seconds > 0 ? seconds : BOOTLOADER_ANSWER_SECONDS;
}

int SendBootloaderByte(unsigned char byte) {
    ComWrtByte(g_iCom_port_num, byte);
    return WaitOutputDrained();
}

int WaitBootloaderByte(int* byte, void (*whileWaiting)(void)) {
    const Deadline deadline = DeadlineAfter(BootloaderAnswerWait());
    for (;;) {
        const double sleep = std::min(SecondsLeft(deadline), kLongestSleepSeconds);
        const int queued = WaitInQLen(g_iCom_port_num, 1, sleep);
        if (queued > 0) {
            *byte = ComRdByte(g_iCom_port_num);
            return 1;
        }
        if (queued < 0 || DeadlinePassed(deadline)) return 0;
        if (whileWaiting) whileWaiting();
    }
}
