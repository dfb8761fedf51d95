#include "firmware/bootloader_link.h"

#include "link/connection.h"
#include "link/tick_clock.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"

namespace {
double g_answerWaitSeconds = BOOTLOADER_ANSWER_SECONDS;
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
        const int queued = GetInQLen(g_iCom_port_num);
        if (queued > 0) {
            *byte = ComRdByte(g_iCom_port_num);
            return 1;
        }
        if (queued < 0 || DeadlinePassed(deadline)) return 0;
        if (whileWaiting) whileWaiting();
    }
}
