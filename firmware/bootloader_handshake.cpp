#include "firmware/bootloader_handshake.h"

#include "firmware/bootloader_bytes.h"
#include "firmware/bootloader_link.h"
#include "link/connection.h"
#include "panel/serial_monitor.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"

namespace {
// The port's input queue holds no more than this, so the bytes that came during the wait are
// all looked at, while a board that keeps talking cannot hold the console here.
constexpr int kMostBytesExamined = 512;
}  // namespace

int TestBootloaderPresence(void) {
    FlushInQ(g_iCom_port_num);
    LogToWindow("Sending test character");
    // A byte that did not leave gets no answer, which the check below reports.
    SendBootloaderByte(BOOTLOADER_CR);
    int progress = 0;
    Delay(BootloaderAnswerWait());
    for (int examined = 0; examined < kMostBytesExamined && GetInQLen(g_iCom_port_num) > 0;
         ++examined) {
        const signed char received = static_cast<signed char>(ComRdByte(g_iCom_port_num));
        if (progress < BOOTLOADER_ANSWER_LENGTH && received == BOOTLOADER_ANSWER[progress])
            ++progress;
    }
    if (progress == BOOTLOADER_ANSWER_LENGTH) return 1;
    LogToWindow("ERROR: Timed out on GetInQLen");
    ProcessSystemEvents();
    return 0;
}
