#include "firmware/bootloader_handshake.h"

#include "firmware/bootloader_bytes.h"
#include "firmware/bootloader_link.h"
#include "link/serial_link.h"
#include "panel/serial_monitor.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"

namespace {

// The port's input queue holds no more than this, so the bytes that came during the wait are
// all looked at, while a board that keeps talking cannot hold the console here.
constexpr int kMostBytesExamined = 512;

enum class PresenceAnswer { Accepted, PartialLineRefused, None };

PresenceAnswer sendTestCharacter() {
    // A byte that did not leave gets no answer, which the caller reports.
    SendBootloaderByte(BOOTLOADER_CR);
    Delay(BootloaderAnswerWait());
    int progress = 0;
    bool xoffSeen = false, ackSinceXoff = false, refused = false;
    for (int examined = 0; examined < kMostBytesExamined && GetInQLen(g_iCom_port_num) > 0;
         ++examined) {
        const signed char received = static_cast<signed char>(ComRdByte(g_iCom_port_num));
        if (progress < BOOTLOADER_ANSWER_LENGTH && received == BOOTLOADER_ANSWER[progress])
            ++progress;
        if (received == BOOTLOADER_XOFF) {
            xoffSeen = true;
            ackSinceXoff = false;
        } else if (received == BOOTLOADER_ACK) {
            ackSinceXoff = xoffSeen;
        } else if (received == BOOTLOADER_XON && xoffSeen && !ackSinceXoff) {
            refused = true;
        }
    }
    if (progress == BOOTLOADER_ANSWER_LENGTH) return PresenceAnswer::Accepted;
    return refused ? PresenceAnswer::PartialLineRefused : PresenceAnswer::None;
}

}  // namespace

UpgradeOutcome TestBootloaderPresence(void) {
    FlushInQ(g_iCom_port_num);
    LogToWindow("Sending test character");
    PresenceAnswer answer = sendTestCharacter();
    if (answer == PresenceAnswer::PartialLineRefused) {
        LogWarning("Bootloader discarded a partial line; sending the test character again");
        FlushInQ(g_iCom_port_num);
        answer = sendTestCharacter();
    }
    if (answer == PresenceAnswer::Accepted) return {};
    UpgradeOutcome outcome;
    outcome.error = UpgradeError::NoBootloader;
    if (!LinkDeviceLost(&outcome.reason)) {
        LogError("ERROR: Timed out on GetInQLen");
        outcome.reason = "no bootloader answered the test character (Timed out on GetInQLen)";
    }
    ProcessSystemEvents();
    return outcome;
}
